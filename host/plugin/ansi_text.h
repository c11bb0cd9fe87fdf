// Titles for the plug-in, which draws text in the system's ANSI code page.
#pragma once

#include <string>

// Valid UTF-8 (tags, file names from Linux) converted to the ANSI code page, a character the
// code page lacks becoming '?'; any other text is taken to be in the code page already.
std::string toAnsiCodePage(const std::string& text);
