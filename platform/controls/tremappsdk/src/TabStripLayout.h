// The arithmetic of the tab strip: where each tab and its close button go, and what a point hits.
#pragma once

#include <windows.h>

#include <vector>

namespace tremappsdk {

struct TabStripLayout {
   static constexpr int kPadding = 6;
   static constexpr int kIconSize = 16;
   static constexpr int kCloseSize = 14;
   static constexpr int kMinWidth = 60;
   static constexpr int kMaxWidth = 200;
   static constexpr int kOverlap = 0;

   struct Tab {
      RECT box;
      RECT icon;
      RECT text;
      RECT close;
   };
   std::vector<Tab> tabs;

   // `textWidths` are the labels' widths in pixels. A tab is as wide as its icon, label and close
   // button (kMinWidth to kMaxWidth); when they do not all fit, every tab shrinks to an equal
   // share, never below kMinWidth; the row then slides left as far as it takes to show the
   // `selected` tab whole (-1: none), and the tabs before it are cut off.
   static TabStripLayout Compute(const std::vector<int> &textWidths, int width, int height, int selected = -1);

   struct Hit {
      int tab = -1;        // -1: no tab
      bool close = false;  // on the tab's close button
   };
   Hit HitTest(POINT pt) const;
};

}  // namespace tremappsdk
