#include "AtlTestSupport.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include "atl/Atl.h"
#include "tremorybase/Log.h"

namespace {

class AtlEnvironment : public ::testing::Environment {
public:
   void SetUp() override
   {
      char dir[MAX_PATH];
      GetTempPathA(sizeof(dir), dir);
      char file[MAX_PATH + 64];
      snprintf(file, sizeof(file), "%satl_tests-%lu.log", dir, GetCurrentProcessId());
      DeleteFileA(file);
      ASSERT_TRUE(Log_Start("atl_tests", "atl_tests.log.unset", file));
      ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));
      ASSERT_TRUE(AtlAxWinInit());
   }
   void TearDown() override
   {
      AtlAxWinTerm();
      OleUninitialize();
      std::string file = Log_GetFileName();
      Log_Stop();
      DeleteFileA(file.c_str());
   }
};

const ::testing::Environment *const environment = ::testing::AddGlobalTestEnvironment(new AtlEnvironment);

} // namespace

std::string LogText()
{
   std::ifstream in(Log_GetFileName(), std::ios::binary);
   std::ostringstream text;
   text << in.rdbuf();
   return text.str();
}

void PumpMessages()
{
   MSG msg;
   while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
   }
}

const std::vector<TextSample> &TextSamples()
{
#define ATL_TEST_SAMPLE(text) TextSample{u8##text, L##text}
   static const std::vector<TextSample> samples = {
      ATL_TEST_SAMPLE("Gr\u00FC\u00DFe aus K\u00F6ln, \u00E0 l'\u00E9cran"),
      ATL_TEST_SAMPLE("\u0395\u03BB\u03BB\u03B7\u03BD\u03B9\u03BA\u03AC"),
      ATL_TEST_SAMPLE("\u041A\u0438\u0440\u0438\u043B\u043B\u0438\u0446\u0430"),
      ATL_TEST_SAMPLE("\u4EEE\u60F3\u30DE\u30B7\u30F3"),
   };
#undef ATL_TEST_SAMPLE
   return samples;
}

std::wstring TipTextFrom(HWND owner)
{
   INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_WIN95_CLASSES};
   InitCommonControlsEx(&icc);
   HWND tip = CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP, 0, 0, 0, 0, owner, nullptr,
                              GetModuleHandle(nullptr), nullptr);
   if (!tip) {
      ADD_FAILURE() << "no tooltip";
      return L"";
   }
   TOOLINFOW tool = {};
   tool.cbSize = TTTOOLINFOW_V1_SIZE;
   tool.hwnd = owner;
   tool.uId = 1;
   tool.rect = RECT{0, 0, 10, 10};
   tool.lpszText = LPSTR_TEXTCALLBACKW;
   EXPECT_TRUE(SendMessageW(tip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool)));
   wchar_t text[256] = L"";
   tool.lpszText = text;
   SendMessageW(tip, TTM_GETTEXTW, 256, reinterpret_cast<LPARAM>(&tool));
   DestroyWindow(tip);
   return text;
}
