// MP3 files before decoding: the ID3 tags (skipped, and read for the title) and the MPEG
// layer III frame headers that say where the audio is and what shape it has.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

struct Mp3FrameHeader {
  int mpegVersion = 0;      // 10 = MPEG-1, 20 = MPEG-2, 25 = MPEG-2.5
  int bitrateKbps = 0;
  int sampleRate = 0;
  int channels = 0;         // 1 or 2
  int samplesPerFrame = 0;  // per channel
  size_t frameBytes = 0;    // the whole frame, header and padding included
};

// Reads the four header bytes at `p` (at least 4 available). Only layer III frames with a
// listed bitrate (not free format) and sample rate are accepted.
bool parseMp3FrameHeader(const uint8_t* p, Mp3FrameHeader& header);

// The size of the ID3v2 tag at the start of the image (header and footer included), 0 when
// there is none. A tag that claims more than the image holds is an error.
bool id3v2TagSize(const uint8_t* data, size_t size, size_t& tagSize, std::string& error);

// The audio of an MP3 image: where its frames are and what the first one says.
struct Mp3Stream {
  size_t begin = 0;  // first frame
  size_t end = 0;    // just past the last frame
  size_t frames = 0;  // all good frames
  Mp3FrameHeader first;
  std::vector<std::pair<size_t, size_t>> runs;  // [begin, end) of each run of frames without a gap
  size_t skippedBytes = 0;  // between the frames: neither frames nor tags (damage, or files joined)
  double changeSeconds = -1;  // >= 0: where the sample rate or channel count changes, the end of the stream
  Mp3FrameHeader changedTo;
};

// Walks the frames after any ID3v2 tag. Between frames it skips ID3 tags (files joined) and
// damage: it searches up to 64 KiB on for the next frame that another frame follows. The walk
// ends at the tags that close the file (ID3v1, APE), at a frame of another sample rate or
// channel count, or where no frame is found. A last frame cut short is an error, so is an image
// without frames. Errors are one line.
bool scanMp3Stream(const uint8_t* data, size_t size, Mp3Stream& stream, std::string& error);

// What is worth telling about a stream that plays: the bytes skipped, a change of format. Empty
// when there is nothing to say.
std::string mp3StreamNotice(const Mp3Stream& stream);

// True when the image is MP3 by its content: an ID3v2 tag, or two frame headers in a row.
bool looksLikeMp3(const uint8_t* data, size_t size);

// "Artist - Title" from the ID3v2 TIT2 / TPE1 frames (TT2 / TP1 in version 2.2), else from an
// ID3v1 tag; only the title when there is no artist; empty without a title. Text comes out as
// UTF-8 (what is no character becomes '?').
std::string mp3Title(const uint8_t* data, size_t size);
