#include "ClientTestSupport.h"

#include "tremapputil/ResString.h"
#include "tremapputil/TremAppUtil.h"
#include "tremapputil/TremAppUtilRes.h"

#include "cui/AppDataPaths.h"
#include "tremorybase/Config.h"
#include "tremorybase/Text.h"

#include <gtest/gtest.h>

namespace {

using tremapputil::ResString;

TEST(AppUtil, ResourceStringsFillTheirInsertsInOrder)
{
   ResString open(100);
   ASSERT_TRUE(open.Loaded());
   EXPECT_EQ("Cannot open %1!s!: error %2!d!.", open.Text());
   EXPECT_EQ("Cannot open C:\\vms\\a.vmx: error -5.", open.Format({"C:\\vms\\a.vmx", -5}));
   // Text inserts are UTF-8 in and out: a Spanish folder and a Greek file name.
   EXPECT_EQ("Cannot open C:\\M\xC3\xA1quinas\\\xCE\x95\xCE\xBB\xCE\xAD\xCE\xB3\xCF\x87\xCE\xBF\xCF\x85.vmx: error 2.",
             open.Format({"C:\\M\xC3\xA1quinas\\\xCE\x95\xCE\xBB\xCE\xAD\xCE\xB3\xCF\x87\xCE\xBF\xCF\x85.vmx", 2}));
   EXPECT_EQ("Cannot open Größe.vmx: error 12.", open.Format({std::string("Größe.vmx"), 12u}));

   EXPECT_EQ("second comes before first", ResString(101).Format({"first", "second"}));
   // Inserts the caller left out read as empty texts.
   EXPECT_EQ("Code 0x0000beef, only, .", ResString(102, GetModuleHandleW(nullptr)).Format({0xbeefu, L"only"}));

   ResString missing(4242);
   EXPECT_FALSE(missing.Loaded());
   EXPECT_EQ("", missing.Format({"x"}));
   // The library's own strings come with the program's resources.
   EXPECT_TRUE(ResString(TREMAPPUTIL_IDS_COM_CREATE_FAILED).Loaded());
}

TEST(AppUtil, ComFailureIsLoggedAndShownUnlessSilenced)
{
   Config_Set("test.comFailure.silent", "true");
   LogTail silent;
   ReportComCreateFailure("VMClient", REGDB_E_CLASSNOTREG);
   EXPECT_NE(std::string::npos, silent.Text().find("Could not create VMClient: 0x80040154\n"));

   Config_Set("test.comFailure.silent", "false");
   LogTail shown;
   std::string texts;
   int answered = AnswerModal(
      L"#32770",
      [&](HWND box) {
         texts = ChildTexts(box);
         PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
         return true;
      },
      [] { ReportComCreateFailure("VmdbUtil", E_OUTOFMEMORY); });
   EXPECT_EQ(1, answered);
   EXPECT_NE(std::string::npos, texts.find("VmdbUtil"));
   EXPECT_NE(std::string::npos, texts.find("8007000e"));
   EXPECT_NE(std::string::npos, shown.Text().find("Could not create VmdbUtil: 0x8007000e\n"));
}

TEST(AppUtil, ModalStateKeepsItsDepthBalanced)
{
   int before = TremAppUtil_GetModalDepth();
   const std::wstring record = WideFromUtf8(std::string(cui::appdata::kOpenedObjElements) + "0001/");
   TremAppUtil_SetModalState(nullptr, record.c_str(), true);
   TremAppUtil_SetModalState(nullptr, record.c_str(), true);
   EXPECT_EQ(before + 2, TremAppUtil_GetModalDepth());
   TremAppUtil_SetModalState(nullptr, record.c_str(), false);
   TremAppUtil_SetModalState(nullptr, record.c_str(), false);
   EXPECT_EQ(before, TremAppUtil_GetModalDepth());

   for (int i = before; i > 0; --i) {
      TremAppUtil_SetModalState(nullptr, L"", false);
   }
   LogTail log;
   TremAppUtil_SetModalState(nullptr, L"", false);
   EXPECT_EQ(0, TremAppUtil_GetModalDepth());
   EXPECT_NE(std::string::npos, log.Text().find("never came up"));
}

TEST(AppUtil, BrowserIsRedirectedToTheLogForTests)
{
   Config_Set("test.browser.log", "true");
   LogTail log;
   EXPECT_TRUE(TremAppUtil_OpenURL("http://help.example.invalid/zolt?topic=1"));
   EXPECT_NE(std::string::npos, log.Text().find("Browser: http://help.example.invalid/zolt?topic=1\n"));
   EXPECT_FALSE(TremAppUtil_OpenURL(""));
}

}  // namespace
