// Settings files both profile implementations must read and write alike.
#pragma once

// What saving the default settings into a new file produces.
constexpr const char* defaultSettingsFile =
    "[Vexilumarine]\r\n"
    "title persistence=6000\r\n"
    "title fade=6000\r\n"
    "effect length=10000\r\n"
    "fade length=1000\r\n"
    "graphics mode=5\r\n"
    "widescreen=FALSE\r\n"
    "show title=TRUE\r\n"
    "persistent title=FALSE\r\n"
    "show time=TRUE\r\n"
    "blurred time display=TRUE\r\n"
    "show FPS=FALSE\r\n"
    "vu water=TRUE\r\n"
    "spectrum analyser=TRUE\r\n"
    "spherical shells=TRUE\r\n"
    "freaky movey thingy=TRUE\r\n"
    "volumetric light=TRUE\r\n"
    "spike cylinder=TRUE\r\n"
    "super shells=TRUE\r\n"
    "random effect order=TRUE\r\n";

// A hand-edited file: lower-case and odd flags, a number with trailing text, a mode out of range,
// a key in another case, and an unrelated section that must survive a save.
constexpr const char* handEditedSettingsFile =
    "[Other]\r\n"
    "effect length=1\r\n"
    "[Vexilumarine]\r\n"
    "widescreen=true\r\n"
    "SHOW TITLE=FALSE\r\n"
    "show FPS=TRUE\r\n"
    "effect length=3000ms\r\n"
    "fade length=abc\r\n"
    "graphics mode=11\r\n"
    "super shells=1\r\n";

// The same file after loading it and saving it back.
constexpr const char* handEditedSettingsFileSaved =
    "[Other]\r\n"
    "effect length=1\r\n"
    "[Vexilumarine]\r\n"
    "widescreen=FALSE\r\n"
    "SHOW TITLE=FALSE\r\n"
    "show FPS=TRUE\r\n"
    "effect length=3000\r\n"
    "fade length=1000\r\n"
    "graphics mode=11\r\n"
    "super shells=FALSE\r\n"
    "title persistence=6000\r\n"
    "title fade=6000\r\n"
    "persistent title=FALSE\r\n"
    "show time=TRUE\r\n"
    "blurred time display=TRUE\r\n"
    "vu water=TRUE\r\n"
    "spectrum analyser=TRUE\r\n"
    "spherical shells=TRUE\r\n"
    "freaky movey thingy=TRUE\r\n"
    "volumetric light=TRUE\r\n"
    "spike cylinder=TRUE\r\n"
    "random effect order=TRUE\r\n";
