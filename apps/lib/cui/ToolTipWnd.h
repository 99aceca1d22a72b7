// A notification tip: a small owned pop-up with an icon, a bold line and a detail text, shown
// without taking the activation. A click anywhere on it closes it (hides it and emits `closed`).
#pragma once

#include <windows.h>

#include <string>

#include <sigc++/sigc++.h>

namespace wui {
namespace control {

class ToolTipWnd {
public:
   // The icon kinds of Show (those of cui::Notification::Type).
   enum Kind { KIND_INFO = 0, KIND_WARNING = 1, KIND_ERROR = 2 };
   static constexpr int kMaxWidth = 320;

   // Creates the hidden pop-up owned by `owner`, placed at `rect` (screen coordinates) when one is
   // given; null when the window cannot be made.
   static ToolTipWnd *CreateInstance(HWND owner, const RECT *rect);
   // Destroys the window and deletes the object.
   void Destroy();

   // Sets the texts and the icon, sizes the tip to them and shows it (without activating it).
   void Show(int kind, const std::string &text, const std::string &detail);
   void Hide();
   // Places the tip so that its bottom-right corner sits on the top-right corner of `anchor`
   // (screen coordinates), kept on the anchor's monitor.
   void PlaceAbove(const RECT &anchor);

   bool IsVisible() const;
   HWND GetWindow() const { return wnd_; }
   const std::string &GetText() const { return text_; }
   const std::string &GetDetail() const { return detail_; }

   // The user closed the tip.
   sigc::signal<void> closed;

   ToolTipWnd(const ToolTipWnd &) = delete;
   ToolTipWnd &operator=(const ToolTipWnd &) = delete;

private:
   ToolTipWnd() = default;
   ~ToolTipWnd();

   static LRESULT CALLBACK WndProc(HWND wnd, UINT message, WPARAM wParam, LPARAM lParam);
   LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
   SIZE Measure();
   void Paint(HDC dc);

   HWND wnd_ = nullptr;
   HFONT boldFont_ = nullptr;
   int kind_ = KIND_INFO;
   std::string text_;
   std::string detail_;
};

}  // namespace control
}  // namespace wui
