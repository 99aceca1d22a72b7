// Command ids and the sources commands come from, shared by menus, accelerators, toolbars and
// context menus.
#pragma once

#include <cstdint>

// A menu, accelerator, toolbar or context-menu command.
typedef std::uint16_t CommandId;

// Where a command came from; it decides how the object path handed with it is read.
typedef std::int32_t CommandSource;

enum : CommandSource {
   kSourceHomeTab = 1,
   kSourceTeamEntry = 2,
   kSourceTeamEntryAlt = 3,
   kSourceTeamTab = 4,
   kSourceVMEntry = 5,
   kSourceVMEntryAlt = 6,
   kSourceVMPopup = 7,
   kSourceVMTab = 8,
   kSourceVMEntryOther = 9,
   kSourceTemplateEntry = 10,
   kSourceTemplatePopup = 11,
   kSourceTemplateEntryAlt = 12,
   kSourceServerEntry = 13,
   kSourceServerTab = 14,
   kSourceHotFixTab = 17,
   kSourceFavoritesBackground = 18,
   kSourceInventoryBackground = 19,
   kSourceCommandBar = 20,
   kSourceMenuBar = 21,
};
