// The open-machine dialog of a session against a host: its rows, selection and answers, Browse
// with the remote file browser and the registration it starts, and File > Open in the
// remote-host mode. The dialog runs modally as the program runs it; the tests act on it from
// thread timers, as a user would while it is up.
#include "WindowText.h"
#include "zoltOpenRemoteDlg.h"
#include "zoltResources.h"

#include "ListViewText.h"
#include "MachineCmdsFixture.h"

#include "cui/Host.h"
#include "cui/HostVMList.h"
#include "res/resource.h"
#include "tremappsdk/TremAppSdk.h"
#include "tremappsdkRes.h"
#include "tremorybase/Config.h"
#include "tremorybase/Poll.h"
#include "tremorybase/Text.h"

#include <commctrl.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace {

using testsupport::TextOf;

// Runs `act` once, from a thread timer, on the first visible dialog of this thread that `match`
// accepts; the timer runs in whatever modal loop is up then.
class OnDialog {
public:
   OnDialog(std::function<bool(HWND)> match, std::function<void(HWND)> act)
      : match_(std::move(match)), act_(std::move(act))
   {
      timer_ = SetTimer(nullptr, 0, 30, &OnDialog::OnTimer);
      All()[timer_] = this;
   }
   ~OnDialog()
   {
      KillTimer(nullptr, timer_);
      All().erase(timer_);
   }
   bool Done() const { return done_; }

   // A dialog with this caption.
   static std::function<bool(HWND)> Titled(const std::string &caption)
   {
      return [caption](HWND wnd) { return TextOf(wnd) == caption; };
   }
   // Any dialog but `other` (a message box over it).
   static std::function<bool(HWND)> Not(HWND *other)
   {
      return [other](HWND wnd) { return wnd != *other; };
   }

private:
   struct Search {
      OnDialog *self;
      HWND found;
   };
   static std::map<UINT_PTR, OnDialog *> &All()
   {
      static std::map<UINT_PTR, OnDialog *> all;
      return all;
   }
   static BOOL CALLBACK Look(HWND wnd, LPARAM data)
   {
      Search &search = *reinterpret_cast<Search *>(data);
      char cls[32] = "";
      GetClassNameA(wnd, cls, sizeof cls);
      if (IsWindowVisible(wnd) && std::string(cls) == "#32770" && search.self->match_(wnd)) {
         search.found = wnd;
         return FALSE;
      }
      return TRUE;
   }
   static void CALLBACK OnTimer(HWND, UINT, UINT_PTR id, DWORD)
   {
      auto it = All().find(id);
      if (it == All().end() || it->second->done_) {
         return;
      }
      Search search{it->second, nullptr};
      EnumThreadWindows(GetCurrentThreadId(), &Look, reinterpret_cast<LPARAM>(&search));
      if (search.found) {
         it->second->done_ = true;
         it->second->act_(search.found);
      }
   }

   std::function<bool(HWND)> match_;
   std::function<void(HWND)> act_;
   UINT_PTR timer_ = 0;
   bool done_ = false;
};

const char kDialogCaption[] = "Open Virtual Machine";

std::string CellText(HWND list, int row, int column)
{
   return testsupport::ListViewCellText(list, row, column);
}

std::vector<std::string> Rows(HWND list)
{
   std::vector<std::string> rows;
   int count = ListView_GetItemCount(list);
   for (int row = 0; row < count; ++row) {
      rows.push_back(CellText(list, row, 0) + " | " + CellText(list, row, 1));
   }
   return rows;
}

std::vector<int> SelectedRows(HWND list)
{
   std::vector<int> rows;
   for (int row = ListView_GetNextItem(list, -1, LVNI_SELECTED); row >= 0;
        row = ListView_GetNextItem(list, row, LVNI_SELECTED)) {
      rows.push_back(row);
   }
   return rows;
}

void Select(HWND list, const std::vector<int> &rows)
{
   ListView_SetItemState(list, -1, 0, LVIS_SELECTED);
   for (int row : rows) {
      ListView_SetItemState(list, row, LVIS_SELECTED, LVIS_SELECTED);
   }
}

void Click(HWND dlg, int id)
{
   SendMessageW(dlg, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dlg, id)));
}

RECT ChildRect(HWND dlg, int id)
{
   RECT rc = {};
   GetWindowRect(GetDlgItem(dlg, id), &rc);
   MapWindowPoints(nullptr, dlg, reinterpret_cast<POINT *>(&rc), 2);
   return rc;
}

typedef COpenRemoteDlg::Result Result;

class OpenRemote : public SessionFixture {
protected:
   static void SetUpTestSuite()
   {
      SessionFixture::SetUpTestSuite();
      static bool registered = false;
      if (!registered) {
         registered = true;
         tremappsdk::RegisterClasses();
      }
   }

   // UI mode 1, in a session with the local host or, with `remoteHost`, with a simulated host of
   // that name.
   void StartSession(const std::string &remoteHost = "")
   {
      MakeApp(true);
      _bstr_t error;
      if (remoteHost.empty()) {
         ASSERT_TRUE(app_->NewSession(false, _bstr_t(""), _bstr_t(""), _bstr_t(""), &error));
      } else {
         Config_Set("test.remoteHosts", remoteHost.c_str());
         ASSERT_TRUE(app_->NewSession(true, _bstr_t(remoteHost.c_str()), _bstr_t("joe"), _bstr_t("pw"), &error))
            << static_cast<const char *>(error);
      }
      ASSERT_TRUE(wui::GetCurrentHost());
   }

   cui::Host &Host() const { return *wui::GetCurrentHost(); }

   void Register(const std::string &file)
   {
      Outcome outcome;
      Host().RegisterVM(file, outcome.Abort(), outcome.Done());
      ASSERT_EQ(outcome.dones, 1) << outcome.error;
   }

   // Runs the dialog over `entries` (or the host's list) and hands it to `drive` once it shows.
   INT_PTR Run(std::shared_ptr<cui::HostVMList> list, const std::function<void(HWND)> &drive, Result &result)
   {
      COpenRemoteDlg dlg(app_->GetContext(), list);
      OnDialog driver(OnDialog::Titled(kDialogCaption), drive);
      INT_PTR answer = dlg.DoModal(nullptr);
      EXPECT_TRUE(driver.Done()) << "the dialog showed";
      result = dlg.GetResult();
      return answer;
   }

   static std::shared_ptr<cui::HostVMList> List(std::vector<cui::HostVMList::Entry> entries)
   {
      return std::make_shared<cui::HostVMList>(entries);
   }

   // Types `path` into the remote file browser and presses Open.
   static void ChooseInBrowser(HWND browser, const std::string &path)
   {
      SetDlgItemTextW(browser, IDC_TREMAPPSDK_BROWSE_NAME, WidePathFromUtf8(path).c_str());
      Click(browser, IDOK);
   }
};

}  // namespace

TEST_F(OpenRemote, AnEmptyHostShowsTheLabelSelectsNothingAndOKAsksForAMachine)
{
   StartSession();
   std::string boxText;
   bool stillUp = false;
   Result result{{"stale", "stale"}};
   INT_PTR answer = Run(
      List({}),
      [&](HWND dlg) {
         HWND list = GetDlgItem(dlg, IDC_OPEN_REMOTE_LIST);
         EXPECT_TRUE(IsWindowVisible(GetDlgItem(dlg, IDC_OPEN_REMOTE_EMPTY)));
         EXPECT_EQ(ListView_GetItemCount(list), 0);
         EXPECT_TRUE(SelectedRows(list).empty());
         EXPECT_EQ(TextOf(GetDlgItem(dlg, IDC_OPEN_REMOTE_TEXT1)), LoadResString(IDS_OPEN_REMOTE_SELECT));
         EXPECT_EQ(TextOf(GetDlgItem(dlg, IDC_OPEN_REMOTE_TEXT2)), LoadResString(IDS_OPEN_REMOTE_BROWSE_HINT));
         EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dlg, IDC_OPEN_REMOTE_BROWSE))) << "the local host registers";
         // The label lies over the list, below its header.
         RECT label = ChildRect(dlg, IDC_OPEN_REMOTE_EMPTY);
         RECT area = ChildRect(dlg, IDC_OPEN_REMOTE_LIST);
         EXPECT_GT(label.top, area.top);
         EXPECT_LT(label.bottom, area.bottom);

         OnDialog box(OnDialog::Not(&dlg), [&](HWND found) {
            boxText = TextOf(GetDlgItem(found, 0xFFFF));
            PostMessageW(found, WM_COMMAND, IDOK, 0);
         });
         Click(dlg, IDOK);
         EXPECT_TRUE(box.Done());
         stillUp = IsWindowVisible(dlg) != FALSE;
         Click(dlg, IDCANCEL);
      },
      result);
   EXPECT_EQ(boxText, LoadResString(IDS_OPEN_REMOTE_SELECT_ONE));
   EXPECT_TRUE(stillUp) << "the dialog stays open after the message";
   EXPECT_EQ(answer, IDCANCEL);
   EXPECT_TRUE(result.empty()) << "Cancel clears the result";
}

TEST_F(OpenRemote, RowsSkipEntriesWithoutAPathAndOKAnswersTheSelectedPairsInListOrder)
{
   StartSession();
   std::vector<std::string> rows;
   std::vector<int> firstSelection;
   bool labelShown = true;
   Result result;
   INT_PTR answer = Run(
      List({{"id-a", "Alpha", "C:\\vms\\a.vmx"},
            {"id-b", "Bravo", ""},
            {"id-c", "", "C:\\vms\\c.vmx"},
            {"id-d", "Delta", "C:\\vms\\d.vmx"}}),
      [&](HWND dlg) {
         HWND list = GetDlgItem(dlg, IDC_OPEN_REMOTE_LIST);
         rows = Rows(list);
         firstSelection = SelectedRows(list);
         labelShown = IsWindowVisible(GetDlgItem(dlg, IDC_OPEN_REMOTE_EMPTY)) != FALSE;
         Select(list, {2, 0});
         Click(dlg, IDOK);
      },
      result);
   EXPECT_EQ(rows, (std::vector<std::string>{"Alpha | C:\\vms\\a.vmx", "C:\\vms\\c.vmx | C:\\vms\\c.vmx",
                                             "Delta | C:\\vms\\d.vmx"}));
   EXPECT_EQ(firstSelection, std::vector<int>{0}) << "the first row is selected at the start";
   EXPECT_FALSE(labelShown);
   EXPECT_EQ(answer, IDOK);
   EXPECT_EQ(result, (Result{{"id-a", "C:\\vms\\a.vmx"}, {"id-d", "C:\\vms\\d.vmx"}}));
}

TEST_F(OpenRemote, ADoubleClickAnswersExactlyThatRowAndOneBesideTheRowsDoesNothing)
{
   StartSession();
   bool openAfterMiss = false;
   Result result;
   INT_PTR answer = Run(
      List({{"id-a", "Alpha", "C:\\vms\\a.vmx"}, {"id-b", "Bravo", "C:\\vms\\b.vmx"}}),
      [&](HWND dlg) {
         HWND list = GetDlgItem(dlg, IDC_OPEN_REMOTE_LIST);
         Select(list, {0, 1});
         RECT client = {};
         GetClientRect(list, &client);
         SendMessageW(list, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(client.right / 2, client.bottom - 4));
         SendMessageW(list, WM_LBUTTONUP, 0, MAKELPARAM(client.right / 2, client.bottom - 4));
         openAfterMiss = IsWindowVisible(dlg) != FALSE;
         Select(list, {0, 1});
         RECT row = {};
         ListView_GetItemRect(list, 1, &row, LVIR_LABEL);
         LPARAM at = MAKELPARAM(row.left + 4, (row.top + row.bottom) / 2);
         SendMessageW(list, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
         SendMessageW(list, WM_LBUTTONUP, 0, at);
      },
      result);
   EXPECT_TRUE(openAfterMiss) << "a double click below the rows answers nothing";
   EXPECT_EQ(answer, IDOK);
   EXPECT_EQ(result, (Result{{"id-b", "C:\\vms\\b.vmx"}}));
}

TEST_F(OpenRemote, TheLayoutFollowsTheSizeAndTheSecondColumnFillsTheList)
{
   StartSession();
   Result result;
   Run(List({{"id-a", "Alpha", "C:\\vms\\a.vmx"}}),
       [&](HWND dlg) {
          HWND list = GetDlgItem(dlg, IDC_OPEN_REMOTE_LIST);
          RECT before = ChildRect(dlg, IDC_OPEN_REMOTE_LIST);
          RECT okBefore = ChildRect(dlg, IDOK);
          RECT window = {};
          GetWindowRect(dlg, &window);
          SetWindowPos(dlg, nullptr, 0, 0, window.right - window.left + 120, window.bottom - window.top + 80,
                       SWP_NOMOVE | SWP_NOZORDER);
          RECT client = {};
          GetClientRect(dlg, &client);
          RECT after = ChildRect(dlg, IDC_OPEN_REMOTE_LIST);
          RECT okAfter = ChildRect(dlg, IDOK);
          RECT text = ChildRect(dlg, IDC_OPEN_REMOTE_TEXT2);
          EXPECT_EQ(after.left, 10);
          EXPECT_EQ(after.right, client.right - 10);
          EXPECT_EQ(text.left, 10);
          EXPECT_EQ(text.right, client.right - 10);
          EXPECT_EQ(after.top, before.top);
          EXPECT_EQ(after.bottom - before.bottom, 80) << "the list takes the new height";
          EXPECT_EQ(okAfter.left - okBefore.left, 120) << "OK keeps its place at the bottom right";
          EXPECT_EQ(okAfter.top - okBefore.top, 80);
          RECT listClient = {};
          GetClientRect(list, &listClient);
          EXPECT_EQ(ListView_GetColumnWidth(list, 0) + ListView_GetColumnWidth(list, 1), listClient.right);
          Click(dlg, IDCANCEL);
       },
       result);
}

TEST_F(OpenRemote, BrowsingToARegisteredFileAnswersItWithoutARegistration)
{
   StartSession("farhost");
   const std::string vmx = WriteVmx("Listed");
   Register(vmx);
   // A registration now would fail and keep the dialog open.
   Config_Set("test.host.fail", "registerVM");
   std::vector<std::string> rows;
   std::string browserFolder;
   Result result;
   INT_PTR answer = Run(
      cui::HostVMList::FromHost(&Host()),
      [&](HWND dlg) {
         rows = Rows(GetDlgItem(dlg, IDC_OPEN_REMOTE_LIST));
         OnDialog browser(OnDialog::Titled(LoadResString(IDS_OPEN_REMOTE_BROWSE_TITLE)), [&](HWND found) {
            browserFolder = TextOf(GetDlgItem(found, IDC_TREMAPPSDK_BROWSE_FOLDER));
            ChooseInBrowser(found, vmx);
         });
         Click(dlg, IDC_OPEN_REMOTE_BROWSE);
         EXPECT_TRUE(browser.Done()) << "Browse on a remote host runs the remote file browser";
      },
      result);
   ASSERT_EQ(rows.size(), 1u);
   EXPECT_EQ(rows[0], "Listed | " + Host().GetRegisteredVMPath(vmx));
   EXPECT_FALSE(browserFolder.empty());
   EXPECT_EQ(answer, IDOK);
   EXPECT_EQ(result, (Result{{"", vmx}}));
}

TEST_F(OpenRemote, BrowsingToANewFileRegistersItOnceWithBrowseAndOKOffMeanwhile)
{
   StartSession("farhost");
   const std::string vmx = WriteVmx("Fresh");
   Config_Set("test.host.delayMs", "150");
   int browsers = 0;
   bool checkedDuringRegistration = false;
   bool browseOff = false;
   bool okOff = false;
   Result result;
   INT_PTR answer = Run(
      List({}),
      [&](HWND dlg) {
         OnDialog browser(OnDialog::Titled(LoadResString(IDS_OPEN_REMOTE_BROWSE_TITLE)), [&](HWND found) {
            ++browsers;
            // While the host registers the file, the user presses Browse and OK again.
            Poll_AddTimer(40, false, [&, dlg]() {
               checkedDuringRegistration = true;
               browseOff = !IsWindowEnabled(GetDlgItem(dlg, IDC_OPEN_REMOTE_BROWSE));
               okOff = !IsWindowEnabled(GetDlgItem(dlg, IDOK));
               Click(dlg, IDC_OPEN_REMOTE_BROWSE);
               Click(dlg, IDOK);
            });
            ChooseInBrowser(found, vmx);
         });
         OnDialog second(OnDialog::Titled(LoadResString(IDS_OPEN_REMOTE_BROWSE_TITLE)), [&](HWND found) {
            ++browsers;
            Click(found, IDCANCEL);
         });
         Click(dlg, IDC_OPEN_REMOTE_BROWSE);
         Poll(300);
      },
      result);
   Config_Set("test.host.delayMs", "1");
   EXPECT_TRUE(checkedDuringRegistration);
   EXPECT_TRUE(browseOff);
   EXPECT_TRUE(okOff);
   EXPECT_EQ(browsers, 1) << "no second browser while the first file registers";
   EXPECT_EQ(answer, IDOK);
   EXPECT_EQ(result, (Result{{"", vmx}}));
   EXPECT_NE(Host().GetRegisteredVMPath(vmx), "");
}

TEST_F(OpenRemote, AFailedRegistrationKeepsTheDialogOpenWithBrowseAndOKOn)
{
   StartSession("farhost");
   const std::string vmx = WriteVmx("Refused");
   Config_Set("test.host.fail", "registerVM");
   bool up = false;
   bool browseOn = false;
   bool okOn = false;
   Result result;
   INT_PTR answer = Run(
      List({}),
      [&](HWND dlg) {
         OnDialog browser(OnDialog::Titled(LoadResString(IDS_OPEN_REMOTE_BROWSE_TITLE)),
                          [&](HWND found) { ChooseInBrowser(found, vmx); });
         Click(dlg, IDC_OPEN_REMOTE_BROWSE);
         up = IsWindowVisible(dlg) != FALSE;
         browseOn = IsWindowEnabled(GetDlgItem(dlg, IDC_OPEN_REMOTE_BROWSE)) != FALSE;
         okOn = IsWindowEnabled(GetDlgItem(dlg, IDOK)) != FALSE;
         Click(dlg, IDCANCEL);
      },
      result);
   EXPECT_TRUE(up);
   EXPECT_TRUE(browseOn);
   EXPECT_TRUE(okOn);
   EXPECT_EQ(answer, IDCANCEL);
   EXPECT_EQ(Host().GetRegisteredVMPath(vmx), "");
}

TEST_F(OpenRemote, AHostThatCannotRegisterDisablesBrowseAndSaysSo)
{
   StartSession("farhost");
   cui::GetVmdbCtx().Set(Host().GetPath() + "cap/registerVM", "0");
   std::string hint;
   bool browseOn = true;
   bool browserShown = false;
   Result result;
   Run(List({{"id-a", "Alpha", "C:\\vms\\a.vmx"}}),
       [&](HWND dlg) {
          hint = TextOf(GetDlgItem(dlg, IDC_OPEN_REMOTE_TEXT2));
          browseOn = IsWindowEnabled(GetDlgItem(dlg, IDC_OPEN_REMOTE_BROWSE)) != FALSE;
          OnDialog browser(OnDialog::Titled(LoadResString(IDS_OPEN_REMOTE_BROWSE_TITLE)), [&](HWND found) {
             browserShown = true;
             Click(found, IDCANCEL);
          });
          Click(dlg, IDC_OPEN_REMOTE_BROWSE);
          Poll(100);
          Click(dlg, IDCANCEL);
       },
       result);
   EXPECT_EQ(hint, LoadResString(IDS_OPEN_REMOTE_NO_BROWSE));
   EXPECT_FALSE(browseOn);
   EXPECT_FALSE(browserShown);
}

TEST_F(OpenRemote, TheHostsListNamesMachinesByTheirFilesAndKeepsRegistrationsWithoutOne)
{
   StartSession();
   const std::string named = WriteVmx("Named");
   Register(named);
   const std::string host = Host().GetPath();
   cui::GetVmdbCtx().Set(cui::GetVmdbCtx().Append(host + "vms/registeredvms/##") + "cfgPath", "");
   const std::string missing = folder_ + "\\gone.vmx";
   cui::GetVmdbCtx().Set(cui::GetVmdbCtx().Append(host + "vms/registeredvms/##") + "cfgPath", missing);

   std::shared_ptr<cui::HostVMList> list = cui::HostVMList::FromHost(&Host());
   ASSERT_EQ(list->GetCount(), 3u);
   EXPECT_EQ(list->GetItem(0).displayName, "Named");
   EXPECT_EQ(list->GetItem(0).cfgPath, Host().GetRegisteredVMPath(named));
   EXPECT_EQ(list->GetItem(0).id.rfind(host + "vms/registeredvms/#", 0), 0u) << list->GetItem(0).id;
   EXPECT_EQ(list->GetItem(1).cfgPath, "");
   EXPECT_EQ(list->GetItem(2).displayName, "") << "an unreadable file names nothing";
   EXPECT_NE(list->GetItem(0).id, list->GetItem(2).id);
   EXPECT_EQ(cui::HostVMList::FromHost(nullptr)->GetCount(), 0u);
}

TEST_F(OpenRemote, FileOpenInTheRemoteHostModeOpensEachChosenMachine)
{
   StartSession();
   const std::string first = WriteVmx("First");
   const std::string second = WriteVmx("Second");
   Register(first);
   Register(second);
   bool shown = false;
   {
      OnDialog driver(OnDialog::Titled(kDialogCaption), [&](HWND dlg) {
         shown = true;
         Select(GetDlgItem(dlg, IDC_OPEN_REMOTE_LIST), {0, 1});
         Click(dlg, IDOK);
      });
      app_->OpenVMDialog();
   }
   EXPECT_TRUE(shown);
   EXPECT_TRUE(PollUntil([&]() {
      return wui::GetVMMgr()->GetVMByCfgPath(first) != nullptr && wui::GetVMMgr()->GetVMByCfgPath(second) != nullptr;
   })) << "both chosen machines open";
}
