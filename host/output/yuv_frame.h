// The pictures of an offline render as the video encoder takes them: planar 4:2:0 YUV (I420, BT.601,
// studio range 16-235), a quarter of the bytes a 4-byte-a-pixel picture takes through the pipe and
// no colour conversion left for the encoder to do.
#pragma once

#include <cstddef>
#include <cstdint>

// Bytes of a WIDTH x HEIGHT I420 picture: the Y plane, then U and V at half the width and height.
size_t i420Bytes(int width, int height);

// Converts a picture of 4 bytes a pixel (blue, green, red, unused), rows `stride` bytes apart, top
// row first, into I420 at `out`. WIDTH and HEIGHT are even; each U and V sample is the mean of
// the 2 x 2 pixels it covers.
void bgrxToI420(const uint8_t* pixels, size_t stride, int width, int height, uint8_t* out);
