// Test plug-in: a Winamp 5 style one. It refuses a player older than 2.9 with a box, keeps a run
// count in the player's settings file (query 334), asks for an embedded window (query 505) and draws into it with GDI on the visualisation thread: spectrum bars and a
// square that moves one step a frame. Ten modules, each in a colour of its own.
// Built with TEST_BOX_IN_INIT it shows a box in Init, which a host must not wait for forever.
#include <cstdio>
#include <cstring>
#include <string>

#include "classic_vis.h"

namespace {

const char viewClass[] = "TestEmbedView";
char settingsFile[MAX_PATH];
HWND view = nullptr;
int frameCount = 0;

int init(winampVisModule* module);
int render(winampVisModule* module);
void quit(winampVisModule* module);
void config(winampVisModule*) {}

char names[10][16];
winampVisModule modules[10];

LRESULT CALLBACK viewProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcA(window, message, wParam, lParam);
}

int init(winampVisModule* module) {
  const intptr_t version = askPlayer(module->hwndParent, 0, 0);
  if (version < 0x2900) {
    MessageBoxA(module->hwndParent, "This plug-in needs a player of version 2.9 or later.", "Test plug-in", MB_OK);
    return 1;
  }
#ifdef TEST_BOX_IN_INIT
  MessageBoxA(module->hwndParent, "Init waits until this box is answered.", "Box in Init", MB_OK);
#endif
  // As real plug-ins do: the path is copied without a check.
  std::strcpy(settingsFile, reinterpret_cast<const char*>(askPlayer(module->hwndParent, 0, 334)));
  const int runs = GetPrivateProfileIntA("vis_test_embed", "runs", 0, settingsFile);
  WritePrivateProfileStringA("vis_test_embed", "runs", std::to_string(runs + 1).c_str(), settingsFile);

  // Both ways of asking: odd modules hand the state over, even ones call the function they get.
  static embedWindowState state;
  state = embedWindowState{};
  state.r = RECT{60, 40, 60 + 500, 40 + 400};
  HWND frame = nullptr;
  if ((module - modules) % 2) {
    frame = reinterpret_cast<HWND>(askPlayer(module->hwndParent, WPARAM(&state), 505));
  } else {
    using Embed = HWND (*)(embedWindowState*);
    const auto embed = reinterpret_cast<Embed>(askPlayer(module->hwndParent, 0, 505));
    frame = embed ? embed(&state) : nullptr;
  }
  if (frame != state.me) return 1;
  if (!frame) return 1;
  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = viewProc;
  windowClass.hInstance = module->hDllInstance;
  windowClass.lpszClassName = viewClass;
  RegisterClassA(&windowClass);
  RECT client;
  GetClientRect(frame, &client);
  view = CreateWindowExA(0, viewClass, "", WS_CHILD | WS_VISIBLE, 0, 0, client.right, client.bottom, frame, nullptr,
                         module->hDllInstance, nullptr);
  ShowWindow(frame, SW_SHOWNORMAL);
  frameCount = 0;
  return view ? 0 : 1;
}

void fill(HDC dc, const RECT& r, COLORREF colour) {
  HBRUSH brush = CreateSolidBrush(colour);
  FillRect(dc, &r, brush);
  DeleteObject(brush);
}

int render(winampVisModule* module) {
  const int index = int(module - modules);
  RECT client;
  GetClientRect(view, &client);
  HDC dc = GetDC(view);
  fill(dc, client, RGB(20, 20, 60 + 15 * index));
  const int bars = 32, width = client.right / bars;
  for (int i = 0; i < bars; ++i) {
    const int height = (module->spectrumData[0][i * 8] + 16) * client.bottom / 300;
    fill(dc, RECT{i * width, client.bottom - height, (i + 1) * width - 2, client.bottom}, RGB(40 + 20 * index, 200, 90));
  }
  const int size = client.bottom / 5, x = (frameCount * 6) % (client.right - size + 1);
  fill(dc, RECT{x, size, x + size, 2 * size}, RGB(250, 210, 40));
  ReleaseDC(view, dc);
  ++frameCount;
  return 0;
}

void quit(winampVisModule* module) {
  RECT client;
  GetClientRect(view, &client);
  WritePrivateProfileStringA("vis_test_embed", "view width", std::to_string(client.right).c_str(), settingsFile);
  WritePrivateProfileStringA("vis_test_embed", "view height", std::to_string(client.bottom).c_str(), settingsFile);
  DestroyWindow(view);
  view = nullptr;
  UnregisterClassA(viewClass, module->hDllInstance);
}

winampVisModule* getModule(int which) {
  if (which < 0 || which >= 10) return nullptr;
  winampVisModule& m = modules[which];
  std::snprintf(names[which], sizeof names[which], "Bars %d", which);
  m.description = names[which];
  m.latencyMs = 0;
  m.delayMs = 10;
  m.spectrumNch = 2;
  m.waveformNch = 0;
  m.Config = config;
  m.Init = init;
  m.Render = render;
  m.Quit = quit;
  return &m;
}

#ifdef TEST_BOX_IN_INIT
char description[] = "Test plug-in: a box in Init";
#else
char description[] = "Test plug-in: GDI in an embedded window";
#endif
winampVisHeader header = {0x101, description, getModule};

}  // namespace

extern "C" __declspec(dllexport) winampVisHeader* winampVisGetHeader() { return &header; }
