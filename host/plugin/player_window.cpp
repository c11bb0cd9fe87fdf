#include "player_window.h"

#include <cstdio>

#include "vis_api.h"

namespace {

constexpr UINT visThreadDone = WM_APP + 1;
constexpr UINT makeEmbeddedFrame = WM_APP + 2;  // wParam: the embedWindowState
constexpr UINT destroyEmbeddedFrame = WM_APP + 3;
constexpr char frameClass[] = "vishost embedded window";

constexpr intptr_t queryEntryPath = 211;
constexpr intptr_t querySettingsFile = 334;
constexpr intptr_t queryPlayerFolder = 335;
constexpr intptr_t queryPluginFolder = 336;
constexpr intptr_t queryEmbedWindow = 505;
constexpr intptr_t querySetPluginWindow = 611;

PlayerWindow* player = nullptr;
std::string playerFolder, settingsFile;
std::atomic<HWND> frame{nullptr}, announced{nullptr};

std::string exeFolder() {
  char exe[MAX_PATH];
  const DWORD n = GetModuleFileNameA(nullptr, exe, MAX_PATH);
  const std::string path(exe, n);
  return path.substr(0, path.find_last_of('\\'));
}

// The player's own settings file, winamp.ini in its folder, made empty if it is not there.
void makeSettingsFile() {
  playerFolder = exeFolder();
  settingsFile = playerFolder + "\\winamp.ini";
  HANDLE file = CreateFileA(settingsFile.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
}

LRESULT CALLBACK frameProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_SIZE) {  // the plug-in's window fills the frame
    if (HWND child = GetWindow(hwnd, GW_CHILD)) MoveWindow(child, 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
    return 0;
  }
  if (message == WM_DESTROY) frame.compare_exchange_strong(hwnd, nullptr);
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

// A resizable top-level frame at the state's rectangle (its window area; a default size when empty).
HWND createFrame(embedWindowState* state) {
  RECT r = state->r;
  if (r.right - r.left < 16 || r.bottom - r.top < 16) r = RECT{40, 40, 40 + 656, 40 + 519};
  HWND window = CreateWindowExA(0, frameClass, "vishost", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN | WS_VISIBLE, r.left,
                                r.top, r.right - r.left, r.bottom - r.top, nullptr, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
  state->me = window;
  frame = window;
  return window;
}

// What the player hands out for a null wParam: the frame maker itself, to call directly.
HWND embedWindow(embedWindowState* state) {
  return reinterpret_cast<HWND>(SendMessageA(player->window, makeEmbeddedFrame, WPARAM(state), 0));
}

intptr_t answerQuery(WPARAM wParam, LPARAM lParam) {
  switch (lParam) {
    case queryEntryPath:
      return wParam < player->paths.size() ? intptr_t(player->paths[wParam].c_str()) : 0;
    case querySettingsFile:
      return intptr_t(settingsFile.c_str());
    case queryPlayerFolder:
      return intptr_t(playerFolder.c_str());
    case queryPluginFolder:
      return intptr_t(player->pluginFolder.c_str());
    case queryEmbedWindow:
      if (wParam == 0) return intptr_t(&embedWindow);
      return intptr_t(createFrame(reinterpret_cast<embedWindowState*>(wParam)));
    case querySetPluginWindow:
      announced = reinterpret_cast<HWND>(wParam);
      return 0;
    default:
      return answerHostQuery(player->status(), player->titles, wParam, lParam);
  }
}

void traceQuery(WPARAM wParam, LPARAM lParam, intptr_t answer) {
  if (lParam == 212) {
    std::printf("title query: entry %u -> %s\n", unsigned(wParam),
                answer ? reinterpret_cast<const char*>(answer) : "(none)");
  } else if (lParam == 105 && wParam == 1) {
    std::printf("length query: run %d, frame %d -> %d s, at %.3f s\n", player->run.load(), player->frame.load(),
                int(answer), player->status().positionMs() / 1000.0);
  } else if (answer && (lParam == 211 || lParam == 334 || lParam == 335 || lParam == 336)) {
    std::printf("query %ld (%llu) -> %s\n", long(lParam), static_cast<unsigned long long>(wParam),
                reinterpret_cast<const char*>(answer));
  } else {
    std::printf("query %ld (%llu) -> %lld\n", long(lParam), static_cast<unsigned long long>(wParam),
                static_cast<long long>(answer));
  }
  std::fflush(stdout);
}

LRESULT CALLBACK playerProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_USER: {
      const intptr_t answer = answerQuery(wParam, lParam);
      if (player->traceQueries) traceQuery(wParam, lParam, answer);
      return answer;
    }
    case WM_KEYDOWN:
      player->keysReceived += 1;
      return 0;
    case makeEmbeddedFrame:
      return LRESULT(createFrame(reinterpret_cast<embedWindowState*>(wParam)));
    case destroyEmbeddedFrame:
      if (HWND window = frame.exchange(nullptr)) DestroyWindow(window);
      return 0;
    case visThreadDone:
      PostQuitMessage(int(wParam));
      return 0;
    default:
      return DefWindowProcA(hwnd, message, wParam, lParam);
  }
}

}  // namespace

bool createPlayerWindow(PlayerWindow& window) {
  player = &window;
  makeSettingsFile();
  HINSTANCE instance = GetModuleHandleA(nullptr);
  WNDCLASSA playerClass = {};
  playerClass.lpfnWndProc = playerProc;
  playerClass.hInstance = instance;
  playerClass.lpszClassName = "Winamp v1.x";
  RegisterClassA(&playerClass);
  WNDCLASSA embedClass = {};
  embedClass.lpfnWndProc = frameProc;
  embedClass.hInstance = instance;
  embedClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
  embedClass.hbrBackground = HBRUSH(GetStockObject(BLACK_BRUSH));
  embedClass.lpszClassName = frameClass;
  RegisterClassA(&embedClass);
  window.window = CreateWindowExA(0, "Winamp v1.x", "vishost", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr,
                                  instance, nullptr);
  return window.window != nullptr;
}

void endPlayerWindowLoop(PlayerWindow& window, int status) {
  PostMessageA(window.window, visThreadDone, WPARAM(status), 0);
}

HWND embeddedFrame() { return frame; }

HWND announcedWindow() { return announced; }

void closeEmbeddedFrame(PlayerWindow& window) {
  SendMessageA(window.window, destroyEmbeddedFrame, 0, 0);
  announced = nullptr;
}
