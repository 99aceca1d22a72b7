#include "ClientTestSupport.h"

#include "vmdb/ClientClasses.h"
#include "vmdb/Classes.h"

#include "atl/ClassTable.h"
#include "tremorybase/Config.h"
#include "tremorybase/File.h"
#include "tremorybase/Log.h"
#include "tremorybase/Text.h"

#include <gtest/gtest.h>

namespace {

class ClientEnvironment : public ::testing::Environment {
public:
   void SetUp() override
   {
      CoInitialize(nullptr);
      vmdb::RegisterClasses();
      vmdb::RegisterClientClasses();
      logFile_ = File_GetTempFolder() + "client_tests-" + std::to_string(GetCurrentProcessId()) + ".log";
      Config_Set("ui.log.filename", logFile_.c_str());
      ASSERT_TRUE(Log_Start("client_tests", "ui.log.filename", ""));
   }
   void TearDown() override
   {
      Log_Stop();
      File_Delete(logFile_);
      atl::ClassTable::RevokeAllFromCom();
      CoUninitialize();
   }

private:
   std::string logFile_;
};

::testing::Environment *const gEnvironment = ::testing::AddGlobalTestEnvironment(new ClientEnvironment);

// Test hooks set by one test must not leak into the next.
class ConfigReset : public ::testing::EmptyTestEventListener {
   void OnTestEnd(const ::testing::TestInfo &) override
   {
      for (const char *key : {"test.vmmsg.answer", "test.comFailure.silent", "test.browser.log", "test.remoteHosts",
                              "test.remotePassword"}) {
         Config_Set(key, "");
      }
   }
};

const bool gConfigResetInstalled = [] {
   ::testing::UnitTest::GetInstance()->listeners().Append(new ConfigReset);
   return true;
}();

std::string ReadLog()
{
   std::string text;
   std::string error;
   File_Read(Log_GetFileName(), text, error);
   return text;
}

struct ModalAnswer {
   const wchar_t *windowClass;
   const std::function<bool(HWND)> *onWindow;
   int answered = 0;
   DWORD started = GetTickCount();
};

// A window the test never recognised must not hang the run: after this long, every dialog of
// the thread is dismissed by whichever button it has.
const DWORD kGiveUpMs = 10000;

BOOL CALLBACK DismissDialog(HWND window, LPARAM)
{
   wchar_t className[64] = {};
   GetClassNameW(window, className, 64);
   if (wcscmp(className, L"#32770") == 0) {
      for (int id : {IDCANCEL, IDNO, IDOK}) {
         PostMessageW(window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
      }
   }
   return TRUE;
}

ModalAnswer *gAnswer = nullptr;

BOOL CALLBACK OfferWindow(HWND window, LPARAM)
{
   wchar_t className[64] = {};
   GetClassNameW(window, className, 64);
   if (!gAnswer->answered && IsWindowVisible(window) && wcscmp(className, gAnswer->windowClass) == 0 &&
       (*gAnswer->onWindow)(window)) {
      gAnswer->answered = 1;
   }
   return TRUE;
}

void CALLBACK OnAnswerTimer(HWND, UINT, UINT_PTR, DWORD)
{
   if (gAnswer && !gAnswer->answered) {
      EnumThreadWindows(GetCurrentThreadId(), OfferWindow, 0);
      if (!gAnswer->answered && GetTickCount() - gAnswer->started > kGiveUpMs) {
         EnumThreadWindows(GetCurrentThreadId(), DismissDialog, 0);
      }
   }
}

}  // namespace

LogTail::LogTail() : start_(static_cast<long long>(ReadLog().size())) {}

std::string LogTail::Text() const
{
   std::string all = ReadLog();
   return static_cast<size_t>(start_) <= all.size() ? all.substr(static_cast<size_t>(start_)) : std::string();
}

IVmdbDatabasePtr ConnectNamed(const wchar_t *name)
{
   IVmdbDatabasePtr db;
   EXPECT_EQ(S_OK, db.CreateInstance(__uuidof(VmdbDatabase), nullptr, CLSCTX_ALL));
   db->Connect(name, VMDB_CONNECT_NAMED);
   return db;
}

std::string Text(const _bstr_t &text)
{
   return text.length() ? static_cast<const char *>(text) : "";
}

int AnswerModal(const wchar_t *windowClass, const std::function<bool(HWND)> &onWindow, const std::function<void()> &run)
{
   ModalAnswer answer{windowClass, &onWindow};
   gAnswer = &answer;
   UINT_PTR timer = SetTimer(nullptr, 0, 50, OnAnswerTimer);
   run();
   KillTimer(nullptr, timer);
   gAnswer = nullptr;
   return answer.answered;
}

namespace {

BOOL CALLBACK AddChildText(HWND child, LPARAM param)
{
   wchar_t text[512] = {};
   GetWindowTextW(child, text, 512);
   *reinterpret_cast<std::string *>(param) += Utf8FromWide(text) + "\n";
   return TRUE;
}

}  // namespace

std::string ChildTexts(HWND window)
{
   std::string texts;
   EnumChildWindows(window, AddChildText, reinterpret_cast<LPARAM>(&texts));
   return texts;
}
