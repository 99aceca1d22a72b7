#include "DeviceMenuFixture.h"

#include "zoltResources.h"

#include "cui/Registry.h"
#include "cui/VMMgr.h"
#include "tremappsdk/TremAppSdk.h"
#include "tremorybase/Config.h"
#include "tremorybase/Text.h"

void DeviceMenuFixture::SetUp()
{
   static bool registered = false;
   if (!registered) {
      registered = true;
      tremappsdk::RegisterClasses();
   }
   Config_Set("test.host.usbDevices", "usb-1:Flash Drive,usb-2:Card Reader");
   MachineCmds::SetUp();
}

void DeviceMenuFixture::TearDown()
{
   MachineCmds::TearDown();
   for (const char *key : {"test.host.usbDevices", "test.host.noAnswer"}) {
      Config_Set(key, "");
   }
}

cui::VM *DeviceMenuFixture::Machine(const std::string &name, const std::vector<KeyValueEntry> &extra, bool on)
{
   std::string path = folder_ + "\\" + name + ".vmx";
   std::vector<KeyValueEntry> entries = {{"displayName", name}, {"guestOS", "other"}, {"configVersion", "8"}};
   entries.insert(entries.end(), extra.begin(), extra.end());
   std::string error;
   EXPECT_TRUE(KeyValueFile::Write(path, entries, error)) << error;
   Outcome outcome;
   EXPECT_TRUE(OpenThroughApp(path, false, true, true, outcome));
   cui::VM *vm = wui::GetVMMgr()->GetVMByCfgPath(path);
   EXPECT_TRUE(vm) << path;
   if (vm && on) {
      EXPECT_TRUE(PowerTo(vm, cui::VM::POWERED_ON));
   }
   return vm;
}

std::wstring DeviceMenuFixture::Text(HMENU menu, int position)
{
   wchar_t text[256] = {};
   GetMenuStringW(menu, static_cast<UINT>(position), text, 255, MF_BYPOSITION);
   return text;
}

UINT DeviceMenuFixture::Id(HMENU menu, int position)
{
   MENUITEMINFOW info = {};
   info.cbSize = sizeof info;
   info.fMask = MIIM_ID;
   return GetMenuItemInfoW(menu, static_cast<UINT>(position), TRUE, &info) ? info.wID : static_cast<UINT>(-1);
}

UINT DeviceMenuFixture::State(HMENU menu, int position)
{
   return GetMenuState(menu, static_cast<UINT>(position), MF_BYPOSITION);
}

bool DeviceMenuFixture::IsSeparator(HMENU menu, int position)
{
   MENUITEMINFOW info = {};
   info.cbSize = sizeof info;
   info.fMask = MIIM_FTYPE;
   return GetMenuItemInfoW(menu, static_cast<UINT>(position), TRUE, &info) && (info.fType & MFT_SEPARATOR);
}

std::wstring DeviceMenuFixture::Res(UINT id)
{
   return WideFromUtf8(LoadResString(id));
}
