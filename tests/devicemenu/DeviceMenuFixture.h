// Machines for the device and recent-snapshot menus: written with the entries a test needs, opened
// as the current object through the application, and powered on when asked; and the menu items
// as a user sees them.
#pragma once

#include "MachineCmdsFixture.h"

#include "tremorybase/KeyValueFile.h"

#include <windows.h>

#include <string>
#include <vector>

class DeviceMenuFixture : public MachineCmds {
protected:
   void SetUp() override;
   void TearDown() override;

   // The machine `name` with `extra` configuration entries, current, and powered on when `on`.
   cui::VM *Machine(const std::string &name, const std::vector<KeyValueEntry> &extra, bool on);

   // What a menu shows at a position.
   static std::wstring Text(HMENU menu, int position);
   static UINT Id(HMENU menu, int position);
   static UINT State(HMENU menu, int position);
   static bool IsSeparator(HMENU menu, int position);
   static std::wstring Res(UINT id);
};
