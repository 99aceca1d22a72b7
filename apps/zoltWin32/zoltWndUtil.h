// Small window helpers every window of the program shares: window texts, scaled bitmaps, labels
// shown literally, the wait cursor, tooltips, the status bar, placing a dialog item against an
// area, icon image lists, and a few list helpers. The resource module handle lives in
// zoltResources.
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <comdef.h>

#include <list>
#include <string>

#include <sigc++/sigc++.h>

namespace cui {
class VM;
}

// Window, dialog-item and message-box texts in the program's UTF-8, through the wide calls, so
// any name a user wrote shows and reads back as written. A missing window reads as "".
std::string GetWindowTextUtf8(HWND window);
BOOL SetWindowTextUtf8(HWND window, const std::string &text);
std::string GetDlgItemTextUtf8(HWND dialog, int id);
BOOL SetDlgItemTextUtf8(HWND dialog, int id, const std::string &text);
int MessageBoxUtf8(HWND owner, const std::string &text, const std::string &caption, UINT flags);
// Draws `text` with DrawTextW; the result of DrawTextW.
int DrawTextUtf8(HDC dc, const std::string &text, RECT *rect, UINT format);
// Whether two UTF-8 texts are the same but for case, in any script (paths, host names).
bool SameTextNoCase(const std::string &a, const std::string &b);

// 0 for an empty path or a file that is no bitmap.
HBITMAP LoadBitmapFile(const std::string &path);

// The largest size with the picture's proportions that fits `width` by `height` without
// enlarging it; 0 by 0 when any side is 0.
SIZE FitSize(int pictureWidth, int pictureHeight, int width, int height);
// A new bitmap of `bitmap` scaled to fit `rect` (the caller owns it); 0 without a bitmap or for
// an empty rectangle. `size` receives the new size when given.
HBITMAP ScaleBitmapToFit(HWND window, HBITMAP bitmap, const RECT &rect, SIZE *size = nullptr);

// Every '&' doubled and every tab a blank, so a menu or button shows the text as it is.
std::string EscapeAmpersands(const std::string &text);
_bstr_t EscapeAmpersandsBstr(const _bstr_t &text);

class WaitCursor {
public:
   explicit WaitCursor(bool show = true);
   void Set();
   void Restore();
   bool IsActive() const { return active_; }

private:
   HCURSOR wait_;
   HCURSOR replaced_ = nullptr;
   bool active_ = false;
};

// Keeps the text a tooltip request points at for as long as the holder lives.
class TooltipText {
public:
   void SetText(NMTTDISPINFOW *request, const std::string &text);
   const std::string &GetText() const { return text_; }

private:
   std::string text_;
   std::wstring wide_;
};

// A topmost tooltip window owned by `parent` with one tool for the whole parent, whose text is
// asked for when needed; long texts wrap at line breaks only.
bool CreateTooltipWindow(HWND &tooltip, HWND parent, DWORD style);

class Tooltip {
public:
   explicit Tooltip(HWND window = nullptr) : window_(window) {}
   void Attach(HWND window) { window_ = window; }
   HWND GetWindow() const { return window_; }
   // A changed state closes the tip first, so it reopens with its new text.
   void Activate(int state);
   void Deactivate();

private:
   HWND window_;
   int state_ = 0;
};

// Forgets a handle without destroying its window.
inline void ClearHandle(HWND &window)
{
   window = nullptr;
}

bool CreateStatusBar(HWND &statusBar, HWND parent, UINT id);

// How PlaceDlgItem aligns a control to the area, and how the area shrinks afterwards.
enum PlaceAlign {
   PLACE_LEFT = 1,
   PLACE_TOP = 2,
   PLACE_RIGHT = 3,
   PLACE_BOTTOM = 4,
   PLACE_LEFT_TOP = 7,
   PLACE_LEFT_BOTTOM = 8,
   PLACE_RIGHT_TOP = 9,
   PLACE_RIGHT_BOTTOM = 10,
   PLACE_ACROSS_TOP = 11,
   PLACE_DOWN_LEFT = 12,
};
enum PlaceAdvance { ADVANCE_RIGHT_EDGE = 1, ADVANCE_LEFT_EDGE = 3, ADVANCE_BOTTOM_EDGE = 5, ADVANCE_TOP_EDGE = 6 };
constexpr int kPlaceGap = 6;

// The window-free part of PlaceDlgItem: the control's new rectangle, and the area shrunk.
RECT PlaceRect(const RECT &control, RECT &area, int placement, int advance);
void PlaceDlgItem(HWND parent, int id, RECT &area, int placement, int advance, BOOL repaint);

// Bytes of one all-zero mask of a monochrome icon: rows padded to whole 16-bit words.
size_t FillerMaskBytes(int width, int height);
// An image list of the icons (null slots get an empty filler icon), sized to the largest.
HIMAGELIST IconImageListBuilder(const HICON *icons, int count);
// The icons `ids` of `module` (id 0 an empty slot); 0 without module, ids or count.
HIMAGELIST CreateIconImageList(HINSTANCE module, const UINT *ids, int count);
// The shared icons of the team lists: a guest icon per entry of cui::kGuestOSTable, in its order
// (cui::GuestOSIndex), then the LAN icon at kSharedLANImage. The caller destroys the list.
HIMAGELIST CreateSharedIconImageList();
extern const int kSharedLANImage;

void DisconnectAll(std::list<sigc::connection> &connections);

// The index of the first element equal to `value`; -1 when absent.
int FindIndexInArray(int value, const int *values, int count);

// Asks the machine for its suspend screenshot; `done` gets the picture's path, or an empty path
// once when the machine cannot give one.
void RequestSuspendScreenshot(cui::VM *vm, const sigc::slot<void, std::string> &done);
