// The plug-in's process-wide state as the tests, the soak and the fuzz targets start it.
#pragma once

#include <cstring>

#include "composer.h"
#include "display.h"
#include "entry.h"
#include "scheduler.h"
#include "settings/settings.h"
#include "settings/window_settings.h"
#include "window_mode.h"
#include "standin/control.h"

// Puts every piece of process-wide plug-in state back to its value at load.
void resetPluginState();
// The plug-in's three bitmaps, as files the stand-in's LoadImageA finds.
void addPluginBitmaps();
