// Connecting to a host on an application built in-process: a full destination, the login dialog
// after a failure, cancelling, the local host, the recent destinations kept in the preferences,
// the simulated hosts' refusals and a host that never answers.
#include "ModalDriver.h"
#include "SessionFixture.h"

#include "cui/AppDataPaths.h"
#include "cui/Host.h"
#include "cui/VM.h"
#include "res/resource.h"
#include "tremorybase/Config.h"

#include <algorithm>
#include <map>

namespace {

const std::string kPrefs = "/user/prefState/req/#ZOLT/val/zolt/";

class Connect : public SessionFixture {
protected:
   void SetUp() override { MakeApp(true); }
   void TearDown() override
   {
      SessionFixture::TearDown();
      for (const char *key : {"test.remoteHost.farhost.users", "test.remoteHost.farhost.vms",
                              "test.remoteHost.slow.noAnswer", "vmdb.connect.timeoutMs"}) {
         Config_Set(key, "");
      }
   }

   // The stored recent destinations that are present, "dest/user" in index order.
   std::vector<std::string> Stored() const
   {
      std::map<long, std::string> byIndex;
      for (const std::string &element : cui::GetVmdbCtx().Elements(kPrefs + "mruDest/item/#")) {
         if (Read(element + "present") == "1") {
            byIndex[std::stol(Read(element + "index"))] = Read(element + "destString") + "/" + Read(element + "user");
         }
      }
      std::vector<std::string> list;
      for (const auto &entry : byIndex) {
         list.push_back(entry.second);
      }
      return list;
   }

   // A preference the user set: in the preference state, and in the request element made from it.
   void SetPref(const std::string &path, const std::string &value)
   {
      Write("/user/prefState/val/zolt/" + path, value);
      Write(kPrefs + path, value);
   }

   bool ConnectTo(const std::string &host, const std::string &user, const std::string &password, bool atStartup = false)
   {
      _bstr_t h(host.c_str()), u(user.c_str()), p(password.c_str());
      bool connected = app_->ConnectToHost(h, u, p, atStartup);
      EXPECT_EQ(p.length(), 0u) << "the caller's password is wiped once the host answered";
      return connected;
   }
};

}  // namespace

TEST_F(Connect, AFullDestinationConnectsWithoutTheDialogAndLeadsTheRecentList)
{
   Config_Set("test.remoteHosts", "farhost, near, other");
   SetPref("mruDest/maxItems", "3");
   const char *stored[][3] = {{"a", "u1", "0"}, {"b", "u2", "1"}, {"c", "u3", "2"}};
   for (int i = 0; i < 3; ++i) {
      const std::string e = "mruDest/item/#000" + std::to_string(i + 1) + "/";
      SetPref(e + "destString", stored[i][0]);
      SetPref(e + "user", stored[i][1]);
      SetPref(e + "index", stored[i][2]);
      SetPref(e + "present", "1");
   }
   SetPref("mruDest/item/#0004/present", "0");

   ModalDriver driver([](HWND dlg) { Click(dlg, IDCANCEL); });
   ASSERT_TRUE(ConnectTo("farhost", "joe", "pw", true));
   EXPECT_EQ(driver.Seen(), 0) << "no dialog for a full destination";
   EXPECT_EQ(Read(kPrefs + "cnxType"), "remote");
   EXPECT_EQ(Read(cui::appdata::kSessionDest), "farhost");
   // The oldest went, and the elements are written over, not added to.
   EXPECT_EQ(Stored(), (std::vector<std::string>{"farhost/joe", "a/u1", "b/u2"}));
   EXPECT_EQ(CountElements(kPrefs + "mruDest/item/#"), 4);

   ASSERT_TRUE(ConnectTo("FARHOST", "ann", "pw"));
   EXPECT_EQ(Stored(), (std::vector<std::string>{"FARHOST/ann", "farhost/joe", "a/u1"})) << "letter case counts";
   ASSERT_TRUE(ConnectTo("farhost", "bob", "pw"));
   EXPECT_EQ(Stored(), (std::vector<std::string>{"farhost/bob", "FARHOST/ann", "a/u1"})) << "once, and first";
   EXPECT_LE(CountElements(kPrefs + "mruDest/item/#"), 4) << "however often one connects";

   // Not saving destinations leaves the list as it is.
   SetPref("saveDest", "0");
   ASSERT_TRUE(ConnectTo("near", "joe", "pw"));
   const std::vector<std::string> kept = {"farhost/bob", "FARHOST/ann", "a/u1"};
   // The session's start hands the preferences to the host, which gives them back from a poll step.
   EXPECT_TRUE(PollUntil([&]() { return Stored() == kept; })) << ::testing::PrintToString(Stored());
}

TEST_F(Connect, AFailureIsReportedAndTheDialogAsksAgainWithAnEmptyPassword)
{
   Config_Set("test.remoteHosts", "farhost");
   Config_Set("test.remotePassword", "right");
   ModalDriver driver([](HWND dlg) {
      wchar_t title[64] = L"";
      GetWindowTextW(dlg, title, 64);
      EXPECT_STREQ(title, L"Connect to Host") << "the start-up title";
      EXPECT_EQ(ItemText(dlg, IDC_LOGIN_HOST), "farhost");
      EXPECT_EQ(ItemText(dlg, IDC_LOGIN_USER), "joe");
      EXPECT_EQ(ItemText(dlg, IDC_LOGIN_PASSWORD), "");
      EXPECT_NE(ItemText(dlg, IDC_LOGIN_ERROR).find("Incorrect user name or password."), std::string::npos)
         << ItemText(dlg, IDC_LOGIN_ERROR);
      TypeInto(dlg, IDC_LOGIN_PASSWORD, "right");
      Click(dlg, IDOK);
   });
   ASSERT_TRUE(ConnectTo("farhost", "joe", "wrong", true));
   EXPECT_EQ(driver.Seen(), 1);
   EXPECT_EQ(Read(cui::appdata::kSessionDest), "farhost");
   EXPECT_EQ(Read(kPrefs + "cnxType"), "remote");
   EXPECT_EQ(Stored(), (std::vector<std::string>{"farhost/joe"})) << "ten entries unless the preferences say";
}

TEST_F(Connect, CancelWritesNothingAndTheLocalHostKeepsTheList)
{
   {
      ModalDriver cancel([](HWND dlg) {
         EXPECT_EQ(IsDlgButtonChecked(dlg, IDC_LOGIN_REMOTE), BST_CHECKED);
         Click(dlg, IDCANCEL);
      });
      EXPECT_FALSE(ConnectTo("", "", ""));
      EXPECT_EQ(cancel.Seen(), 1);
      EXPECT_FALSE(Exists(kPrefs + "cnxType"));
   }

   SetPref("mruDest/item/#0001/destString", "farhost");
   SetPref("mruDest/item/#0001/user", "joe");
   SetPref("mruDest/item/#0001/index", "0");
   SetPref("mruDest/item/#0001/present", "1");
   {
      ModalDriver local([](HWND dlg) {
         EXPECT_EQ(ItemText(dlg, IDC_LOGIN_HOST), "farhost") << "the recent destination is offered";
         Click(dlg, IDC_LOGIN_LOCAL);
         Click(dlg, IDOK);
      });
      ASSERT_TRUE(ConnectTo("", "", ""));
      EXPECT_EQ(local.Seen(), 1);
      EXPECT_EQ(Read(kPrefs + "cnxType"), "local");
      EXPECT_EQ(Read(cui::appdata::kSessionDest), "");
      EXPECT_EQ(Stored(), (std::vector<std::string>{"farhost/joe"}));
   }
   // The local host is now preferred, when no host is given.
   ModalDriver preferred([](HWND dlg) {
      EXPECT_EQ(IsDlgButtonChecked(dlg, IDC_LOGIN_LOCAL), BST_CHECKED);
      Click(dlg, IDCANCEL);
   });
   EXPECT_FALSE(ConnectTo("", "", ""));
   EXPECT_EQ(preferred.Seen(), 1);
}

TEST_F(Connect, AHostThatNeverAnswersFailsAfterABoundedWait)
{
   Config_Set("test.remoteHosts", "slow");
   Config_Set("test.remoteHost.slow.noAnswer", "true");
   Config_Set("vmdb.connect.timeoutMs", "600");
   ModalDriver driver([](HWND dlg) {
      EXPECT_NE(ItemText(dlg, IDC_LOGIN_ERROR).find("did not answer"), std::string::npos) << ItemText(dlg, IDC_LOGIN_ERROR);
      EXPECT_TRUE(IsWindowEnabled(dlg));
      EXPECT_TRUE(IsItemEnabled(dlg, IDOK));
      Click(dlg, IDCANCEL);
   });
   const DWORD start = GetTickCount();
   EXPECT_FALSE(ConnectTo("slow", "joe", "pw"));
   EXPECT_LT(GetTickCount() - start, 10000u);
   EXPECT_GE(GetTickCount() - start, 600u);
   EXPECT_EQ(driver.Seen(), 1);
}

TEST_F(Connect, EveryRefusalSaysWhatWentWrong)
{
   Config_Set("test.remoteHosts", "farhost");
   Config_Set("test.remoteHost.farhost.users", "joe:secret");
   auto refusal = [this](const char *dest, const char *user, const char *password) {
      _bstr_t error;
      EXPECT_FALSE(app_->NewSession(true, _bstr_t(dest), _bstr_t(user), _bstr_t(password), &error)) << dest;
      return std::string(error.length() ? static_cast<const char *>(error) : "");
   };
   EXPECT_NE(refusal("nowhere", "joe", "secret").find("Cannot connect to host nowhere"), std::string::npos);
   EXPECT_NE(refusal("farhost:903", "joe", "secret").find("refused the connection on port 903"), std::string::npos);
   EXPECT_NE(refusal("farhost:x", "joe", "secret").find("not a number"), std::string::npos);
   EXPECT_NE(refusal("farhost", "joe", "Secret").find("Incorrect user name or password."), std::string::npos);
   EXPECT_NE(refusal("farhost", "ann", "secret").find("Incorrect user name or password."), std::string::npos);
   EXPECT_EQ(refusal("farhost", "joe", "Wr0ngPass").find("Wr0ngPass"), std::string::npos) << "no text repeats a password";
}

TEST_F(Connect, AnotherHostHasItsOwnMachinesAndFacts)
{
   Config_Set("test.remoteHosts", "farhost:902");
   Config_Set("test.remoteHost.farhost.vms", "C:\\far\\one.vmx;C:\\far\\two.vmx");
   _bstr_t error;
   ASSERT_TRUE(app_->NewSession(true, _bstr_t("joe@farhost:902"), _bstr_t(""), _bstr_t("pw"), &error))
      << static_cast<const char *>(error);
   cui::Host *host = wui::GetCurrentHost();
   ASSERT_TRUE(host);
   const std::string node = host->GetPath();
   EXPECT_EQ(Read(node + "info/hostname"), "farhost");
   EXPECT_FALSE(Read(node + "setup/product/versionDotted").empty());
   EXPECT_EQ(CountElements(node + "vms/registeredvms/#"), 2);
   EXPECT_EQ(Read(node + "vms/registeredvms/#0002/cfgPath"), "C:\\far\\two.vmx");
   EXPECT_EQ(Read(wui::GetPrefs()->GetSessionPath() + "user"), "joe") << "the user from the destination";
}

TEST_F(Connect, AMachinesUserAccountIsSetAndAnEmptyNameUnsetsIt)
{
   cui::VM *vm = OpenVm("Accounts");
   ASSERT_TRUE(vm);
   const std::string username = vm->GetVmPath() + "user/username";
   app_->SetVMUser(vm, _bstr_t("joe"), _bstr_t("pw"));
   EXPECT_TRUE(PollUntil([&]() { return Read(username) == "joe"; })) << Read(username);
   app_->SetVMUser(vm, _bstr_t(""), _bstr_t("pw"));
   EXPECT_TRUE(PollUntil([&]() { return Exists(username) && Read(username).empty(); }));
   EXPECT_TRUE(PollUntil([&]() { return CountElements(vm->GetVmPath() + "user/cmd/#") == 0; }))
      << "no command, and no password, stays behind";
}
