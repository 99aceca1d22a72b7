// Pictures of windows as the user sees them: the screen's pixels under a window or under its
// client area, kept as 32-bit pixels and written as PNG files.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace e2e {

struct ScreenImage {
   int width = 0;
   int height = 0;
   std::vector<uint32_t> pixels;   // 0x00RRGGBB, rows top to bottom

   bool Empty() const { return pixels.empty(); }
   // How many pixels have exactly this colour (a COLORREF, as GetSysColor gives).
   size_t CountColour(COLORREF colour) const;
   size_t CountBlack() const { return CountColour(RGB(0, 0, 0)); }
};

// The screen's pixels in the window's client area (empty on failure).
ScreenImage CaptureClientFromScreen(HWND window);
// The screen's pixels under the whole window, frame included. (Another process's window cannot be
// asked to draw itself into this process's bitmap.) Without a window manager the screen shows
// no caption: run under Wine's own desktop to see one.
ScreenImage CaptureWindowFromScreen(HWND window);
// Writes an uncompressed PNG; false when the file cannot be written.
bool SavePng(const ScreenImage &image, const std::string &path);
// Paints the window and its children now, then saves the whole window as it shows on the screen
// as `name` in `folder` and beside the test program.
void KeepWindowScreenshot(const std::string &folder, HWND window, const std::string &name);

}  // namespace e2e
