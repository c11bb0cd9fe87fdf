#include "config_dialog.h"

#include "settings.h"
#include "window_settings.h"

namespace {

constexpr const char* refusalCaption = "Ooops";

// Radio buttons of graphics modes 0..10.
constexpr int resolutionIds[11] = {1018, 1021, 1022, 1023, 1024, 1025, 1026, 1027, 1028, 1029, 1030};

// Check boxes of the display options, in the order the dialog fills them.
struct FlagBox {
  int id;
  int Settings::*flag;
};
constexpr FlagBox displayFlagBoxes[6] = {
    {1039, &Settings::widescreen}, {1033, &Settings::showTitle},          {1012, &Settings::persistentTitle},
    {1035, &Settings::showTime},   {1034, &Settings::blurredTimeDisplay}, {1031, &Settings::showFps}};
constexpr FlagBox randomCycleBox = {1036, &Settings::randomEffectOrder};

// Check boxes of the ways of watching beside the classic full screen.
struct WatchingBox {
  int id;
  int* flag;
};
constexpr WatchingBox watchingBoxes[2] = {{1041, &windowSettings.windowed}, {1042, &windowSettings.desktopSize}};

// Check boxes 1005..1011 enable effects 0..6.
constexpr int firstEffectBox = 1005;
constexpr int effectBoxCount = 7;

// The number fields, in the order OK checks them, with the message that refuses a negative number.
struct NumberField {
  int id;
  int Settings::*value;
  const char* refusal;
};
constexpr NumberField numberFields[4] = {
    {1037, &Settings::titlePersistenceMs,
     "The title must be shown for a number of milliseconds greater than or equal to zero."},
    {1038, &Settings::titleFadeMs, "The title must fade for a number of milliseconds greater than or equal to zero."},
    {1040, &Settings::effectLengthMs,
     "The effect must be shown for a number of milliseconds greater than or equal to zero."},
    {1032, &Settings::fadeLengthMs, "The effect must fade for a number of milliseconds greater than or equal to zero."}};

constexpr const char* tooFewEffects =
    "More than 1 effect must be enabled for the plugin to function. Resetting all to true.";

void showCheck(HWND dialog, int id, int on) { CheckDlgButton(dialog, id, on ? BST_CHECKED : BST_UNCHECKED); }

void fillDialog(HWND dialog) {
  for (const FlagBox& box : displayFlagBoxes)
    if (settings.*box.flag) showCheck(dialog, box.id, 1);
  SetDlgItemInt(dialog, 1037, UINT(settings.titlePersistenceMs), TRUE);
  SetDlgItemInt(dialog, 1038, UINT(settings.titleFadeMs), TRUE);
  SetDlgItemInt(dialog, 1032, UINT(settings.fadeLengthMs), TRUE);
  SetDlgItemInt(dialog, 1040, UINT(settings.effectLengthMs), TRUE);
  selectResolution(dialog, settings.graphicsMode);
  for (int i = 0; i < effectBoxCount; ++i)
    if (settings.effectEnabled[i]) showCheck(dialog, firstEffectBox + i, 1);
  if (settings.*randomCycleBox.flag) showCheck(dialog, randomCycleBox.id, 1);
  for (const WatchingBox& box : watchingBoxes)
    if (*box.flag) showCheck(dialog, box.id, 1);
}

template <typename Flag>
void flip(HWND dialog, int id, Flag& value) {
  value = value ? 0 : 1;
  showCheck(dialog, id, value);
}

const FlagBox* settingBox(int id) {
  for (const FlagBox& box : displayFlagBoxes)
    if (box.id == id) return &box;
  return id == randomCycleBox.id ? &randomCycleBox : nullptr;
}

// The window and the desktop's size are two ways of watching: ticking one clears the other. A
// file edited by hand with both on shows both ticked until one is clicked (the window wins).
void clearOtherWaysOfWatching(HWND dialog, int ticked) {
  for (const WatchingBox& box : watchingBoxes)
    if (box.id != ticked && *box.flag) flip(dialog, box.id, *box.flag);
}

// Flips the value a check box is bound to and shows the new value; false if `id` is no check box.
bool toggleFlagBox(HWND dialog, int id) {
  if (id >= firstEffectBox && id < firstEffectBox + effectBoxCount) {
    flip(dialog, id, settings.effectEnabled[id - firstEffectBox]);
    return true;
  }
  for (const WatchingBox& box : watchingBoxes)
    if (box.id == id) {
      flip(dialog, id, *box.flag);
      if (*box.flag) clearOtherWaysOfWatching(dialog, id);
      return true;
    }
  const FlagBox* box = settingBox(id);
  if (!box) return false;
  flip(dialog, id, settings.*box->flag);
  return true;
}

// The graphics mode of a resolution radio button, or -1.
int resolutionOf(int id) {
  for (int mode = 0; mode < 11; ++mode)
    if (resolutionIds[mode] == id) return mode;
  return -1;
}

// Stores every number field that holds no negative number; each refused field keeps its old value.
void acceptNumbers(HWND dialog) {
  for (const NumberField& field : numberFields) {
    int value = int(GetDlgItemInt(dialog, field.id, nullptr, TRUE));
    if (value < 0) MessageBoxA(dialog, field.refusal, refusalCaption, MB_OK);
    else settings.*field.value = value;
  }
}

// With fewer than two effects in the rotation, all seven go back in.
void keepRotationAlive(HWND dialog) {
  int enabledCount = 0;
  for (int i = 0; i < effectBoxCount; ++i) enabledCount += settings.effectEnabled[i] ? 1 : 0;
  if (enabledCount >= 2) return;
  MessageBoxA(dialog, tooFewEffects, refusalCaption, MB_OK);
  for (int i = 0; i < effectBoxCount; ++i) settings.effectEnabled[i] = 1;
}

void handleCommand(HWND dialog, int id) {
  if (toggleFlagBox(dialog, id)) return;
  if (int mode = resolutionOf(id); mode >= 0) {
    selectResolution(dialog, mode);
  } else if (id == IDOK) {
    acceptNumbers(dialog);
    keepRotationAlive(dialog);
    EndDialog(dialog, 1);
  } else if (id == IDCANCEL) {
    EndDialog(dialog, 1);
  }
}

}  // namespace

void configure(const VisModule& module) {
  loadSettings(module);
  DialogBoxParamA(module.hDllInstance, MAKEINTRESOURCEA(configDialogId), module.hwndParent, configDialogProc, 0);
  saveSettings(module);
}

INT_PTR CALLBACK configDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  if (message == WM_INITDIALOG) {
    fillDialog(dialog);
    return TRUE;
  }
  if (message == WM_COMMAND) handleCommand(dialog, LOWORD(wParam));
  return FALSE;
}

void selectResolution(HWND dialog, int mode) {
  if (mode >= 0 && mode <= 10) CheckRadioButton(dialog, resolutionIds[0], resolutionIds[10], resolutionIds[mode]);
  settings.graphicsMode = mode;
}
