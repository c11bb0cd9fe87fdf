// The plug-in's export, module getter, window and the Init / Render / Quit / Config entry points.
#pragma once

#include "vis_module.h"

extern VisModule visModule;

void configModule(VisModule* module);
int initModule(VisModule* module);
int renderModule(VisModule* module);
void quitModule(VisModule* module);

LRESULT CALLBACK pluginWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

// Window-procedure state.
extern int appActive;
extern int inMenuLoop;
