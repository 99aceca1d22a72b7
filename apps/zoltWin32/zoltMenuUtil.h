// Small functions on Win32 menus that the menu bar, the full-screen toolbar and the menu state
// share: separators, finding the menu that holds an item, popup ids, numbered lists whose items
// carry an object path in their item data, and taking an item out with its separator.
//
// Positions are places in a menu counted from 0. An item inserted with a path owns a heap copy of
// it in its item data; whoever removes such an item frees it with RemoveMenuItemWithData
// (destroying the whole menu does not).
#pragma once

#include <windows.h>

#include <string>

// One row of a popup-id table: the popup that directly holds `memberId` gets `popupId`. A table
// ends with a row whose popup id is 0.
struct PopupIdPair {
   UINT popupId;
   UINT memberId;
};

// The id a popup item gets when no row of the table names an item it holds.
const UINT kNoPopupId = static_cast<UINT>(-1);

// Inserts a separator at `position`; the result of InsertMenuItemW.
BOOL InsertMenuSeparator(HMENU menu, UINT position);

// The menu in which an item with `id` lies (looking into submenus when `recurse`), or null.
HMENU FindMenuHoldingItem(UINT id, HMENU menu, bool recurse);

// Gives every popup item of the menu tree the popup id of the first row whose member item lies
// directly in its submenu, kNoPopupId when none does.
void AssignPopupIds(HMENU menu, const PopupIdPair *table);

// The submenu of the popup item with `popupId` directly in `menu` (as AssignPopupIds gave it), or null.
HMENU FindPopupById(HMENU menu, UINT popupId);

// Frees the item's path data, then removes the item at `position`.
BOOL RemoveMenuItemWithData(HMENU menu, UINT position);

// The path an item carries in its data ("" when it carries none); by position or by id.
std::string GetMenuItemPath(HMENU menu, UINT item, bool byPosition);

// `text` behind a mnemonic and three blanks: "&A   " ... "&Z   " for index 0 to 25 with
// letters, "&1   " ... "&9   " for index 0 to 8 without; the text alone beyond.
std::wstring MakeNumberedLabel(const std::wstring &text, unsigned index, bool letters);

// Inserts a string item (id the low 16 bits of `id`) that carries a copy of `path` ("" when null).
BOOL InsertMenuItemWithPath(HMENU menu, const std::wstring &label, UINT position, const char *path, UINT id);

// Inserts item `index` of a numbered list that starts at `base`; the first item also puts a
// separator at `base` when items follow, so the list ends up parted from them.
BOOL InsertNumberedMenuItem(HMENU menu, const std::wstring &text, UINT base, unsigned index, const char *path,
                            UINT id, bool letters);

// Whether the item at `position` is a separator (false past the end).
bool IsMenuSeparatorAt(HMENU menu, int position);

// The position of the first item with `id` directly in `menu`, -1 when there is none.
int FindMenuItemPosition(HMENU menu, UINT id);

// Takes the item with `id` out with at most one neighbouring separator, so that no separator is
// left at the top or doubled: the one after a first item, else the one before an item that is
// last or followed by a separator. True when the item itself was removed.
bool RemoveMenuItemAndSeparator(HMENU menu, UINT id);

// Sets an item's text (UTF-8) by id, keeping its id, state and data.
BOOL SetMenuItemText(HMENU menu, UINT id, const std::string &text);
// An item's text by id, in UTF-8 ("" when there is no such item).
std::string GetMenuItemText(HMENU menu, UINT id);

// The key of an accelerator as a menu shows it after the tab: "Ctrl+Shift+B", "F11". Letters,
// digits and function keys only; "" for any other key.
std::string AcceleratorKeyText(const ACCEL &accel);
// "\t" and the key of the first entry of `table` for `command`; "" when it has none.
std::string AcceleratorMenuSuffix(HACCEL table, WORD command);
