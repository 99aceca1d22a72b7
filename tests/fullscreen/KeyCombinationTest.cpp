// The console key combination as the preferences give it and as key messages are compared with
// it, and the keys the console hands back in full screen.
#include "zoltFullscreen.h"

#include "GuestScreen.h"
#include "MksCtl.h"

#include "cui/MKS.h"
#include "cui/MKSKeys.h"
#include "cui/Prefs.h"
#include "cui/Util.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using Keys = cui::MKSKeys;

Keys Held(bool ctrl, bool shift, bool alt)
{
   return KeysHeld(alt, shift, ctrl);
}

TEST(KeyCombination, EveryModifierSetMatchesOnlyItsOwnSetting)
{
   const char *settings[] = {"ctrl-alt", "ctrl-shift-alt", "ctrl-shift"};
   for (const char *setting : settings) {
      Keys wanted;
      ASSERT_TRUE(cui::ParseMKSKeys(setting, wanted)) << setting;
      std::string text(setting);
      bool wantCtrl = text.find("ctrl") != std::string::npos;
      bool wantShift = text.find("shift") != std::string::npos;
      bool wantAlt = text.find("alt") != std::string::npos;
      for (int set = 0; set < 8; ++set) {
         bool ctrl = set & 1, shift = set & 2, alt = set & 4;
         bool expected = ctrl == wantCtrl && shift == wantShift && alt == wantAlt;
         EXPECT_EQ(expected, cui::Prefs::MKSKeysMatch(Held(ctrl, shift, alt), wanted))
            << setting << " with ctrl " << ctrl << " shift " << shift << " alt " << alt;
      }
   }
}

TEST(KeyCombination, MessageLeavesTheWindowsKeyOpenAndReadsAltFromItsContextBit)
{
   Keys ctrlAlt;
   ASSERT_TRUE(cui::ParseMKSKeys("ctrl-alt", ctrlAlt));
   const LPARAM altBit = static_cast<LPARAM>(KF_ALTDOWN) << 16;
   Keys message = KeysOfMessage(altBit, false, true);
   EXPECT_EQ(Keys::EITHER, message.gui);
   EXPECT_TRUE(cui::Prefs::MKSKeysMatch(message, ctrlAlt));
   Keys withWindowsKey = ctrlAlt;
   withWindowsKey.gui = Keys::DOWN;
   EXPECT_TRUE(cui::Prefs::MKSKeysMatch(message, withWindowsKey));
   EXPECT_FALSE(cui::Prefs::MKSKeysMatch(KeysOfMessage(0, false, true), ctrlAlt)) << "Alt up";
   EXPECT_FALSE(cui::Prefs::MKSKeysMatch(KeysOfMessage(altBit, true, true), ctrlAlt)) << "Shift down too";
   EXPECT_FALSE(cui::Prefs::MKSKeysMatch(KeysOfMessage(altBit, false, false), ctrlAlt)) << "Ctrl up";
}

TEST(KeyCombination, SettingIsParsedStrictly)
{
   Keys keys;
   keys.shift = Keys::EITHER;   // a marker: refused texts leave the record alone
   for (const char *bad : {"", "ctrl", "alt", "ctrl-", "-ctrl-alt", "ctrl--alt", "ctrl-ctrl", "Ctrl-Alt", "ctrl-alt ",
                           "ctrl+alt", "ctrl-alt-win", "ctrl-alt-alt"}) {
      EXPECT_FALSE(cui::ParseMKSKeys(bad, keys)) << '"' << bad << '"';
      EXPECT_EQ(Keys::EITHER, keys.shift) << bad;
   }
   ASSERT_TRUE(cui::ParseMKSKeys("alt-shift", keys));
   EXPECT_EQ(Keys::DOWN, keys.alt);
   EXPECT_EQ(Keys::DOWN, keys.shift);
   EXPECT_EQ(Keys::UP, keys.ctrl);
   EXPECT_EQ(Keys::UP, keys.gui);
   EXPECT_EQ("Shift+Alt", cui::MKSKeySequence(keys));
   ASSERT_TRUE(cui::ParseMKSKeys("ctrl-shift-alt", keys));
   EXPECT_EQ("Ctrl+Shift+Alt", cui::MKSKeySequence(keys));
}

TEST(HookedKeys, FrameAsksForEnterAndTheArrowsAsKeysAndScanCodes)
{
   std::wstring text;
   for (char c : HookedKeysText()) {
      text += static_cast<wchar_t>(c);
   }
   EXPECT_EQ("0x000d,0xFFFF;0x0025,0xFFFF;0x0027,0xFFFF;0x011c,0xFFFF;0x014b,0xFFFF;0x014d,0xFFFF", HookedKeysText());
   // The console's side: virtual keys below 0x100, extended scan codes above.
   EXPECT_TRUE(tremappsdk::IsHookedKey(text, VK_RETURN, 0x1C));
   EXPECT_TRUE(tremappsdk::IsHookedKey(text, VK_LEFT, 0x14B));
   EXPECT_TRUE(tremappsdk::IsHookedKey(text, 0xFF, 0x11C)) << "keypad Enter by its scan code";
   EXPECT_FALSE(tremappsdk::IsHookedKey(text, VK_DOWN, 0x150));
   EXPECT_FALSE(tremappsdk::IsHookedKey(text, 'A', 0x1E));
   EXPECT_FALSE(tremappsdk::IsHookedKey(L"", VK_RETURN, 0x1C));
   EXPECT_FALSE(tremappsdk::IsHookedKey(L"0x000d;0x0025,1", VK_RETURN, 0x1C)) << "an entry without its mask";
}

TEST(HookedKeys, KeyTextFromTheConsoleIsParsedStrictly)
{
   int key = -1;
   ASSERT_TRUE(cui::ParseHookedKey("13,28", key));
   EXPECT_EQ(13, key);
   ASSERT_TRUE(cui::ParseHookedKey("0x11C,0x1C", key));
   EXPECT_EQ(0x11C, key);
   key = 7;
   for (const char *bad : {"", "13", "13,", ",28", "13,28,1", "13 ,28", "13,28 ", "-13,28", "1a,2", "0x,1", "70000,1",
                           "13;28", "0x1234567,1"}) {
      EXPECT_FALSE(cui::ParseHookedKey(bad, key)) << '"' << bad << '"';
      EXPECT_EQ(7, key) << bad;
   }
}

TEST(GuestScreenInFullScreen, ScaledStretchedOrCentred)
{
   using tremappsdk::GuestScreen;
   // 800 x 600 on a 1280 x 1024 monitor.
   RECT scaled = GuestScreen::FitFullScreen(800, 600, 1280, 1024, 0);
   EXPECT_EQ(1280, scaled.right - scaled.left);
   EXPECT_EQ(960, scaled.bottom - scaled.top);
   EXPECT_EQ(32, scaled.top);
   RECT stretched = GuestScreen::FitFullScreen(800, 600, 1280, 1024, 1);
   EXPECT_EQ(0, stretched.left);
   EXPECT_EQ(1024, stretched.bottom);
   RECT centred = GuestScreen::FitFullScreen(800, 600, 1280, 1024, 2);
   EXPECT_EQ((RECT{240, 212, 1040, 812}.left), centred.left);
   EXPECT_EQ(212, centred.top);
   EXPECT_EQ(800, centred.right - centred.left);
   RECT none = GuestScreen::FitFullScreen(0, 600, 1280, 1024, 0);
   EXPECT_TRUE(IsRectEmpty(&none));
}

TEST(PowerBroadcast, NamesTheEventAndAPowerSettingsIdWithoutTrustingAMissingRecord)
{
   EXPECT_EQ("PBT_APMSUSPEND", wui::util::GetPowerBroadcastText(PBT_APMSUSPEND, 0));
   EXPECT_EQ("PBT_APMRESUMEAUTOMATIC", wui::util::GetPowerBroadcastText(PBT_APMRESUMEAUTOMATIC, 0));
   EXPECT_EQ("unknown event 0x77", wui::util::GetPowerBroadcastText(0x77, 0));
   EXPECT_EQ("PBT_POWERSETTINGCHANGE", wui::util::GetPowerBroadcastText(0x8013, 0)) << "no record given";
   struct {
      GUID setting;
      DWORD length;
      DWORD data;
   } record = {{0x12345678, 0x9abc, 0xdef0, {1, 2, 3, 4, 5, 6, 7, 8}}, 4, 1};
   EXPECT_EQ("PBT_POWERSETTINGCHANGE {12345678-9abc-def0-0102-030405060708} (4 bytes)",
             wui::util::GetPowerBroadcastText(0x8013, reinterpret_cast<LPARAM>(&record)));
}

}  // namespace
