// Nothing waits forever on the virtual clock: a watch thread ends the run when no frame has come
// for a minute of wall time, or --stall-seconds (a box in Init, a hung thread), with a message
// naming what it waits for (the caption and text of a box the plug-in shows, if any) and a non-zero
// exit; the whole process ends, so nothing is left running. Live runs are not watched: a box
// waits for the user.
#pragma once

#include <string>

// Starts the watch: `seconds` without progress end the run; `beforeExit` runs just before the
// process ends (may be null).
void startStallWatch(int seconds, void (*beforeExit)());
// The run is moving: `waitingFor` names what comes next ("the plug-in's Init" ...).
void noteProgress(const std::string& waitingFor);
// What the process's message boxes say: "box "CAPTION": "TEXT"", joined; empty when none shows.
std::string describeBoxes();
