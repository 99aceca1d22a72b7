#include "ListViewText.h"

#include "tremorybase/Text.h"

#include <commctrl.h>

namespace testsupport {

std::string ListViewCellText(HWND list, int row, int column)
{
   wchar_t text[512] = L"";
   LVITEMW item = {};
   item.iSubItem = column;
   item.pszText = text;
   item.cchTextMax = 512;
   SendMessageW(list, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
   return Utf8FromWide(text);
}

}  // namespace testsupport
