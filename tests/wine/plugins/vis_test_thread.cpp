// Test plug-in: the common design after 2000. Init starts a drawing thread of its own, which makes
// a top-level window, tells the player about it (query 611) and draws with GDI paced by Sleep,
// timed by GetTickCount64 and QueryPerformanceCounter: a bar that crosses the window in 2 s by
// the one clock and a second bar by the other, over the spectrum Render last handed over. Render
// only passes the spectrum on.
#include "classic_vis.h"

namespace {

const char windowClass[] = "TestThreadWindow";
CRITICAL_SECTION lock;
unsigned char spectrum[576];
volatile LONG stopping = 0;
HANDLE thread = nullptr;
HWND player = nullptr;
HINSTANCE instance = nullptr;

void fill(HDC dc, const RECT& r, COLORREF colour) {
  HBRUSH brush = CreateSolidBrush(colour);
  FillRect(dc, &r, brush);
  DeleteObject(brush);
}

void draw(HWND window, ULONGLONG ms, double seconds) {
  unsigned char bands[32];
  EnterCriticalSection(&lock);
  for (int i = 0; i < 32; ++i) bands[i] = spectrum[i * 8];
  LeaveCriticalSection(&lock);
  RECT client;
  GetClientRect(window, &client);
  HDC dc = GetDC(window);
  fill(dc, client, RGB(50, 10, 30));
  const int width = client.right / 32;
  for (int i = 0; i < 32; ++i) {
    const int height = (bands[i] + 16) * client.bottom / 300;
    fill(dc, RECT{i * width, client.bottom - height, (i + 1) * width - 2, client.bottom}, RGB(220, 120, 40));
  }
  const int x1 = int(ms % 2000 * client.right / 2000), x2 = int(seconds * 0.5 * client.right) % client.right;
  fill(dc, RECT{x1, 0, x1 + 20, client.bottom / 2}, RGB(90, 230, 250));
  fill(dc, RECT{x2, client.bottom / 2, x2 + 20, client.bottom}, RGB(250, 250, 120));
  ReleaseDC(window, dc);
}

DWORD WINAPI drawingThread(LPVOID) {
  RECT r = {0, 0, 480, 360};
  AdjustWindowRect(&r, WS_OVERLAPPEDWINDOW, FALSE);
  HWND window = CreateWindowExA(0, windowClass, "Test plug-in: own thread", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 80, 60,
                                r.right - r.left, r.bottom - r.top, nullptr, nullptr, instance, nullptr);
  askPlayer(player, WPARAM(window), 611);
  const ULONGLONG startMs = GetTickCount64();
  LARGE_INTEGER frequency, start, now;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&start);
  while (!stopping) {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    QueryPerformanceCounter(&now);
    draw(window, GetTickCount64() - startMs, double(now.QuadPart - start.QuadPart) / double(frequency.QuadPart));
    Sleep(10);
  }
  DestroyWindow(window);
  return 0;
}

LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_KEYDOWN) PostMessageA(player, message, wParam, lParam);
  return DefWindowProcA(window, message, wParam, lParam);
}

int init(winampVisModule* module) {
  player = module->hwndParent;
  instance = module->hDllInstance;
  WNDCLASSA c = {};
  c.lpfnWndProc = windowProc;
  c.hInstance = instance;
  c.lpszClassName = windowClass;
  RegisterClassA(&c);
  InitializeCriticalSection(&lock);
  stopping = 0;
  thread = CreateThread(nullptr, 0, drawingThread, nullptr, 0, nullptr);
  return thread ? 0 : 1;
}

int render(winampVisModule* module) {
  EnterCriticalSection(&lock);
  for (int i = 0; i < 576; ++i) spectrum[i] = module->spectrumData[0][i];
  LeaveCriticalSection(&lock);
  return 0;
}

void quit(winampVisModule*) {
  InterlockedExchange(&stopping, 1);
  WaitForSingleObject(thread, INFINITE);
  CloseHandle(thread);
  DeleteCriticalSection(&lock);
  UnregisterClassA(windowClass, instance);
}

void config(winampVisModule*) {}

char moduleName[] = "Bars from a thread";
winampVisModule module = {moduleName, nullptr, nullptr, 0, 0, 0, 10, 1, 0, {}, {}, config, init, render, quit, nullptr};
char description[] = "Test plug-in: a drawing thread of its own";
winampVisModule* getModule(int which) { return which == 0 ? &module : nullptr; }
winampVisHeader header = {0x101, description, getModule};

}  // namespace

extern "C" __declspec(dllexport) winampVisHeader* winampVisGetHeader() { return &header; }
