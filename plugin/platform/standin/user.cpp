// Windows, window classes, messages, message boxes and modal dialogs.
#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <map>
#include <memory>

#include "internal.h"

namespace {

struct Window {
  std::string className;
  std::string text;
  WNDPROC proc = nullptr;
  DWORD style = 0;
  RECT rect{};  // the outer rectangle on the screen
  bool visible = false;
  bool iconic = false;
  std::function<LRESULT(UINT, WPARAM, LPARAM)> hostProc;
  // Dialog state.
  DLGPROC dialogProc = nullptr;
  std::map<int, UINT> checks;
  std::map<int, std::string> items;
  bool ended = false;
  INT_PTR result = 0;
};

struct UserState {
  std::map<std::string, WNDCLASSA> classes;
  std::map<HWND, std::unique_ptr<Window>> windows;
  std::vector<standin::MessageBoxShown> boxes;
  std::function<void(HWND)> dialogDriver;
  bool quit = false;
  int quitCode = 0;
  HCURSOR cursor = reinterpret_cast<HCURSOR>(1);
  std::vector<standin::PostedMessage> posted;
  RECT monitor{0, 0, 1920, 1080};
  RECT work{0, 0, 1920, 1040};
  int nextHandle = 0x100;
};

UserState& user() {
  static UserState s;
  return s;
}

Window* find(HWND hwnd) {
  auto it = user().windows.find(hwnd);
  return it == user().windows.end() ? nullptr : it->second.get();
}

HWND newWindow(std::unique_ptr<Window> w) {
  HWND hwnd = reinterpret_cast<HWND>(static_cast<std::uintptr_t>(user().nextHandle += 4));
  user().windows[hwnd] = std::move(w);
  return hwnd;
}

// The frame around the client area: 4 units each side and a 20-unit caption on a resizable
// window, the caption alone on a fixed one, nothing on a bare popup.
RECT frameOf(DWORD style) {
  const LONG border = (style & WS_THICKFRAME) ? 4 : 0;
  const LONG caption = (style & WS_CAPTION) == WS_CAPTION ? 20 : 0;
  return RECT{border, border + caption, border, border};
}

}  // namespace

using standin::detail::call;
using standin::detail::failing;
using standin::detail::text;

namespace standin {

const std::vector<MessageBoxShown>& messageBoxes() { return user().boxes; }
bool windowExists(HWND hwnd) { return find(hwnd) != nullptr; }
std::string windowText(HWND hwnd) { return find(hwnd) ? find(hwnd)->text : ""; }
int windowCount() { return int(user().windows.size()); }
bool classRegistered(const std::string& name) { return user().classes.count(name) != 0; }
HCURSOR currentCursor() { return user().cursor; }
const std::vector<PostedMessage>& postedMessages() { return user().posted; }
void setMonitor(const RECT& monitor, const RECT& work) {
  user().monitor = monitor;
  user().work = work;
}

bool quitPosted(int* code) {
  if (code) *code = user().quitCode;
  return user().quit;
}

HWND createHostWindow(std::function<LRESULT(UINT, WPARAM, LPARAM)> proc) {
  auto w = std::make_unique<Window>();
  w->className = "host";
  w->hostProc = std::move(proc);
  return newWindow(std::move(w));
}

void setDialogDriver(std::function<void(HWND)> driver) { user().dialogDriver = std::move(driver); }

void setItemText(HWND dialog, int id, const std::string& value) {
  if (Window* w = find(dialog)) w->items[id] = value;
}
std::string itemText(HWND dialog, int id) { return find(dialog) ? find(dialog)->items[id] : ""; }
UINT itemCheck(HWND dialog, int id) { return find(dialog) ? find(dialog)->checks[id] : 0; }

void click(HWND dialog, int id, bool autoRadio) {
  Window* w = find(dialog);
  if (!w || w->ended) return;
  if (autoRadio) w->checks[id] = w->checks[id] == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED;
  if (w->dialogProc) w->dialogProc(dialog, WM_COMMAND, WPARAM(id) | (WPARAM(BN_CLICKED) << 16), 0);
}

bool dialogEnded(HWND dialog, INT_PTR* result) {
  Window* w = find(dialog);
  if (!w) return false;
  if (result) *result = w->result;
  return w->ended;
}

namespace detail {
void resetUser() { user() = UserState{}; }
}  // namespace detail

}  // namespace standin

HMODULE GetModuleHandleA(LPCSTR name) {
  call("GetModuleHandleA", text(name));
  return reinterpret_cast<HMODULE>(0x400000);
}

int wsprintfA(LPSTR out, LPCSTR format, ...) {
  // The platform's limit: at most 1024 characters including the terminator.
  va_list args;
  va_start(args, format);
  int n = std::vsnprintf(out, 1024, format, args);
  va_end(args);
  return n < 1024 ? n : 1023;
}

ATOM RegisterClassA(const WNDCLASSA* cls) {
  call("RegisterClassA", text(cls->lpszClassName), cls->style, cls->cbClsExtra, cls->cbWndExtra,
       standin::detail::handleName(cls->hInstance), cls->hIcon != nullptr, cls->hCursor != nullptr,
       cls->hbrBackground != nullptr, text(cls->lpszMenuName));
  if (failing("RegisterClassA") || user().classes.count(cls->lpszClassName)) return 0;
  user().classes[cls->lpszClassName] = *cls;
  return ATOM(user().classes.size());
}

BOOL UnregisterClassA(LPCSTR name, HINSTANCE instance) {
  call("UnregisterClassA", text(name), standin::detail::handleName(instance));
  return user().classes.erase(name) ? TRUE : FALSE;
}

HWND CreateWindowExA(DWORD exStyle, LPCSTR cls, LPCSTR windowText, DWORD style, int x, int y, int w, int h,
                     HWND parent, HMENU menu, HINSTANCE instance, LPVOID) {
  call("CreateWindowExA", exStyle, text(cls), text(windowText), style, x, y, w, h,
       standin::detail::handleName(parent), menu != nullptr, standin::detail::handleName(instance));
  auto it = user().classes.find(cls);
  if (failing("CreateWindowExA") || it == user().classes.end()) return nullptr;
  auto window = std::make_unique<Window>();
  window->className = cls;
  window->text = windowText ? windowText : "";
  window->proc = it->second.lpfnWndProc;
  window->style = style;
  window->rect = RECT{x, y, x + w, y + h};
  window->visible = style & WS_VISIBLE;
  HWND hwnd = newWindow(std::move(window));
  if (find(hwnd)->proc) find(hwnd)->proc(hwnd, WM_CREATE, 0, 0);
  return hwnd;
}

BOOL DestroyWindow(HWND hwnd) {
  call("DestroyWindow", standin::detail::handleName(hwnd));
  Window* w = find(hwnd);
  if (!w) return FALSE;
  if (w->proc) w->proc(hwnd, WM_DESTROY, 0, 0);
  user().windows.erase(hwnd);
  return TRUE;
}

BOOL ShowWindow(HWND hwnd, int show) {
  call("ShowWindow", standin::detail::handleName(hwnd), show);
  Window* w = find(hwnd);
  if (!w) return FALSE;
  const bool wasVisible = w->visible;
  w->visible = DWORD(show) != SW_HIDE;
  w->iconic = DWORD(show) == SW_MINIMIZE || (w->iconic && DWORD(show) != SW_RESTORE && DWORD(show) != SW_SHOWNORMAL);
  return wasVisible ? TRUE : FALSE;
}

BOOL IsIconic(HWND hwnd) {
  call("IsIconic", standin::detail::handleName(hwnd));
  return find(hwnd) && find(hwnd)->iconic ? TRUE : FALSE;
}

BOOL IsWindowVisible(HWND hwnd) {
  call("IsWindowVisible", standin::detail::handleName(hwnd));
  return find(hwnd) && find(hwnd)->visible ? TRUE : FALSE;
}

BOOL GetWindowRect(HWND hwnd, LPRECT rect) {
  call("GetWindowRect", standin::detail::handleName(hwnd));
  Window* w = find(hwnd);
  if (!w) return FALSE;
  *rect = w->rect;
  return TRUE;
}

BOOL SetWindowPos(HWND hwnd, HWND, int x, int y, int width, int height, UINT flags) {
  call("SetWindowPos", standin::detail::handleName(hwnd), x, y, width, height, flags);
  Window* w = find(hwnd);
  if (!w) return FALSE;
  w->rect = RECT{x, y, x + width, y + height};
  if (flags & SWP_SHOWWINDOW) w->visible = true;
  return TRUE;
}

LONG SetWindowLongA(HWND hwnd, int index, LONG value) {
  call("SetWindowLongA", standin::detail::handleName(hwnd), index, DWORD(value));
  Window* w = find(hwnd);
  if (!w || index != GWL_STYLE) return 0;
  const LONG old = LONG(w->style);
  w->style = DWORD(value);
  return old;
}

BOOL AdjustWindowRectEx(LPRECT rect, DWORD style, BOOL, DWORD) {
  const RECT frame = frameOf(style);
  rect->left -= frame.left;
  rect->top -= frame.top;
  rect->right += frame.right;
  rect->bottom += frame.bottom;
  return TRUE;
}

BOOL ClientToScreen(HWND hwnd, POINT* point) {
  Window* w = find(hwnd);
  if (!w) return FALSE;
  const RECT frame = frameOf(w->style);
  point->x += w->rect.left + frame.left;
  point->y += w->rect.top + frame.top;
  return TRUE;
}

HMONITOR MonitorFromWindow(HWND hwnd, DWORD flags) {
  call("MonitorFromWindow", standin::detail::handleName(hwnd), flags);
  return reinterpret_cast<HMONITOR>(static_cast<std::uintptr_t>(0x20000));
}

BOOL GetMonitorInfoA(HMONITOR, MONITORINFO* info) {
  if (info->cbSize != sizeof(MONITORINFO)) return FALSE;
  info->rcMonitor = user().monitor;
  info->rcWork = user().work;
  return TRUE;
}

BOOL PostMessageA(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  call("PostMessageA", standin::detail::handleName(hwnd), msg, wp, lp);
  if (!find(hwnd)) return FALSE;
  user().posted.push_back({hwnd, msg, wp, lp});
  return TRUE;
}

HCURSOR LoadCursorA(HINSTANCE, LPCSTR name) {
  return reinterpret_cast<HCURSOR>(reinterpret_cast<std::uintptr_t>(name));
}

BOOL UpdateWindow(HWND hwnd) {
  call("UpdateWindow", standin::detail::handleName(hwnd));
  if (Window* w = find(hwnd); w && w->proc) w->proc(hwnd, WM_PAINT, 0, 0);
  return TRUE;
}

BOOL SetWindowTextA(HWND hwnd, LPCSTR value) {
  call("SetWindowTextA", standin::detail::handleName(hwnd), text(value));
  Window* w = find(hwnd);
  if (!w) return FALSE;
  w->text = value ? value : "";
  return TRUE;
}

int GetWindowTextA(HWND hwnd, LPSTR out, int size) {
  Window* w = find(hwnd);
  if (!w || size <= 0) return 0;
  int n = std::min<int>(int(w->text.size()), size - 1);
  w->text.copy(out, size_t(n));
  out[n] = '\0';
  return n;
}

LRESULT DefWindowProcA(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  call("DefWindowProcA", standin::detail::handleName(hwnd), msg, wp, lp);
  return 0;
}

LRESULT SendMessageA(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  call("SendMessageA", standin::detail::handleName(hwnd), msg, wp, lp);
  Window* w = find(hwnd);
  if (!w) return 0;
  if (w->hostProc) return w->hostProc(msg, wp, lp);
  if (w->proc) return w->proc(hwnd, msg, wp, lp);
  if (w->dialogProc) return w->dialogProc(hwnd, msg, wp, lp);
  return 0;
}

void PostQuitMessage(int code) {
  call("PostQuitMessage", code);
  user().quit = true;
  user().quitCode = code;
}

HDC BeginPaint(HWND hwnd, PAINTSTRUCT* ps) {
  call("BeginPaint", standin::detail::handleName(hwnd));
  *ps = PAINTSTRUCT{};
  return nullptr;
}

BOOL EndPaint(HWND hwnd, const PAINTSTRUCT*) {
  call("EndPaint", standin::detail::handleName(hwnd));
  return TRUE;
}

BOOL GetClientRect(HWND hwnd, LPRECT rect) {
  call("GetClientRect", standin::detail::handleName(hwnd));
  *rect = RECT{0, 0, 0, 0};
  Window* w = find(hwnd);
  if (!w) return FALSE;
  const RECT frame = frameOf(w->style);
  if (!w->iconic)
    *rect = RECT{0, 0, std::max<LONG>(0, w->rect.right - w->rect.left - frame.left - frame.right),
                 std::max<LONG>(0, w->rect.bottom - w->rect.top - frame.top - frame.bottom)};
  return TRUE;
}

HCURSOR SetCursor(HCURSOR cursor) {
  call("SetCursor", cursor == nullptr ? "null" : "cursor");
  HCURSOR old = user().cursor;
  user().cursor = cursor;
  return old;
}

int MessageBoxA(HWND owner, LPCSTR value, LPCSTR caption, UINT type) {
  call("MessageBoxA", standin::detail::handleName(owner), text(value), text(caption), type);
  user().boxes.push_back({owner, value ? value : "", caption ? caption : "", type});
  return int(IDOK);
}

INT_PTR DialogBoxParamA(HINSTANCE instance, LPCSTR templ, HWND owner, DLGPROC proc, LPARAM param) {
  call("DialogBoxParamA", standin::detail::handleName(instance), std::uintptr_t(templ),
       standin::detail::handleName(owner), param);
  if (failing("DialogBoxParamA")) return -1;
  auto window = std::make_unique<Window>();
  window->className = "#32770";
  window->dialogProc = proc;
  HWND dialog = newWindow(std::move(window));
  proc(dialog, WM_INITDIALOG, 0, param);
  if (user().dialogDriver) user().dialogDriver(dialog);
  INT_PTR result = find(dialog)->ended ? find(dialog)->result : IDCANCEL;
  user().windows.erase(dialog);
  return result;
}

BOOL EndDialog(HWND dialog, INT_PTR result) {
  call("EndDialog", standin::detail::handleName(dialog), result);
  Window* w = find(dialog);
  if (!w) return FALSE;
  w->ended = true;
  w->result = result;
  return TRUE;
}

HWND GetDlgItem(HWND dialog, int id) {
  call("GetDlgItem", standin::detail::handleName(dialog), id);
  return find(dialog) ? reinterpret_cast<HWND>(static_cast<std::uintptr_t>(0x10000 + id)) : nullptr;
}

UINT IsDlgButtonChecked(HWND dialog, int id) {
  call("IsDlgButtonChecked", standin::detail::handleName(dialog), id);
  return find(dialog) ? find(dialog)->checks[id] : 0;
}

BOOL CheckDlgButton(HWND dialog, int id, UINT check) {
  call("CheckDlgButton", standin::detail::handleName(dialog), id, check);
  if (!find(dialog)) return FALSE;
  find(dialog)->checks[id] = check;
  return TRUE;
}

BOOL CheckRadioButton(HWND dialog, int first, int last, int check) {
  call("CheckRadioButton", standin::detail::handleName(dialog), first, last, check);
  Window* w = find(dialog);
  if (!w) return FALSE;
  for (int id = first; id <= last; ++id) w->checks[id] = id == check ? BST_CHECKED : BST_UNCHECKED;
  return TRUE;
}

UINT GetDlgItemInt(HWND dialog, int id, BOOL* translated, BOOL isSigned) {
  call("GetDlgItemInt", standin::detail::handleName(dialog), id, isSigned);
  Window* w = find(dialog);
  // Like the platform: leading blanks, an optional minus sign when signed, then digits only.
  const std::string value = w ? w->items[id] : "";
  size_t i = value.find_first_not_of(' ');
  bool negative = false;
  if (i != std::string::npos && isSigned && value[i] == '-') negative = true, ++i;
  long long number = 0;
  bool ok = i != std::string::npos && i < value.size();
  for (; ok && i < value.size(); ++i) {
    if (value[i] < '0' || value[i] > '9') ok = false;
    else number = number * 10 + (value[i] - '0');
    if (number > 0xFFFFFFFFLL) ok = false;
  }
  if (ok && isSigned && (negative ? -number < INT32_MIN : number > INT32_MAX)) ok = false;
  if (translated) *translated = ok ? TRUE : FALSE;
  if (!ok) return 0;
  return UINT(negative ? -number : number);
}

BOOL SetDlgItemInt(HWND dialog, int id, UINT value, BOOL isSigned) {
  call("SetDlgItemInt", standin::detail::handleName(dialog), id, value, isSigned);
  if (!find(dialog)) return FALSE;
  find(dialog)->items[id] = isSigned ? std::to_string(int(value)) : std::to_string(value);
  return TRUE;
}
