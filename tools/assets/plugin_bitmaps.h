// The plug-in's bitmaps: DIR/Plugins/zev.bmp, trees.bmp (8-bit, 256 colours) and generated.bmp.
#pragma once

#include <string>

bool writePluginBitmaps(const std::string& dir);
