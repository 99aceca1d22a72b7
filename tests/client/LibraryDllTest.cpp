#include "ClientTestSupport.h"

#include "tremnetui/TremNetUI.h"

#include "vmdb/Store.h"

#include <gtest/gtest.h>

namespace {

TEST(LibraryDlls, NetworkEditorOpensForTheHostItIsGiven)
{
   HMODULE module = LoadLibraryA("tremnetui.dll");
   ASSERT_TRUE(module);
   // Through a plain function type: FARPROC converts to it without a cast-function-type warning.
   auto show = reinterpret_cast<TremNetUI_ShowPropertyPagesFn>(
      reinterpret_cast<void (*)()>(GetProcAddress(module, "TremNetUI_ShowPropertyPages")));
   ASSERT_TRUE(show);
   EXPECT_EQ(-1, show(nullptr, nullptr, 0));

   auto store = vmdbstore::Store::Create();
   auto ctx = store->NewContext();
   ctx->ChangePath("/host2/#0000/");
   HWND owner = CreateWindowExW(0, L"STATIC", L"owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100,
                                nullptr, nullptr, nullptr, nullptr);
   std::string title, pageTexts;
   HWND sheetOwner = nullptr;
   int result = 99;
   int answered = AnswerModal(
      L"#32770",
      [&](HWND sheet) {
         HWND page = reinterpret_cast<HWND>(SendMessageW(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
         if (!page) {
            return false;
         }
         char text[128] = {};
         GetWindowTextA(sheet, text, sizeof text);
         title = text;
         pageTexts = ChildTexts(page);
         sheetOwner = GetWindow(sheet, GW_OWNER);
         PostMessageW(sheet, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
         return true;
      },
      [&] { result = show(owner, ctx.get(), 5); });
   EXPECT_EQ(1, answered);
   EXPECT_EQ(0, result);
   EXPECT_EQ("Virtual Network Editor", title);
   EXPECT_NE(std::string::npos, pageTexts.find("/host2/#0000/"));
   EXPECT_EQ(owner, sheetOwner);
   DestroyWindow(owner);
   FreeLibrary(module);
}

TEST(LibraryDlls, ImageLibraryHoldsIcon200InBothSizes)
{
   HMODULE module = LoadLibraryA("zoltRes.dll");
   ASSERT_TRUE(module);
   HICON large = static_cast<HICON>(LoadImageA(module, MAKEINTRESOURCEA(200), IMAGE_ICON, 0, 0, LR_DEFAULTSIZE));
   HICON small = static_cast<HICON>(LoadImageA(module, MAKEINTRESOURCEA(200), IMAGE_ICON, 16, 16, 0));
   ASSERT_TRUE(large);
   ASSERT_TRUE(small);
   ICONINFO info = {};
   ASSERT_TRUE(GetIconInfo(small, &info));
   BITMAP bitmap = {};
   GetObjectA(info.hbmColor, sizeof bitmap, &bitmap);
   EXPECT_EQ(16, bitmap.bmWidth);
   DeleteObject(info.hbmColor);
   DeleteObject(info.hbmMask);
   DestroyIcon(large);
   DestroyIcon(small);
   FreeLibrary(module);
}

}  // namespace
