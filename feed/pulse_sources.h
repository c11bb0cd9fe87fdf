// The sources a PulseAudio server (or PipeWire's PulseAudio service) can record: monitors of
// its outputs, microphones, virtual cables.
#pragma once

#include <string>
#include <vector>

struct SoundSource {
  std::string name;         // what --source takes, e.g. "alsa_output.pci-0000_00_1f.3.analog-stereo.monitor"
  std::string description;  // what a desktop shows, e.g. "Monitor of Built-in Audio"
};

// Asks the server for its sources, in the server's order. False (with the reason) when there is
// no server to ask.
bool listSoundSources(std::vector<SoundSource>& sources, std::string& error);

// "  NAME  DESCRIPTION" lines, the names padded to one width.
std::string formatSoundSources(const std::vector<SoundSource>& sources);
