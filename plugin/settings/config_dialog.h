// The settings dialog (dialog resource 101): what the host's Config entry shows.
#pragma once

#include "../vis_module.h"

constexpr int configDialogId = 101;

// Reads "plugin.ini", runs the dialog modally over the host's window, writes every setting back.
void configure(const VisModule& module);

INT_PTR CALLBACK configDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Checks the radio button of graphics mode `mode` (none for a mode outside 0..10) and stores it.
void selectResolution(HWND dialog, int mode);
