// Tooltips over rectangles of one window (device boxes, tab labels), replaced as a whole
// whenever the window's layout changes.
#pragma once

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

namespace tremappsdk {

class RectTips {
public:
   RectTips() = default;
   RectTips(const RectTips &) = delete;
   RectTips &operator=(const RectTips &) = delete;
   ~RectTips() { Destroy(); }

   void Create(HWND owner);
   void Destroy();
   // Replaces every tip; an empty text adds none for its rectangle.
   void Set(const std::vector<std::pair<RECT, std::wstring>> &tips);
   int Count() const;

private:
   HWND owner_ = nullptr;
   HWND tips_ = nullptr;
   UINT_PTR next_ = 1;
};

}  // namespace tremappsdk
