// The plug-in's one door to Win32, GDI, DirectDraw and Direct3D.
//
// On Windows this is the real SDK. In the native build it is the stand-in: the same names,
// constants and fields for the subset the plug-in uses, backed by simulated objects that record
// every call (see standin/control.h for what tests can see and steer).
#pragma once

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef DIRECT3D_VERSION
#define DIRECT3D_VERSION 0x0500
#endif
#include <windows.h>
#include <mmsystem.h>
#include <ddraw.h>
#include <d3d.h>
#else
#include "standin/win32.h"
#include "standin/directx.h"
#endif

#include <cstdlib>
