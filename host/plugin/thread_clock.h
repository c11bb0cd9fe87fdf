// The plug-in's own threads on the virtual clock. The threads it starts (its imports of
// CreateThread and _beginthreadex) are counted; on the virtual clock their Sleeps and their waits
// with a timeout last virtual time: a thread that waits is held until the video reaches the time it
// waits for (a wait on objects looks at them again once a frame). The frame loop draws a frame in
// turns: the visualisation thread's Render while every plug-in thread is held, then the threads
// whose time has come, until each is held again; then the picture is complete. So a drawing
// thread paced by Sleep advances one video frame per host frame and the frames are the same on
// every render. Threads started some other way, and the visualisation thread itself, wait in
// real time as before.
#pragma once

#include <windows.h>

#include <cstdint>

#include "virtual_clock.h"

// Holds the plug-in's threads on `clock` from now on.
void holdPluginThreads(VirtualClock* clock);
// Moves the clock to video frame `frame`; no held thread runs yet.
void setVirtualFrame(VirtualClock& clock, int64_t frame);
// Lets the threads whose time has come run, and returns once every plug-in thread is held again
// (or has ended). False after `timeoutMs` of wall time with threads still at work.
bool runPluginThreads(DWORD timeoutMs);
// Ends the holding: every wait goes on in real time (before Quit, which waits for the threads).
void releasePluginThreads();
// Plug-in threads started and not yet ended.
int pluginThreadCount();

// Stand-ins for the plug-in's imports (see time_imports.cpp).
namespace held {
void WINAPI Sleep(DWORD ms);
DWORD WINAPI SleepEx(DWORD ms, BOOL alertable);
DWORD WINAPI WaitForSingleObject(HANDLE object, DWORD ms);
DWORD WINAPI WaitForSingleObjectEx(HANDLE object, DWORD ms, BOOL alertable);
DWORD WINAPI WaitForMultipleObjects(DWORD count, const HANDLE* objects, BOOL all, DWORD ms);
DWORD WINAPI WaitForMultipleObjectsEx(DWORD count, const HANDLE* objects, BOOL all, DWORD ms, BOOL alertable);
DWORD WINAPI MsgWaitForMultipleObjects(DWORD count, const HANDLE* objects, BOOL all, DWORD ms, DWORD mask);
DWORD WINAPI MsgWaitForMultipleObjectsEx(DWORD count, const HANDLE* objects, DWORD ms, DWORD mask, DWORD flags);
HANDLE WINAPI CreateThread(SECURITY_ATTRIBUTES* security, SIZE_T stack, LPTHREAD_START_ROUTINE start, void* argument,
                           DWORD flags, DWORD* id);
void WINAPI ExitThread(DWORD code);
uintptr_t __cdecl beginthreadex(void* security, unsigned stack, unsigned(__stdcall* start)(void*), void* argument,
                                unsigned flags, unsigned* id);
void __cdecl endthreadex(unsigned code);
}  // namespace held
