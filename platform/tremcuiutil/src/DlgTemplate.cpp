#include "DlgTemplate.h"

namespace cuiutil {

namespace {

void PutDword(std::vector<WORD> &words, DWORD value)
{
   words.push_back(LOWORD(value));
   words.push_back(HIWORD(value));
}

}  // namespace

DlgTemplate::DlgTemplate(DWORD style, short cx, short cy, const std::wstring &title)
{
   PutDword(words_, style | DS_SETFONT);
   PutDword(words_, 0);   // extended style
   words_.push_back(0);   // item count, kept up to date by AddItemHeader
   words_.push_back(0);
   words_.push_back(0);
   words_.push_back(static_cast<WORD>(cx));
   words_.push_back(static_cast<WORD>(cy));
   words_.push_back(0);   // no menu
   words_.push_back(0);   // the standard dialog class
   AddString(title);
   words_.push_back(8);
   AddString(L"MS Shell Dlg");
}

void DlgTemplate::AddString(const std::wstring &text)
{
   for (wchar_t c : text) {
      words_.push_back(static_cast<WORD>(c));
   }
   words_.push_back(0);
}

void DlgTemplate::AlignToDword()
{
   if (words_.size() % 2) {
      words_.push_back(0);
   }
}

void DlgTemplate::AddItemHeader(WORD id, DWORD style, short x, short y, short cx, short cy)
{
   AlignToDword();
   PutDword(words_, style | WS_CHILD);
   PutDword(words_, 0);
   words_.push_back(static_cast<WORD>(x));
   words_.push_back(static_cast<WORD>(y));
   words_.push_back(static_cast<WORD>(cx));
   words_.push_back(static_cast<WORD>(cy));
   words_.push_back(id);
   ++words_[4];   // cdit: after style (2 words) and extended style (2 words)
}

void DlgTemplate::AddItem(WORD classAtom, WORD id, const std::wstring &text, DWORD style, short x, short y, short cx,
                          short cy)
{
   AddItemHeader(id, style, x, y, cx, cy);
   words_.push_back(0xFFFF);
   words_.push_back(classAtom);
   AddString(text);
   words_.push_back(0);   // no creation data
}

void DlgTemplate::AddItem(const std::wstring &className, WORD id, const std::wstring &text, DWORD style, short x,
                          short y, short cx, short cy)
{
   AddItemHeader(id, style, x, y, cx, cy);
   AddString(className);
   AddString(text);
   words_.push_back(0);
}

}  // namespace cuiutil
