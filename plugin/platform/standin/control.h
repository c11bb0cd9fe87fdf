// What native tests can see and steer in the platform stand-in: the call trace, failure
// injection, the clock, the module path and profile files, windows, message boxes, dialogs
// and the simulated COM objects.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "directx.h"
#include "win32.h"

namespace standin {

// Forgets every object, window, failure, message box and trace line; the clock goes to 0.
void reset();

// Every call into the stand-in, one line each: "Name(arg,arg)" for functions and
// "label.Method(arg,arg)" for objects (labels such as "device1", "surface3", "light2").
const std::vector<std::string>& trace();
void clearTrace();
void setTracing(bool on);
// The argument lists of every traced call whose name (function or method) is `name`.
std::vector<std::string> calls(std::string_view name);
// The trace lines whose name is one of `names`, in order.
std::vector<std::string> callsOf(std::initializer_list<std::string_view> names);
int countOf(std::string_view name);

// Failure injection by function or method name. The `occurrence`-th next call fails.
void failNext(const std::string& name, int occurrence = 1, HRESULT result = E_FAIL);
void failAlways(const std::string& name, HRESULT result = E_FAIL);
// How many calls failed because a test asked for it, and how many calls were made at all.
int injectedFailures();
long long platformCalls();
// Calls the real platform would crash on (a release too many, a draw past its arrays), counted
// whether tracing is on or not; each is also traced as "label.OverRelease" / "label.InvalidDraw".
int misuses();

// The timeGetTime clock.
void setTime(DWORD ms);
void advanceTime(DWORD ms);
// A running clock: every timeGetTime read moves it on by `ms` after answering (0 = a still clock).
void setTimeStepPerRead(DWORD ms);

// GetModuleFileNameA's answer (a Windows path). Profile and bitmap paths are mapped to native
// paths by dropping a drive letter and turning backslashes into slashes.
void setModulePath(const std::string& windowsPath);
std::string nativePath(const char* windowsPath);
// The file that GetProfileStringA reads (the user profile); empty means none.
void setUserProfile(const std::string& nativeFile);

struct MessageBoxShown {
  HWND owner;
  std::string text;
  std::string caption;
  UINT type;
};
const std::vector<MessageBoxShown>& messageBoxes();

// Windows.
bool windowExists(HWND hwnd);
std::string windowText(HWND hwnd);
int windowCount();
bool classRegistered(const std::string& name);
// PostQuitMessage: whether it was called and with which code.
bool quitPosted(int* code = nullptr);
// A host window: SendMessageA to it calls `proc`.
HWND createHostWindow(std::function<LRESULT(UINT, WPARAM, LPARAM)> proc);
HCURSOR currentCursor();
// Messages posted with PostMessageA, in order.
struct PostedMessage {
  HWND hwnd;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
};
const std::vector<PostedMessage>& postedMessages();
// The one monitor: its whole area and its work area (1920 x 1080, the task bar's 40 rows off).
void setMonitor(const RECT& monitor, const RECT& work);

// Dialogs: DialogBoxParamA creates the dialog, sends WM_INITDIALOG and then calls the driver,
// which plays the user (sendCommand, setItemText, click...) until the dialog ends.
void setDialogDriver(std::function<void(HWND dialog)> driver);
void setItemText(HWND dialog, int id, const std::string& text);
std::string itemText(HWND dialog, int id);
UINT itemCheck(HWND dialog, int id);
// A button click as the user makes it: check boxes flip, radio buttons check, then WM_COMMAND.
void click(HWND dialog, int id, bool autoRadio = true);
bool dialogEnded(HWND dialog, INT_PTR* result = nullptr);

// Simulated COM objects.
int refCount(const void* object);  // 0 once released for good
int liveComObjects();
std::vector<std::string> liveComLabels();
std::string label(const void* object);
// Texture formats offered by every device's EnumTextureFormats, in order.
void setTextureFormats(const std::vector<DDPIXELFORMAT>& formats);
DDPIXELFORMAT rgbFormat(DWORD bits);
DDPIXELFORMAT palettedFormat(DWORD bits);
// Drivers listed by DirectDrawEnumerateA: description and name.
void setDrivers(const std::vector<std::pair<std::string, std::string>>& drivers);
// Whether the device created next reports hardware colour model (HAL) in GetCaps.
void setHardwareDevice(bool hal);
// Surfaces report DDERR_SURFACELOST from IsLost until restored.
void loseSurfaces();
// The last matrix set per transform state (1 world, 2 view, 3 projection) on any device.
D3DMATRIX lastTransform(int state);
// Every traced DrawIndexedPrimitive: its arrays and the world matrix in force at the time.
struct IndexedDraw {
  const void* vertices;
  const WORD* indices;
  D3DMATRIX world;
};
const std::vector<IndexedDraw>& indexedDraws();
// The last D3DLIGHT set on each light object, by creation order.
D3DLIGHT lastLight(int index);
// The last material set on the material object with the given handle.
D3DMATERIAL materialOf(D3DMATERIALHANDLE handle);
D3DVIEWPORT2 lastViewport();

// Bitmaps that LoadImageA "loads from file" (keyed by the native path).
struct FakeBitmap {
  int width = 0;
  int height = 0;
  int bitsPerPixel = 24;
  std::vector<RGBQUAD> colours;
};
void addBitmapFile(const std::string& nativePath, const FakeBitmap& bitmap);
int liveGdiObjects();

}  // namespace standin
