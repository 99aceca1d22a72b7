#include "TabStripLayout.h"

#include <algorithm>

namespace tremappsdk {

TabStripLayout TabStripLayout::Compute(const std::vector<int> &textWidths, int width, int height, int selected)
{
   TabStripLayout layout;
   std::vector<int> widths;
   int total = 0;
   for (int text : textWidths) {
      int w = kPadding + kIconSize + kPadding + std::max(text, 0) + kPadding + kCloseSize + kPadding;
      w = std::min(std::max(w, kMinWidth), kMaxWidth);
      widths.push_back(w);
      total += w;
   }
   if (total > width && !widths.empty()) {
      int share = std::max(width / static_cast<int>(widths.size()), kMinWidth);
      for (int &w : widths) {
         w = std::min(w, share);
      }
   }
   int x = 0;
   if (selected >= 0 && selected < static_cast<int>(widths.size())) {
      int right = 0;
      for (int i = 0; i <= selected; i++) {
         right += widths[static_cast<size_t>(i)];
      }
      x = -std::max(right - width, 0);
   }
   for (int w : widths) {
      Tab tab;
      tab.box = RECT{x, 2, x + w, height};
      int mid = (tab.box.top + tab.box.bottom) / 2;
      tab.icon = RECT{x + kPadding, mid - kIconSize / 2, x + kPadding + kIconSize, mid + kIconSize / 2};
      tab.close = RECT{x + w - kPadding - kCloseSize, mid - kCloseSize / 2, x + w - kPadding, mid + kCloseSize / 2};
      tab.text = RECT{tab.icon.right + kPadding, tab.box.top, std::max(tab.close.left - kPadding, tab.icon.right + kPadding),
                      tab.box.bottom};
      layout.tabs.push_back(tab);
      x += w - kOverlap;
   }
   return layout;
}

TabStripLayout::Hit TabStripLayout::HitTest(POINT pt) const
{
   Hit hit;
   for (size_t i = 0; i < tabs.size(); i++) {
      if (PtInRect(&tabs[i].box, pt)) {
         hit.tab = static_cast<int>(i);
         hit.close = PtInRect(&tabs[i].close, pt) != FALSE;
         break;
      }
   }
   return hit;
}

}  // namespace tremappsdk
