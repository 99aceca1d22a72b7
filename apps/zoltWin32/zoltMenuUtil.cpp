#include "zoltMenuUtil.h"

#include <vector>

namespace {

// The ANSI text of a wide label ("" for an empty one).
std::string ToAnsi(const std::wstring &text)
{
   if (text.empty()) {
      return std::string();
   }
   int size = WideCharToMultiByte(CP_ACP, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
   if (size <= 0) {
      return std::string();
   }
   std::string out(static_cast<size_t>(size), '\0');
   WideCharToMultiByte(CP_ACP, 0, text.c_str(), static_cast<int>(text.size()), &out[0], size, nullptr, nullptr);
   return out;
}

const std::string *ItemPathData(HMENU menu, UINT item, bool byPosition)
{
   MENUITEMINFOA info = {};
   info.cbSize = sizeof info;
   info.fMask = MIIM_DATA;
   if (!GetMenuItemInfoA(menu, item, byPosition, &info)) {
      return nullptr;
   }
   return reinterpret_cast<const std::string *>(info.dwItemData);
}

}  // namespace

BOOL InsertMenuSeparator(HMENU menu, UINT position)
{
   MENUITEMINFOA info = {};
   info.cbSize = sizeof info;
   info.fMask = MIIM_FTYPE;
   info.fType = MFT_SEPARATOR;
   return InsertMenuItemA(menu, position, TRUE, &info);
}

HMENU FindMenuHoldingItem(UINT id, HMENU menu, bool recurse)
{
   if (!menu) {
      return nullptr;
   }
   int count = GetMenuItemCount(menu);
   for (int pos = 0; pos < count; ++pos) {
      UINT state = GetMenuState(menu, static_cast<UINT>(pos), MF_BYPOSITION);
      if (state == static_cast<UINT>(-1)) {
         continue;
      }
      if (recurse && (state & MF_POPUP)) {
         if (HMENU found = FindMenuHoldingItem(id, GetSubMenu(menu, pos), true)) {
            return found;
         }
         continue;
      }
      if (GetMenuItemID(menu, pos) == id) {
         return menu;
      }
   }
   return nullptr;
}

void AssignPopupIds(HMENU menu, const PopupIdPair *table)
{
   if (!menu || !table) {
      return;
   }
   int count = GetMenuItemCount(menu);
   for (int pos = 0; pos < count; ++pos) {
      HMENU sub = GetSubMenu(menu, pos);
      if (!sub) {
         continue;
      }
      UINT popupId = kNoPopupId;
      for (const PopupIdPair *row = table; row->popupId != 0; ++row) {
         if (FindMenuHoldingItem(row->memberId, sub, false) == sub) {
            popupId = row->popupId;
            break;
         }
      }
      MENUITEMINFOA info = {};
      info.cbSize = sizeof info;
      info.fMask = MIIM_ID;
      info.wID = popupId;
      SetMenuItemInfoA(menu, static_cast<UINT>(pos), TRUE, &info);
      AssignPopupIds(sub, table);
   }
}

BOOL RemoveMenuItemWithData(HMENU menu, UINT position)
{
   MENUITEMINFOA info = {};
   info.cbSize = sizeof info;
   info.fMask = MIIM_DATA;
   if (GetMenuItemInfoA(menu, position, TRUE, &info) && info.dwItemData) {
      delete reinterpret_cast<std::string *>(info.dwItemData);
      info.dwItemData = 0;
      SetMenuItemInfoA(menu, position, TRUE, &info);
   }
   return RemoveMenu(menu, position, MF_BYPOSITION);
}

std::string GetMenuItemPath(HMENU menu, UINT item, bool byPosition)
{
   const std::string *path = ItemPathData(menu, item, byPosition);
   return path ? *path : std::string();
}

std::wstring MakeNumberedLabel(const std::wstring &text, unsigned index, bool letters)
{
   wchar_t mnemonic;
   if (letters && index < 26) {
      mnemonic = static_cast<wchar_t>(L'A' + index);
   } else if (!letters && index < 9) {
      mnemonic = static_cast<wchar_t>(L'1' + index);
   } else {
      return text;
   }
   std::wstring label = L"&";
   label += mnemonic;
   label += L"   ";
   return label + text;
}

BOOL InsertMenuItemWithPath(HMENU menu, const std::wstring &label, UINT position, const char *path, UINT id)
{
   std::string text = ToAnsi(label);
   std::string *data = new std::string(path ? path : "");
   MENUITEMINFOA info = {};
   info.cbSize = sizeof info;
   info.fMask = MIIM_STRING | MIIM_FTYPE | MIIM_ID | MIIM_DATA;
   info.fType = MFT_STRING;
   info.wID = id & 0xFFFF;
   info.dwItemData = reinterpret_cast<ULONG_PTR>(data);
   info.dwTypeData = &text[0];
   info.cch = static_cast<UINT>(text.size());
   BOOL ok = InsertMenuItemA(menu, position, TRUE, &info);
   if (!ok) {
      delete data;
   }
   return ok;
}

BOOL InsertNumberedMenuItem(HMENU menu, const std::wstring &text, UINT base, unsigned index, const char *path,
                            UINT id, bool letters)
{
   if (index == 0 && static_cast<int>(base) < GetMenuItemCount(menu)) {
      InsertMenuSeparator(menu, base);
   }
   return InsertMenuItemWithPath(menu, MakeNumberedLabel(text, index, letters), base + index, path, id);
}

bool IsMenuSeparatorAt(HMENU menu, int position)
{
   if (position < 0 || position >= GetMenuItemCount(menu)) {
      return false;
   }
   MENUITEMINFOA info = {};
   info.cbSize = sizeof info;
   info.fMask = MIIM_FTYPE;
   return GetMenuItemInfoA(menu, static_cast<UINT>(position), TRUE, &info) && (info.fType & MFT_SEPARATOR);
}

int FindMenuItemPosition(HMENU menu, UINT id)
{
   int count = GetMenuItemCount(menu);
   for (int pos = 0; pos < count; ++pos) {
      MENUITEMINFOA info = {};
      info.cbSize = sizeof info;
      info.fMask = MIIM_ID | MIIM_FTYPE;
      if (GetMenuItemInfoA(menu, static_cast<UINT>(pos), TRUE, &info) && !(info.fType & MFT_SEPARATOR) &&
          info.wID == id) {
         return pos;
      }
   }
   return -1;
}

bool RemoveMenuItemAndSeparator(HMENU menu, UINT id)
{
   int pos = FindMenuItemPosition(menu, id);
   if (pos < 0) {
      // By command an item is also found in a submenu: tidy the menu that really holds it.
      HMENU holder = FindMenuHoldingItem(id, menu, true);
      if (!holder || holder == menu) {
         return RemoveMenu(menu, id, MF_BYCOMMAND) != FALSE;
      }
      return RemoveMenuItemAndSeparator(holder, id);
   }
   int count = GetMenuItemCount(menu);
   if (pos == 0) {
      if (IsMenuSeparatorAt(menu, 1)) {
         RemoveMenu(menu, 1, MF_BYPOSITION);
      }
   } else if (pos == count - 1 || IsMenuSeparatorAt(menu, pos + 1)) {
      if (IsMenuSeparatorAt(menu, pos - 1)) {
         RemoveMenu(menu, static_cast<UINT>(pos - 1), MF_BYPOSITION);
         --pos;
      }
   }
   return RemoveMenu(menu, static_cast<UINT>(pos), MF_BYPOSITION) != FALSE;
}

BOOL SetMenuItemText(HMENU menu, UINT id, const std::string &text)
{
   std::vector<char> buffer(text.begin(), text.end());
   buffer.push_back('\0');
   MENUITEMINFOA info = {};
   info.cbSize = sizeof info;
   info.fMask = MIIM_STRING;
   info.dwTypeData = buffer.data();
   info.cch = static_cast<UINT>(text.size());
   return SetMenuItemInfoA(menu, id, FALSE, &info);
}

std::string GetMenuItemText(HMENU menu, UINT id)
{
   MENUITEMINFOA info = {};
   info.cbSize = sizeof info;
   info.fMask = MIIM_STRING;
   if (!GetMenuItemInfoA(menu, id, FALSE, &info)) {
      return std::string();
   }
   std::vector<char> buffer(info.cch + 1, '\0');
   info.dwTypeData = buffer.data();
   info.cch = static_cast<UINT>(buffer.size());
   if (!GetMenuItemInfoA(menu, id, FALSE, &info)) {
      return std::string();
   }
   return std::string(buffer.data());
}
