#pragma once

#include <string>

// Writes every texture quorbel loads into dir/textures/; false if a file cannot be written.
bool writeViewerTextures(const std::string& dir);
