// An in-memory dialog template (DLGTEMPLATE and its items), so that the library's own dialogs
// need no resource module.
#pragma once

#include <windows.h>

#include "tremorybase/Text.h"

#include <string>
#include <vector>

namespace cuiutil {

class DlgTemplate {
public:
   // Predefined control classes.
   static const WORD kButton = 0x0080;
   static const WORD kEdit = 0x0081;
   static const WORD kStatic = 0x0082;

   // Dialog units throughout; the font is 8-point "MS Shell Dlg".
   DlgTemplate(DWORD style, short cx, short cy, const std::wstring &title);

   void AddItem(WORD classAtom, WORD id, const std::wstring &text, DWORD style, short x, short y, short cx, short cy);
   void AddItem(const std::wstring &className, WORD id, const std::wstring &text, DWORD style, short x, short y,
                short cx, short cy);

   // The height, once the items are placed.
   void SetHeight(short cy) { words_[8] = static_cast<WORD>(cy); }

   const DLGTEMPLATE *Get() const { return reinterpret_cast<const DLGTEMPLATE *>(words_.data()); }

private:
   void AddString(const std::wstring &text);
   void AlignToDword();
   void AddItemHeader(WORD id, DWORD style, short x, short y, short cx, short cy);

   std::vector<WORD> words_;
};

}  // namespace cuiutil
