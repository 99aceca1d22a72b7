// A row of equally sized icon images and their masks, drawn into two bitmaps and added to an image
// list at once. Each icon handle, and each image added on its own, costs the window system a round
// trip; a toolbar's three lists of a dozen icons each are made at every start.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include "atl/Gdi.h"

#include <vector>

// The image of an icon resource as stored: a device-independent bitmap of colours followed by
// the AND mask, both bottom-up.
struct IconResource {
   const BITMAPINFOHEADER *header = nullptr;
   int width = 0;
   int height = 0;
   const BYTE *colors = nullptr;
   const BYTE *mask = nullptr;
};

// The image of icon group `id` that LoadImage picks at the icon's own size, when it is a plain
// bitmap image wholly inside its resource; false for anything else (a compressed image, no such id).
bool FindIconResource(HINSTANCE module, UINT id, IconResource &icon);

class IconStrip {
public:
   IconStrip(int width, int height, int count);
   IconStrip(const IconStrip &) = delete;
   IconStrip &operator=(const IconStrip &) = delete;

   bool IsValid() const { return image_ && mask_; }
   // Draws slot `slot` as DrawIconEx draws the icon's image and mask.
   void DrawIcon(int slot, HICON icon);
   // Adds every slot to `list`; false when the list refused them.
   bool AppendTo(HIMAGELIST list);

private:
   int width_;
   int height_;
   int count_;
   // In this order, so the bitmaps are selected out before they go, and go before their DCs.
   atl::ScopedDC imageDc_;
   atl::ScopedDC maskDc_;
   atl::ScopedBitmap image_;
   atl::ScopedBitmap mask_;
   atl::ScopedSelection imageSelected_;
   atl::ScopedSelection maskSelected_;
};

// A strip of icons built in memory from the resources' bits: a 32-bit top-down image (an alpha
// channel blended onto black, the alpha itself left zero so a list draws through the mask) and a
// monochrome mask in CreateBitmap's layout. Slots drawn as DrawIcon would draw the loaded icons.
class IconStripBits {
public:
   IconStripBits(int width, int height, int count);

   void PutResource(int slot, const IconResource &icon);
   // An opaque black slot: what an icon with both masks all zero draws.
   void PutBlack(int slot);
   // Adds every slot to `list`; false when the list refused them.
   bool AppendTo(HIMAGELIST list) const;

private:
   void SetMaskBit(int x, int y, bool set);

   int width_;
   int height_;
   int count_;
   size_t maskRow_;
   std::vector<DWORD> colors_;
   std::vector<BYTE> mask_;
};

// An image list (ILC_MASK | ILC_COLOR32) of the icon resources `ids` of `module`, id 0 an opaque
// black slot, drawn straight from the resources' bits; null when an id is not a plain bitmap icon
// or the icons differ in size, so that the caller loads the icons instead.
HIMAGELIST IconImageListFromResources(HINSTANCE module, const UINT *ids, int count);
