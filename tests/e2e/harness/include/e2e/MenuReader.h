// Reading the state of a program's menus: enabled, checked, text. The menu is read inside the
// program's own process (by a hook DLL), since Wine keeps a menu readable only by its owner.
#pragma once

#include "e2e/Wait.h"

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace e2e {

struct MenuItem {
   UINT id;
   std::string text; // UTF-8, with its '&' and "\t" accelerator part
   bool enabled;
   bool checked;
   bool separator;
   bool isDefault;
   HMENU submenu;    // null for a command item
};

// The items of `menu` (null: the window's menu bar) of the window's process.
std::optional<std::vector<MenuItem>> ReadMenu(HWND window, HMENU menu = nullptr,
                                              DWORD timeoutMs = kReplyTimeoutMs);
// The item with the command id, searched in the menu (null: the menu bar) and its submenus.
std::optional<MenuItem> FindMenuItem(HWND window, UINT commandId, HMENU menu = nullptr,
                                     DWORD timeoutMs = kReplyTimeoutMs);
// The process's open popup menu window (class #32768), for menus a program opens itself
// (context menus, a menu bar made of buttons); its menu is PopupMenuOf(popup).
HWND WaitForPopupMenu(DWORD processId, DWORD timeoutMs = kReplyTimeoutMs);
HMENU PopupMenuOf(HWND popupWindow, DWORD timeoutMs = kReplyTimeoutMs);

} // namespace e2e
