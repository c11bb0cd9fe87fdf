// The settings dialog (dialog resource 101).
#pragma once

#include "../platform/platform.h"

constexpr int configDialogId = 101;

INT_PTR CALLBACK configDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
