#include "zoltMenuUtil.h"

#include "tremorybase/Text.h"

#include <vector>

namespace {

const std::string *ItemPathData(HMENU menu, UINT item, bool byPosition)
{
   MENUITEMINFOW info = {};
   info.cbSize = sizeof info;
   info.fMask = MIIM_DATA;
   if (!GetMenuItemInfoW(menu, item, byPosition, &info)) {
      return nullptr;
   }
   return reinterpret_cast<const std::string *>(info.dwItemData);
}

}  // namespace

BOOL InsertMenuSeparator(HMENU menu, UINT position)
{
   MENUITEMINFOW info = {};
   info.cbSize = sizeof info;
   info.fMask = MIIM_FTYPE;
   info.fType = MFT_SEPARATOR;
   return InsertMenuItemW(menu, position, TRUE, &info);
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
      MENUITEMINFOW info = {};
      info.cbSize = sizeof info;
      info.fMask = MIIM_ID;
      info.wID = popupId;
      SetMenuItemInfoW(menu, static_cast<UINT>(pos), TRUE, &info);
      AssignPopupIds(sub, table);
   }
}

HMENU FindPopupById(HMENU menu, UINT popupId)
{
   int count = menu ? GetMenuItemCount(menu) : 0;
   for (int pos = 0; pos < count; ++pos) {
      MENUITEMINFOW info = {};
      info.cbSize = sizeof info;
      info.fMask = MIIM_ID | MIIM_SUBMENU;
      if (GetMenuItemInfoW(menu, static_cast<UINT>(pos), TRUE, &info) && info.hSubMenu && info.wID == popupId) {
         return info.hSubMenu;
      }
   }
   return nullptr;
}

BOOL RemoveMenuItemWithData(HMENU menu, UINT position)
{
   MENUITEMINFOW info = {};
   info.cbSize = sizeof info;
   info.fMask = MIIM_DATA;
   if (GetMenuItemInfoW(menu, position, TRUE, &info) && info.dwItemData) {
      delete reinterpret_cast<std::string *>(info.dwItemData);
      info.dwItemData = 0;
      SetMenuItemInfoW(menu, position, TRUE, &info);
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
   std::wstring text = label;
   std::string *data = new std::string(path ? path : "");
   MENUITEMINFOW info = {};
   info.cbSize = sizeof info;
   info.fMask = MIIM_STRING | MIIM_FTYPE | MIIM_ID | MIIM_DATA;
   info.fType = MFT_STRING;
   info.wID = id & 0xFFFF;
   info.dwItemData = reinterpret_cast<ULONG_PTR>(data);
   info.dwTypeData = &text[0];
   info.cch = static_cast<UINT>(text.size());
   BOOL ok = InsertMenuItemW(menu, position, TRUE, &info);
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
   MENUITEMINFOW info = {};
   info.cbSize = sizeof info;
   info.fMask = MIIM_FTYPE;
   return GetMenuItemInfoW(menu, static_cast<UINT>(position), TRUE, &info) && (info.fType & MFT_SEPARATOR);
}

int FindMenuItemPosition(HMENU menu, UINT id)
{
   int count = GetMenuItemCount(menu);
   for (int pos = 0; pos < count; ++pos) {
      MENUITEMINFOW info = {};
      info.cbSize = sizeof info;
      info.fMask = MIIM_ID | MIIM_FTYPE;
      if (GetMenuItemInfoW(menu, static_cast<UINT>(pos), TRUE, &info) && !(info.fType & MFT_SEPARATOR) &&
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
   std::wstring wide = WideFromUtf8(text);
   MENUITEMINFOW info = {};
   info.cbSize = sizeof info;
   info.fMask = MIIM_STRING;
   info.dwTypeData = &wide[0];
   info.cch = static_cast<UINT>(wide.size());
   return SetMenuItemInfoW(menu, id, FALSE, &info);
}

std::string GetMenuItemText(HMENU menu, UINT id)
{
   MENUITEMINFOW info = {};
   info.cbSize = sizeof info;
   info.fMask = MIIM_STRING;
   if (!GetMenuItemInfoW(menu, id, FALSE, &info)) {
      return std::string();
   }
   std::vector<wchar_t> buffer(info.cch + 1, L'\0');
   info.dwTypeData = buffer.data();
   info.cch = static_cast<UINT>(buffer.size());
   if (!GetMenuItemInfoW(menu, id, FALSE, &info)) {
      return std::string();
   }
   return Utf8FromWide(buffer.data());
}

std::string AcceleratorKeyText(const ACCEL &accel)
{
   std::string key;
   if (!(accel.fVirt & FVIRTKEY)) {
      return key;
   }
   if ((accel.key >= 'A' && accel.key <= 'Z') || (accel.key >= '0' && accel.key <= '9')) {
      key = std::string(1, static_cast<char>(accel.key));
   } else if (accel.key >= VK_F1 && accel.key <= VK_F24) {
      key = "F" + std::to_string(accel.key - VK_F1 + 1);
   } else {
      return key;
   }
   std::string modifiers;
   if (accel.fVirt & FCONTROL) {
      modifiers += "Ctrl+";
   }
   if (accel.fVirt & FSHIFT) {
      modifiers += "Shift+";
   }
   if (accel.fVirt & FALT) {
      modifiers += "Alt+";
   }
   return modifiers + key;
}

std::string AcceleratorMenuSuffix(HACCEL table, WORD command)
{
   int count = table ? CopyAcceleratorTableW(table, nullptr, 0) : 0;
   std::vector<ACCEL> entries(static_cast<size_t>(count > 0 ? count : 0));
   if (entries.empty() || CopyAcceleratorTableW(table, entries.data(), count) != count) {
      return std::string();
   }
   for (const ACCEL &entry : entries) {
      if (entry.cmd == command) {
         std::string key = AcceleratorKeyText(entry);
         return key.empty() ? key : "\t" + key;
      }
   }
   return std::string();
}
