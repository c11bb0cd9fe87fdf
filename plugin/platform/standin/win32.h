// Stand-in declarations of the Win32 and GDI subset the plug-in uses (native build only).
// Names, field orders and numeric values are those of the Windows SDK.
#pragma once

#include <cstdint>
#include <cstddef>

using BYTE = std::uint8_t;
using WORD = std::uint16_t;
using DWORD = std::uint32_t;
using UINT = unsigned int;
using ULONG = std::uint32_t;
using LONG = std::int32_t;
using BOOL = int;
using WINBOOL = int;
using HRESULT = std::int32_t;
using ATOM = WORD;
using COLORREF = DWORD;
using CHAR = char;
using LPSTR = char*;
using LPCSTR = const char*;
using LPVOID = void*;
using LPDWORD = DWORD*;
using LPLONG = LONG*;
using UINT_PTR = std::uintptr_t;
using LONG_PTR = std::intptr_t;
using WPARAM = UINT_PTR;
using LPARAM = LONG_PTR;
using LRESULT = LONG_PTR;
using INT_PTR = std::intptr_t;

#define WINAPI
#define CALLBACK
#define APIENTRY
#define PASCAL

constexpr BOOL TRUE = 1;
constexpr BOOL FALSE = 0;
#define MAX_PATH 260

// Handles are distinct opaque pointer types, as with STRICT.
#define STANDIN_HANDLE(name) struct name##__ { int unused; }; using name = name##__*
STANDIN_HANDLE(HWND);
STANDIN_HANDLE(HINSTANCE);
STANDIN_HANDLE(HDC);
STANDIN_HANDLE(HICON);
STANDIN_HANDLE(HMENU);
STANDIN_HANDLE(HBRUSH);
STANDIN_HANDLE(HBITMAP);
STANDIN_HANDLE(HFONT);
STANDIN_HANDLE(HPALETTE);
STANDIN_HANDLE(HMONITOR);
#undef STANDIN_HANDLE
using HMODULE = HINSTANCE;
using HCURSOR = HICON;
using HANDLE = void*;
using HGDIOBJ = void*;

struct GUID {
  DWORD Data1;
  WORD Data2;
  WORD Data3;
  BYTE Data4[8];
};
using IID = GUID;
using CLSID = GUID;
using REFIID = const IID&;
using REFCLSID = const CLSID&;
using LPGUID = GUID*;
inline bool operator==(const GUID& a, const GUID& b) {
  if (a.Data1 != b.Data1 || a.Data2 != b.Data2 || a.Data3 != b.Data3) return false;
  for (int i = 0; i < 8; ++i)
    if (a.Data4[i] != b.Data4[i]) return false;
  return true;
}

struct RECT { LONG left, top, right, bottom; };
using LPRECT = RECT*;
struct POINT { LONG x, y; };
struct MSG { HWND hwnd; UINT message; WPARAM wParam; LPARAM lParam; DWORD time; POINT pt; };
struct MONITORINFO { DWORD cbSize; RECT rcMonitor; RECT rcWork; DWORD dwFlags; };
struct MINMAXINFO { POINT ptReserved, ptMaxSize, ptMaxPosition, ptMinTrackSize, ptMaxTrackSize; };
struct PAINTSTRUCT { HDC hdc; BOOL fErase; RECT rcPaint; BOOL fRestore; BOOL fIncUpdate; BYTE rgbReserved[32]; };

using WNDPROC = LRESULT (*)(HWND, UINT, WPARAM, LPARAM);
using DLGPROC = INT_PTR (*)(HWND, UINT, WPARAM, LPARAM);
struct WNDCLASSA {
  UINT style;
  WNDPROC lpfnWndProc;
  int cbClsExtra;
  int cbWndExtra;
  HINSTANCE hInstance;
  HICON hIcon;
  HCURSOR hCursor;
  HBRUSH hbrBackground;
  LPCSTR lpszMenuName;
  LPCSTR lpszClassName;
};

struct BITMAP { LONG bmType; LONG bmWidth; LONG bmHeight; LONG bmWidthBytes; WORD bmPlanes; WORD bmBitsPixel; LPVOID bmBits; };
struct RGBQUAD { BYTE rgbBlue, rgbGreen, rgbRed, rgbReserved; };
struct PALETTEENTRY { BYTE peRed, peGreen, peBlue, peFlags; };
using LPPALETTEENTRY = PALETTEENTRY*;
struct BLENDFUNCTION { BYTE BlendOp; BYTE BlendFlags; BYTE SourceConstantAlpha; BYTE AlphaFormat; };

constexpr WORD LOWORD(std::uintptr_t v) { return WORD(v & 0xFFFF); }
constexpr WORD HIWORD(std::uintptr_t v) { return WORD((v >> 16) & 0xFFFF); }
constexpr COLORREF RGB(BYTE r, BYTE g, BYTE b) { return COLORREF(r) | (COLORREF(g) << 8) | (COLORREF(b) << 16); }
constexpr bool SUCCEEDED(HRESULT hr) { return hr >= 0; }
constexpr bool FAILED(HRESULT hr) { return hr < 0; }
#define MAKEINTRESOURCEA(i) (reinterpret_cast<LPCSTR>(static_cast<std::uintptr_t>(static_cast<WORD>(i))))

// Numeric values as in the Windows SDK.
constexpr DWORD WM_CREATE = 0x1u;
constexpr DWORD WM_DESTROY = 0x2u;
constexpr DWORD WM_MOVE = 0x3u;
constexpr DWORD WM_PAINT = 0xFu;
constexpr DWORD WM_ERASEBKGND = 0x14u;
constexpr DWORD WM_ACTIVATEAPP = 0x1Cu;
constexpr DWORD WM_SETCURSOR = 0x20u;
constexpr DWORD WM_MOUSEACTIVATE = 0x21u;
constexpr DWORD WM_KEYDOWN = 0x100u;
constexpr DWORD WM_MOUSEMOVE = 0x200u;
constexpr DWORD WM_ENTERMENULOOP = 0x211u;
constexpr DWORD WM_EXITMENULOOP = 0x212u;
constexpr DWORD WM_USER = 0x400u;
constexpr DWORD WM_SIZE = 0x5u;
constexpr DWORD WM_GETMINMAXINFO = 0x24u;
constexpr DWORD WM_SYSKEYDOWN = 0x104u;
constexpr WPARAM VK_RETURN = 0x0Du;
constexpr WPARAM VK_ESCAPE = 0x1Bu;
constexpr WPARAM VK_SPACE = 0x20u;
constexpr int GWL_STYLE = -16;
constexpr UINT SWP_NOZORDER = 0x4u;
constexpr UINT SWP_NOACTIVATE = 0x10u;
constexpr UINT SWP_FRAMECHANGED = 0x20u;
constexpr UINT SWP_SHOWWINDOW = 0x40u;
constexpr DWORD MONITOR_DEFAULTTOPRIMARY = 0x1u;
constexpr int HTCLIENT = 1;
#define IDC_ARROW MAKEINTRESOURCEA(32512)
constexpr DWORD WM_INITDIALOG = 0x110u;
constexpr DWORD WM_COMMAND = 0x111u;
constexpr DWORD WM_CLOSE = 0x10u;
constexpr DWORD WM_QUIT = 0x12u;
constexpr DWORD WM_CHAR = 0x102u;
constexpr DWORD WM_KEYUP = 0x101u;
constexpr DWORD WM_LBUTTONDOWN = 0x201u;
constexpr DWORD WM_LBUTTONUP = 0x202u;
constexpr DWORD BM_GETCHECK = 0xF0u;
constexpr DWORD BM_SETCHECK = 0xF1u;
constexpr DWORD BM_CLICK = 0xF5u;
constexpr DWORD BST_CHECKED = 0x1u;
constexpr DWORD BST_UNCHECKED = 0x0u;
constexpr DWORD BN_CLICKED = 0x0u;
constexpr DWORD CS_HREDRAW = 0x2u;
constexpr DWORD CS_VREDRAW = 0x1u;
constexpr DWORD WS_EX_APPWINDOW = 0x40000u;
constexpr DWORD WS_POPUP = 0x80000000u;
constexpr DWORD WS_CAPTION = 0xC00000u;
constexpr DWORD WS_SYSMENU = 0x80000u;
constexpr DWORD WS_VISIBLE = 0x10000000u;
constexpr DWORD WS_THICKFRAME = 0x40000u;
constexpr DWORD WS_OVERLAPPEDWINDOW = 0xCF0000u;
constexpr DWORD WS_CHILD = 0x40000000u;
constexpr DWORD SW_SHOWNORMAL = 0x1u;
constexpr DWORD SW_SHOW = 0x5u;
constexpr DWORD SW_HIDE = 0x0u;
constexpr DWORD SW_MINIMIZE = 0x6u;
constexpr DWORD SW_RESTORE = 0x9u;
constexpr DWORD MB_OK = 0x0u;
constexpr DWORD MB_ICONERROR = 0x10u;
constexpr DWORD IDOK = 0x1u;
constexpr DWORD IDCANCEL = 0x2u;
constexpr int TRANSPARENT = 1;
constexpr int OPAQUE = 2;
constexpr DWORD SRCCOPY = 0xCC0020u;
constexpr DWORD SRCPAINT = 0xEE0086u;
constexpr int BLACKNESS = 66;
constexpr int ANSI_CHARSET = 0;
constexpr int OUT_DEFAULT_PRECIS = 0;
constexpr int CLIP_DEFAULT_PRECIS = 0;
constexpr int DRAFT_QUALITY = 1;
constexpr int FIXED_PITCH = 1;
constexpr DWORD IMAGE_BITMAP = 0x0u;
constexpr DWORD LR_CREATEDIBSECTION = 0x2000u;
constexpr DWORD LR_LOADFROMFILE = 0x10u;
constexpr DWORD AC_SRC_OVER = 0x0u;
constexpr HRESULT E_FAIL = HRESULT(0x80004005u);
constexpr HRESULT E_NOINTERFACE = HRESULT(0x80004002u);
constexpr HRESULT S_OK = HRESULT(0x00000000u);
constexpr HRESULT E_NOTIMPL = HRESULT(0x80004001u);

// kernel32 / user32
HMODULE GetModuleHandleA(LPCSTR name);
DWORD GetModuleFileNameA(HMODULE module, LPSTR buffer, DWORD size);
DWORD GetPrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR fallback, LPSTR out, DWORD size, LPCSTR file);
UINT GetPrivateProfileIntA(LPCSTR section, LPCSTR key, int fallback, LPCSTR file);
BOOL WritePrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR value, LPCSTR file);
DWORD GetProfileStringA(LPCSTR section, LPCSTR key, LPCSTR fallback, LPSTR out, DWORD size);
int lstrcmpiA(LPCSTR a, LPCSTR b);
int wsprintfA(LPSTR out, LPCSTR format, ...);
void Sleep(DWORD ms);

ATOM RegisterClassA(const WNDCLASSA* cls);
BOOL UnregisterClassA(LPCSTR name, HINSTANCE instance);
HWND CreateWindowExA(DWORD exStyle, LPCSTR cls, LPCSTR text, DWORD style, int x, int y, int w, int h,
                     HWND parent, HMENU menu, HINSTANCE instance, LPVOID param);
BOOL DestroyWindow(HWND hwnd);
BOOL ShowWindow(HWND hwnd, int show);
BOOL UpdateWindow(HWND hwnd);
BOOL SetWindowTextA(HWND hwnd, LPCSTR text);
int GetWindowTextA(HWND hwnd, LPSTR out, int size);
LRESULT DefWindowProcA(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
LRESULT SendMessageA(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
void PostQuitMessage(int code);
HDC BeginPaint(HWND hwnd, PAINTSTRUCT* ps);
BOOL EndPaint(HWND hwnd, const PAINTSTRUCT* ps);
BOOL GetClientRect(HWND hwnd, LPRECT rect);
HCURSOR SetCursor(HCURSOR cursor);
HCURSOR LoadCursorA(HINSTANCE instance, LPCSTR name);
BOOL PostMessageA(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
BOOL IsIconic(HWND hwnd);
BOOL IsWindowVisible(HWND hwnd);
BOOL GetWindowRect(HWND hwnd, LPRECT rect);
BOOL SetWindowPos(HWND hwnd, HWND after, int x, int y, int w, int h, UINT flags);
LONG SetWindowLongA(HWND hwnd, int index, LONG value);
BOOL AdjustWindowRectEx(LPRECT rect, DWORD style, BOOL menu, DWORD exStyle);
BOOL ClientToScreen(HWND hwnd, POINT* point);
HMONITOR MonitorFromWindow(HWND hwnd, DWORD flags);
BOOL GetMonitorInfoA(HMONITOR monitor, MONITORINFO* info);
int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type);
INT_PTR DialogBoxParamA(HINSTANCE instance, LPCSTR templ, HWND owner, DLGPROC proc, LPARAM param);
BOOL EndDialog(HWND dialog, INT_PTR result);
HWND GetDlgItem(HWND dialog, int id);
UINT IsDlgButtonChecked(HWND dialog, int id);
BOOL CheckDlgButton(HWND dialog, int id, UINT check);
BOOL CheckRadioButton(HWND dialog, int first, int last, int check);
UINT GetDlgItemInt(HWND dialog, int id, BOOL* translated, BOOL isSigned);
BOOL SetDlgItemInt(HWND dialog, int id, UINT value, BOOL isSigned);

// gdi32 / msimg32
HDC CreateCompatibleDC(HDC dc);
BOOL DeleteDC(HDC dc);
HBITMAP CreateCompatibleBitmap(HDC dc, int w, int h);
HGDIOBJ SelectObject(HDC dc, HGDIOBJ obj);
BOOL DeleteObject(HGDIOBJ obj);
int GetObjectA(HGDIOBJ obj, int size, LPVOID out);
HFONT CreateFontA(int height, int width, int escapement, int orientation, int weight, DWORD italic,
                  DWORD underline, DWORD strikeOut, DWORD charset, DWORD outPrecision, DWORD clipPrecision,
                  DWORD quality, DWORD pitchAndFamily, LPCSTR face);
int SetBkMode(HDC dc, int mode);
COLORREF SetBkColor(HDC dc, COLORREF colour);
COLORREF SetTextColor(HDC dc, COLORREF colour);
BOOL TextOutA(HDC dc, int x, int y, LPCSTR text, int length);
BOOL BitBlt(HDC dst, int x, int y, int w, int h, HDC src, int sx, int sy, DWORD rop);
BOOL AlphaBlend(HDC dst, int x, int y, int w, int h, HDC src, int sx, int sy, int sw, int sh, BLENDFUNCTION fn);
UINT GetDIBColorTable(HDC dc, UINT start, UINT count, RGBQUAD* out);
HANDLE LoadImageA(HINSTANCE instance, LPCSTR name, UINT type, int w, int h, UINT flags);

// winmm
DWORD timeGetTime();

// The C runtime's generator of the platform (msvcrt): RAND_MAX 32767.
extern "C" int rand() noexcept;
extern "C" void srand(unsigned seed) noexcept;
