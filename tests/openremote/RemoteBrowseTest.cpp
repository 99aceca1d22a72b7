// The remote file browser behind the open dialog's Browse: its filter, the folder listing, the
// typed names it takes, and the "RemoteBrowseDlg" object that runs it.
#include "RemoteBrowseList.h"

#include "tremappsdk/RemoteBrowseDlg.h"
#include "tremappsdk/TremAppSdk.h"
#include "tremappsdkRes.h"
#include "tremorybase/Text.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

using namespace tremappsdk;

namespace {

// A folder of its own under the temporary folder, with the given files and subfolders.
std::wstring MakeTree(const std::vector<std::wstring> &files, const std::vector<std::wstring> &folders)
{
   wchar_t temp[MAX_PATH] = L"";
   GetTempPathW(MAX_PATH, temp);
   static int count = 0;
   std::wstring root = std::wstring(temp) + L"zolt-browse-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                       std::to_wstring(++count);
   CreateDirectoryW(root.c_str(), nullptr);
   for (const std::wstring &folder : folders) {
      CreateDirectoryW((root + L"\\" + folder).c_str(), nullptr);
   }
   for (const std::wstring &file : files) {
      HANDLE h = CreateFileW((root + L"\\" + file).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
      CloseHandle(h);
   }
   return root;
}

std::vector<std::wstring> Names(const std::vector<BrowseEntry> &entries)
{
   std::vector<std::wstring> names;
   for (const BrowseEntry &entry : entries) {
      names.push_back(entry.folder ? L"[" + entry.name + L"]" : entry.name);
   }
   return names;
}

struct ComStart {
   ComStart()
   {
      CoInitialize(nullptr);
      // The last CoUninitialize revoked the class factories.
      tremappsdk::RegisterClasses();
   }
   ~ComStart() { CoUninitialize(); }
};

}  // namespace

TEST(RemoteBrowseList, TheFilterGivesItsChoicesAndPatternsMatchWithOrWithoutCase)
{
   std::vector<BrowseFilter> filters =
      ParseBrowseFilter(L"Configuration Files (*.vmx)|*.vmx|Teams|*.vmtm;*.vmt|All Files (*.*)|*.*||");
   ASSERT_EQ(filters.size(), 3u);
   EXPECT_EQ(filters[0].label, L"Configuration Files (*.vmx)");
   EXPECT_EQ(filters[1].patterns, (std::vector<std::wstring>{L"*.vmtm", L"*.vmt"}));
   EXPECT_EQ(filters[2].patterns, std::vector<std::wstring>{L"*.*"});
   EXPECT_TRUE(ParseBrowseFilter(L"").empty());
   EXPECT_EQ(ParseBrowseFilter(L"Lone text").size(), 0u) << "a text without patterns is no choice";

   EXPECT_TRUE(MatchesBrowsePatterns(L"XP Pro.VMX", {L"*.vmx"}, false));
   EXPECT_FALSE(MatchesBrowsePatterns(L"XP Pro.VMX", {L"*.vmx"}, true)) << "a Linux host tells case apart";
   EXPECT_FALSE(MatchesBrowsePatterns(L"XP Pro.vmx.bak", {L"*.vmx"}, false));
   EXPECT_TRUE(MatchesBrowsePatterns(L"a.vmt", {L"*.vmtm", L"*.vmt"}, false));
   EXPECT_TRUE(MatchesBrowsePatterns(L"README", {L"*.*"}, true)) << "*.* takes a name without a dot";
   EXPECT_TRUE(MatchesBrowsePatterns(L"disk1.vmdk", {L"disk?.vmdk"}, false));
   EXPECT_FALSE(MatchesBrowsePatterns(L"disk12.vmdk", {L"disk?.vmdk"}, false));
}

TEST(RemoteBrowseList, AFolderListsUpThenFoldersThenMatchingFilesAndPathsCombine)
{
   std::wstring root = MakeTree({L"b.vmx", L"A.vmx", L"notes.txt"}, {L"zeta", L"Alpha"});
   std::vector<BrowseEntry> entries;
   ASSERT_TRUE(ListBrowseFolder(root, {L"*.vmx"}, false, entries));
   EXPECT_EQ(Names(entries), (std::vector<std::wstring>{L"[..]", L"[Alpha]", L"[zeta]", L"A.vmx", L"b.vmx"}));
   ASSERT_TRUE(ListBrowseFolder(root + L"\\", {L"*.*"}, false, entries));
   EXPECT_EQ(entries.size(), 6u);
   EXPECT_FALSE(ListBrowseFolder(root + L"\\missing", {L"*.*"}, false, entries));

   ASSERT_TRUE(ListBrowseFolder(L"C:\\", {L"*.vmx"}, false, entries));
   ASSERT_FALSE(entries.empty());
   EXPECT_NE(entries.front().name, L"..") << "a drive's root has nothing above it";

   EXPECT_EQ(CombineBrowsePath(root, L"A.vmx"), root + L"\\A.vmx");
   EXPECT_EQ(CombineBrowsePath(root + L"\\zeta", L".."), root);
   EXPECT_EQ(CombineBrowsePath(root, L"C:\\other\\x.vmx"), L"C:\\other\\x.vmx");
   EXPECT_EQ(ParentBrowseFolder(root + L"\\zeta\\"), root);
   EXPECT_EQ(ParentBrowseFolder(L"C:\\vms"), L"C:\\");
   EXPECT_EQ(ParentBrowseFolder(L"C:\\"), L"C:\\");
}

TEST(RemoteBrowseDlg, TheObjectNeedsAConnectionAndAHostBeforeItBrowses)
{
   ComStart com;
   IRemoteBrowseDlgPtr browser;
   ASSERT_TRUE(SUCCEEDED(browser.CreateInstance(__uuidof(RemoteBrowseDlg), nullptr, CLSCTX_ALL)));
   BSTR path = nullptr;
   EXPECT_EQ(browser->raw_Browse(nullptr, _bstr_t(L"/host2/#0001/"), 1, _bstr_t(L"t"), _bstr_t(L"All|*.*||"),
                                 _bstr_t(L"C:\\"), &path),
             E_UNEXPECTED);
   EXPECT_EQ(browser->raw_SetConnection(_bstr_t(L"")), E_INVALIDARG);
   browser->SetConnection(_bstr_t(L"/db/connection/#0001/"));
   EXPECT_EQ(browser->raw_Browse(nullptr, _bstr_t(L""), 1, _bstr_t(L"t"), _bstr_t(L"All|*.*||"), _bstr_t(L"C:\\"),
                                 &path),
             E_INVALIDARG);
   EXPECT_EQ(path, nullptr);
}

namespace {

// Acts on the browser window from a thread timer while it is up, one step a tick; a message box
// over it is answered first.
std::vector<std::function<void(HWND)>> gSteps;
std::string gBoxText;

BOOL CALLBACK FindBrowserWindows(HWND wnd, LPARAM data)
{
   HWND *found = reinterpret_cast<HWND *>(data);
   if (!IsWindowVisible(wnd)) {
      return TRUE;
   }
   if (GetDlgItem(wnd, 0xFFFF)) {
      found[1] = wnd;
   } else if (GetDlgItem(wnd, IDC_TREMAPPSDK_BROWSE_LIST)) {
      found[0] = wnd;
   }
   return TRUE;
}

void CALLBACK StepTimer(HWND, UINT, UINT_PTR, DWORD)
{
   HWND found[2] = {nullptr, nullptr};
   EnumThreadWindows(GetCurrentThreadId(), &FindBrowserWindows, reinterpret_cast<LPARAM>(found));
   if (found[1]) {
      wchar_t text[512] = L"";
      GetDlgItemTextW(found[1], 0xFFFF, text, 512);
      gBoxText = Utf8FromWide(text);
      PostMessageW(found[1], WM_COMMAND, IDOK, 0);
      return;
   }
   if (!found[0] || gSteps.empty()) {
      return;
   }
   std::function<void(HWND)> step = gSteps.front();
   gSteps.erase(gSteps.begin());
   step(found[0]);
}

std::wstring ItemText(HWND dlg, int id)
{
   wchar_t text[1024] = L"";
   GetDlgItemTextW(dlg, id, text, 1024);
   return text;
}

}  // namespace

TEST(RemoteBrowseDlg, TheBrowserWalksFoldersFollowsTheTypeAndAnswersTheChosenFile)
{
   ComStart com;
   std::wstring root = MakeTree({L"top.vmx", L"readme.txt"}, {L"Machines"});
   std::wstring inner = root + L"\\Machines\\Inner.vmx";
   CloseHandle(CreateFileW(inner.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));

   std::vector<std::wstring> startList;
   std::wstring folderAfterOpen;
   std::wstring nameAfterSelect;
   int countAllFiles = 0;
   bool stayedOnMissing = false;
   gSteps = {
      [&](HWND dlg) {
         HWND list = GetDlgItem(dlg, IDC_TREMAPPSDK_BROWSE_LIST);
         for (int i = 0; i < SendMessageW(list, LB_GETCOUNT, 0, 0); ++i) {
            wchar_t item[256] = L"";
            SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(item));
            startList.push_back(item);
         }
         // The second type lists every file.
         SendDlgItemMessageW(dlg, IDC_TREMAPPSDK_BROWSE_TYPE, CB_SETCURSEL, 1, 0);
         SendMessageW(dlg, WM_COMMAND, MAKEWPARAM(IDC_TREMAPPSDK_BROWSE_TYPE, CBN_SELCHANGE),
                      reinterpret_cast<LPARAM>(GetDlgItem(dlg, IDC_TREMAPPSDK_BROWSE_TYPE)));
         countAllFiles = static_cast<int>(SendMessageW(list, LB_GETCOUNT, 0, 0));
         // A name that is not there: the browser says so and stays.
         SetDlgItemTextW(dlg, IDC_TREMAPPSDK_BROWSE_NAME, L"nothing.vmx");
         PostMessageW(dlg, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
      },
      [&](HWND dlg) {
         stayedOnMissing = IsWindowVisible(dlg) != FALSE;
         // Typing a folder's name goes into it.
         SetDlgItemTextW(dlg, IDC_TREMAPPSDK_BROWSE_NAME, L"Machines");
         SendMessageW(dlg, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
         folderAfterOpen = ItemText(dlg, IDC_TREMAPPSDK_BROWSE_FOLDER);
         HWND list = GetDlgItem(dlg, IDC_TREMAPPSDK_BROWSE_LIST);
         SendMessageW(list, LB_SETCURSEL, 1, 0);
         SendMessageW(dlg, WM_COMMAND, MAKEWPARAM(IDC_TREMAPPSDK_BROWSE_LIST, LBN_SELCHANGE),
                      reinterpret_cast<LPARAM>(list));
         nameAfterSelect = ItemText(dlg, IDC_TREMAPPSDK_BROWSE_NAME);
         SendMessageW(dlg, WM_COMMAND, MAKEWPARAM(IDC_TREMAPPSDK_BROWSE_LIST, LBN_DBLCLK),
                      reinterpret_cast<LPARAM>(list));
      },
   };
   UINT_PTR timer = SetTimer(nullptr, 0, 40, &StepTimer);
   IRemoteBrowseDlgPtr browser;
   ASSERT_TRUE(SUCCEEDED(browser.CreateInstance(__uuidof(RemoteBrowseDlg), nullptr, CLSCTX_ALL)));
   browser->SetConnection(_bstr_t(L"/db/connection/#0001/"));
   _bstr_t chosen = browser->Browse(nullptr, _bstr_t(L"/host2/#0001/"), 1, _bstr_t(L"Pick a machine"),
                                    _bstr_t(L"Configuration Files (*.vmx)|*.vmx|All Files (*.*)|*.*||"),
                                    _bstr_t(root.c_str()));
   KillTimer(nullptr, timer);

   EXPECT_EQ(startList, (std::vector<std::wstring>{L"..", L"[Machines]", L"top.vmx"}));
   EXPECT_EQ(countAllFiles, 4) << "up, the folder and both files";
   EXPECT_TRUE(stayedOnMissing);
   EXPECT_NE(gBoxText.find("nothing.vmx"), std::string::npos) << gBoxText;
   EXPECT_EQ(folderAfterOpen, root + L"\\Machines");
   EXPECT_EQ(nameAfterSelect, L"Inner.vmx");
   EXPECT_EQ(std::wstring(static_cast<const wchar_t *>(chosen)), inner);
}
