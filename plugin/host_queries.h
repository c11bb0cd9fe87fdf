// The four questions the plug-in asks its host window (WM_USER messages).
#pragma once

#include "vis_module.h"

int queryPlayPosition(const VisModule& module);       // milliseconds
int queryTrackLengthSeconds(const VisModule& module);  // seconds
// The title of the current playlist entry, copied as plain text into `buffer` (at most
// size - 1 characters). A host that answers with no text gives an empty title.
void queryCurrentTitle(const VisModule& module, char* buffer, int size);
