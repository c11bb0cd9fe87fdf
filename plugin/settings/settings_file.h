// The settings file, "plugin.ini" beside the DLL, section "Vexilumarine": its path, and the one
// way its keys are read and written. Two write rules live side by side: the plug-in's classic
// keys are always written ("FALSE" spelled out), while the keys added with the ways of watching
// are written only while they differ from their default, so a file that never used them stays
// byte for byte as it was.
#pragma once

#include "../vis_module.h"

constexpr int settingsPathSize = 260;
constexpr const char* settingsSection = "Vexilumarine";

// The settings file's full path into `buffer` (settingsPathSize characters). Returns 0 when the
// module path leaves no room for the file name: the caller then neither reads nor writes.
int settingsFilePath(const VisModule& module, char* buffer);

// 1 for exactly "TRUE" (the fallback's text when the key is absent), else 0.
int readFlag(const char* key, const char* fallback, const char* path);
// The leading number, as the platform reads it ("3000ms" is 3000), saturated to the int range.
// Text that starts with no number leaves the field as it was, as an absent key does.
void readLeadingNumber(const char* key, int* field, const char* path);
// The platform's integer reader: `fallback` when the key is absent.
int readPlatformNumber(const char* key, int fallback, const char* path);

// Always written: "TRUE" or "FALSE", the number in decimal.
void writeFlagAlways(const char* key, int value, const char* path);
void writeNumberAlways(const char* key, int value, const char* path);
// Written only off the default ("TRUE" for a flag, whose default is off); at the default the key
// is deleted if the file has it and the file is not touched if it has not.
void writeFlagOrDeleteAtDefault(const char* key, int value, const char* path);
void writeNumberOrDeleteAtDefault(const char* key, int value, int defaultValue, const char* path);
