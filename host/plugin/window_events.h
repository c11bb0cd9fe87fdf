// Test hooks for the plug-in's window: keys, Alt+Enter, minimising and resizing at given frames.
#pragma once

#include <string>
#include <vector>

struct WindowEvent {
  int frame = 0;
  enum Kind { key, escape, altEnter, minimise, restore, resize } kind = key;
  int width = 0, height = 0;  // resize: the client area's new size
};

// "F:key", "F:escape", "F:alt-enter", "F:minimise", "F:restore" or "F:WxH"; false if it is none.
bool parseWindowEvent(const std::string& text, WindowEvent& event);
// Parses "WxH" with both at least 1.
bool parseSize(const std::string& text, int& width, int& height);
// Carries out the events due after `frame` on the plug-in's window (from the thread that owns it).
void applyWindowEvents(const std::vector<WindowEvent>& events, int frame);
