// Loading a plug-in DLL: its width is checked first (a host loads DLLs of its own width only),
// so a 32-bit plug-in in the 64-bit vishost, or the other way round, is named as such.
#pragma once

#include <windows.h>

#include <string>

#include "vis_api.h"

// Loads the DLL; on failure returns null with a one-line message in `error`.
HMODULE loadPluginLibrary(const std::string& path, std::string& error);
// The plug-in's header, or null when the DLL is not a visualisation plug-in.
winampVisHeader* pluginHeader(HMODULE dll);
// Prints the plug-in's description and each module it lists, numbered from 0.
void listModules(winampVisHeader* header);
// The folder the DLL is in, without the last backslash.
std::string pluginFolderOf(const std::string& path);
