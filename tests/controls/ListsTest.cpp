// The side bar's lists: the favourites ("Tremappsdk.VMListCtl.9") and a host's registered
// machines ("Tremappsdk.RegVmsCtl.9"), driven with real mouse input and keys.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <functional>

#include "ControlsTestSupport.h"
#include "ListSupport.h"
#include "RegVmsCtl.h"
#include "VMListCtl.h"
#include "atl/Atl.h"
#include "cui/AppDataPaths.h"
#include "tremorybase/File.h"
#include "tremorybase/KeyValueFile.h"
#include "tremorybase/Text.h"

namespace {

using namespace controls_test;

const std::wstring kFavorites = L"/user/vmlistState/";

// One line of a tree as the user sees it.
struct Line {
   std::wstring text;
   int depth;
   bool bold;
   bool operator==(const Line &o) const { return text == o.text && depth == o.depth && bold == o.bold; }
};

std::ostream &operator<<(std::ostream &out, const Line &line)
{
   return out << Utf8FromWide(line.text) << "@" << line.depth << (line.bold ? " bold" : "");
}

void Walk(HWND tree, HTREEITEM item, int depth, std::vector<Line> &lines)
{
   for (; item; item = TreeView_GetNextSibling(tree, item)) {
      wchar_t text[256] = L"";
      TVITEMW tvi = {};
      tvi.mask = TVIF_TEXT | TVIF_STATE | TVIF_HANDLE;
      tvi.hItem = item;
      tvi.stateMask = TVIS_BOLD;
      tvi.pszText = text;
      tvi.cchTextMax = 256;
      SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&tvi));
      lines.push_back(Line{text, depth, (tvi.state & TVIS_BOLD) != 0});
      Walk(tree, TreeView_GetChild(tree, item), depth + 1, lines);
   }
}

std::vector<Line> Lines(HWND tree)
{
   std::vector<Line> lines;
   Walk(tree, TreeView_GetRoot(tree), 0, lines);
   return lines;
}

HTREEITEM FindLine(HWND tree, const std::wstring &text)
{
   std::function<HTREEITEM(HTREEITEM)> find = [&](HTREEITEM item) -> HTREEITEM {
      for (; item; item = TreeView_GetNextSibling(tree, item)) {
         wchar_t buffer[256] = L"";
         TVITEMW tvi = {};
         tvi.mask = TVIF_TEXT | TVIF_HANDLE;
         tvi.hItem = item;
         tvi.pszText = buffer;
         tvi.cchTextMax = 256;
         SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&tvi));
         if (text == buffer) {
            return item;
         }
         if (HTREEITEM inner = find(TreeView_GetChild(tree, item))) {
            return inner;
         }
      }
      return nullptr;
   };
   return find(TreeView_GetRoot(tree));
}

// Runs messages and poll steps until `done` or a second.
bool PumpUntil(const std::function<bool()> &done)
{
   for (DWORD start = GetTickCount(); GetTickCount() - start < 1000;) {
      Drain();
      if (done()) {
         return true;
      }
      Sleep(10);
   }
   return done();
}

// Real mouse input at a point of `window`: the cursor moves there and the button is clicked
// `clicks` times, as a user does it.
void MouseClicks(HWND window, POINT client, bool right, int clicks)
{
   HWND root = GetAncestor(window, GA_ROOT);
   SetForegroundWindow(root);
   POINT pt = client;
   ClientToScreen(window, &pt);
   SetCursorPos(pt.x, pt.y);
   Drain();
   std::vector<INPUT> inputs;
   for (int i = 0; i < clicks; i++) {
      for (DWORD flag : {right ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_LEFTDOWN,
                         right ? MOUSEEVENTF_RIGHTUP : MOUSEEVENTF_LEFTUP}) {
         INPUT input = {};
         input.type = INPUT_MOUSE;
         input.mi.dwFlags = flag;
         inputs.push_back(input);
      }
   }
   ASSERT_EQ(inputs.size(), SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT)));
}

POINT LabelCentre(HWND tree, HTREEITEM item)
{
   RECT rc = {};
   EXPECT_TRUE(tremappsdk::TreeItemRect(tree, item, rc));
   return POINT{(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2};
}

void PostKey(HWND window, UINT vk)
{
   PostMessageW(window, WM_KEYDOWN, vk, 1);
   PostMessageW(window, WM_KEYUP, vk, 1 | (LPARAM(3) << 30));
}

// Types a new label into the tree's edit box and presses Enter in it.
void TypeLabel(HWND tree, const wchar_t *text)
{
   HWND edit = TreeView_GetEditControl(tree);
   ASSERT_TRUE(edit) << "no label is being edited";
   SetWindowTextW(edit, text);
   PostKey(edit, VK_RETURN);
   PumpUntil([tree]() { return TreeView_GetEditControl(tree) == nullptr; });
}

// Answers the pending request of a state as its owner would: merges its values and clears "new".
std::wstring AnswerRequest(IVmdbContext *ctx, const std::wstring &state, const std::vector<std::wstring> &keys)
{
   std::wstring element = Text(ctx->ReadValue((state + L"new").c_str()));
   EXPECT_FALSE(element.empty()) << "no request was sent";
   if (element.empty()) {
      return element;
   }
   ctx->OpenBatch();
   for (const std::wstring &key : keys) {
      _variant_t value = ctx->ReadValue((element + key).c_str());
      ctx->WriteValue((state + key).c_str(), value);
   }
   ctx->WriteValue((element + L"status").c_str(), _variant_t(L"ok"));
   ctx->WriteValue((state + L"new").c_str(), _variant_t(L""));
   ctx->CloseBatch(-1, 0);
   return element;
}

void WriteItem(IVmdbContext *ctx, const wchar_t *element, long id, long parent, const wchar_t *type, const wchar_t *name,
               const wchar_t *cfgPath, const wchar_t *present, const wchar_t *dest = L"")
{
   std::wstring item = kFavorites + L"val/item/" + element + L"/";
   std::wstring node = item + L"type/" + type + L"/";
   ctx->OpenBatch();
   ctx->WriteValue((item + L"id").c_str(), _variant_t(id));
   ctx->WriteValue((item + L"parentID").c_str(), _variant_t(parent));
   ctx->WriteValue((item + L"ix").c_str(), _variant_t(-1L));
   ctx->WriteValue((item + L"type").c_str(), _variant_t(type));
   ctx->WriteValue((node + L"name").c_str(), _variant_t(name));
   if (*cfgPath) {
      ctx->WriteValue((node + L"cfgPath").c_str(), _variant_t(cfgPath));
   }
   if (std::wstring(type) == L"vm" || std::wstring(type) == L"team") {
      ctx->WriteValue((node + L"dest").c_str(), _variant_t(dest));
   }
   ctx->WriteValue((item + L"present").c_str(), _variant_t(present));
   ctx->CloseBatch(-1, 0);
}

class ControlsFavorites : public ::testing::Test {
protected:
   void SetUp() override
   {
      db = NewDatabase(L"favorites");
      ctx = db->NewContext();
      AddMachine(ctx, L"#0001", L"C:\\vms\\xp\\xp.vmx", L"Windows XP", L"poweredOn");
      WriteItem(ctx, L"#0001", 1, 0, L"vm", L"Windows XP", L"C:\\vms\\xp\\xp.vmx", L"1");
      WriteItem(ctx, L"#0002", 2, 0, L"folder", L"Lab", L"", L"1");
      WriteItem(ctx, L"#0003", 3, 2, L"team", L"Lab team", L"C:\\teams\\lab.vmtm", L"1");
      WriteItem(ctx, L"#0004", 4, 0, L"vm", L"Old one", L"C:\\vms\\old.vmx", L"0");
      WriteItem(ctx, L"#0005", 5, 0, L"vm", L"Far machine", L"C:\\vms\\far.vmx", L"1", L"farhost");
      WriteItem(ctx, L"#0006", 6, 0, L"mvmt", L"Template", L"C:\\vms\\t.vmxa", L"1");
      AddRecord(ctx, L"#0000", L"home", L"");
      xp = AddRecord(ctx, L"#0001", L"vm", L"/vm/#0001/");
      SetCurrent(ctx, xp);

      parent = NewParent(260, 400);
      host = NewHost(parent, L"Tremappsdk.VMListCtl.9", 260, 400);
      CAxWindow ax(host);
      ASSERT_EQ(S_OK, ax.QueryControl(__uuidof(IVMListCtl), reinterpret_cast<void **>(&list)));
      ASSERT_EQ(S_OK, recorder.Connect(list, DIID__IVMListCtlEvents));
      list->PutContext(db->NewContext());
      list->PutFavoritesPath(kFavorites.c_str());
      list->PutLinkPath(cui::appdata::kCurrentObj);
      list->PutArrayPath(cui::appdata::kOpenedObj);
      list->PutDestination(L"");
      tree = FindWindowExW(ControlWindow(host), nullptr, WC_TREEVIEWW, nullptr);
      ASSERT_TRUE(tree);
      Drain();
   }
   void TearDown() override
   {
      recorder.Disconnect();
      list = nullptr;
      DestroyWindow(parent);
      ctx->RemoveNode(L"/user", VARIANT_TRUE);
      ctx->RemoveNode(L"/vm", VARIANT_TRUE);
      ctx = nullptr;
      db = nullptr;
   }

   IVmdbDatabasePtr db;
   IVmdbContextPtr ctx;
   std::wstring xp;
   HWND parent = nullptr, host = nullptr, tree = nullptr;
   IVMListCtlPtr list;
   EventRecorder recorder;
};

TEST_F(ControlsFavorites, ListsThePresentItemsOfTheDestinationInTheirFoldersWithTheCurrentOneBold)
{
   EXPECT_EQ((std::vector<Line>{{L"Lab", 0, false}, {L"Lab team", 1, false}, {L"Windows XP", 0, true}, {L"Template", 0, false}}),
             Lines(tree));

   // Another destination lists its own machines; templates belong to every one.
   list->PutDestination(L"FarHost");
   Drain();
   EXPECT_EQ((std::vector<Line>{{L"Lab", 0, false}, {L"Far machine", 0, false}, {L"Template", 0, false}}), Lines(tree));
   list->PutDestination(L"");

   // Folders and ix order each level; an item in a folder that went shows at the top.
   WriteItem(ctx, L"#0007", 7, 2, L"vm", L"Second in lab", L"C:\\vms\\b.vmx", L"1");
   ctx->WriteValue((kFavorites + L"val/item/#0007/ix").c_str(), _variant_t(0L));
   WriteItem(ctx, L"#0008", 8, 42, L"vm", L"Orphan", L"C:\\vms\\o.vmx", L"1");
   Drain();
   EXPECT_EQ((std::vector<Line>{{L"Lab", 0, false},
                                {L"Second in lab", 1, false},
                                {L"Lab team", 1, false},
                                {L"Windows XP", 0, true},
                                {L"Template", 0, false},
                                {L"Orphan", 0, false}}),
             Lines(tree));
}

TEST_F(ControlsFavorites, FollowsChangesOfTheStateTheCurrentTabAndTheMachines)
{
   ctx->WriteValue((kFavorites + L"val/item/#0004/present").c_str(), _variant_t(L"1"));
   ctx->WriteValue((kFavorites + L"val/item/#0003/present").c_str(), _variant_t(L"0"));
   Drain();
   EXPECT_EQ((std::vector<Line>{{L"Lab", 0, false}, {L"Windows XP", 0, true}, {L"Old one", 0, false}, {L"Template", 0, false}}),
             Lines(tree));

   // The current tab moves to the template: the bold line follows.
   std::wstring templ = AddRecord(ctx, L"#0002", L"mvmt", L"C:\\vms\\T.vmxa");
   SetCurrent(ctx, templ);
   ctx->WriteValue((kFavorites + L"val/item/#0006/type/mvmt/name").c_str(), _variant_t(L"Template (renamed)"));
   Drain();
   EXPECT_EQ((std::vector<Line>{{L"Lab", 0, false}, {L"Windows XP", 0, false}, {L"Old one", 0, false},
                                {L"Template (renamed)", 0, true}}),
             Lines(tree));

   // Kinds follow the machine's power state and the tabs.
   auto kindOf = [this](const wchar_t *name) {
      recorder.events.clear();
      HTREEITEM item = FindLine(tree, name);
      MouseClicks(tree, LabelCentre(tree, item), true, 1);
      PumpUntil([this]() { return !recorder.events.empty(); });
      return recorder.events.empty() ? -1L : static_cast<long>(recorder.events.back().args[3]);
   };
   EXPECT_EQ(tremappsdk::kListVMRunning, kindOf(L"Windows XP"));
   ctx->WriteValue(L"/vm/#0001/vmx/execState/val", _variant_t(L"poweredOff"));
   Drain();
   EXPECT_EQ(tremappsdk::kListVMOpened, kindOf(L"Windows XP"));
   ctx->RemoveNode(xp.c_str(), VARIANT_TRUE);
   Drain();
   EXPECT_EQ(tremappsdk::kListVM, kindOf(L"Windows XP"));
   EXPECT_EQ(tremappsdk::kListMVMTOpened, kindOf(L"Template (renamed)"));
}

TEST_F(ControlsFavorites, DoubleClickAndEnterOpenAnItemAndRightClickAsksForItsMenu)
{
   HTREEITEM team = FindLine(tree, L"Lab team");
   MouseClicks(tree, LabelCentre(tree, team), false, 2);
   ASSERT_TRUE(PumpUntil([this]() { return !recorder.events.empty(); })) << "no event for a double click";
   ASSERT_EQ(1u, recorder.events.size());
   EXPECT_EQ(tremappsdk::kVMListOpen, recorder.events[0].dispid);
   EXPECT_EQ(L"C:\\teams\\lab.vmtm", Text(recorder.events[0].args[0]));
   EXPECT_EQ(L"C:\\teams\\lab.vmtm", std::wstring(list->GetSelectedPath()));

   // A double click on a folder closes (or opens) it and opens nothing.
   recorder.events.clear();
   HTREEITEM lab = FindLine(tree, L"Lab");
   MouseClicks(tree, LabelCentre(tree, lab), false, 2);
   auto closed = [this, lab]() { return (TreeView_GetItemState(tree, lab, TVIS_EXPANDED) & TVIS_EXPANDED) == 0; };
   EXPECT_TRUE(PumpUntil(closed));
   EXPECT_TRUE(recorder.events.empty());

   // Enter on the selected machine; OpenSelection does the same.
   TreeView_SelectItem(tree, FindLine(tree, L"Windows XP"));
   PostKey(tree, VK_RETURN);
   PumpUntil([this]() { return !recorder.events.empty(); });
   list->OpenSelection();
   ASSERT_EQ(2u, recorder.events.size());
   for (const EventRecorder::Event &e : recorder.events) {
      EXPECT_EQ(tremappsdk::kVMListOpen, e.dispid);
      EXPECT_EQ(L"C:\\vms\\xp\\xp.vmx", Text(e.args[0]));
   }

   // Right click: screen position, the file and the kind; below the items, the background's menu.
   recorder.events.clear();
   HTREEITEM team2 = FindLine(tree, L"Template");
   POINT at = LabelCentre(tree, team2);
   MouseClicks(tree, at, true, 1);
   ASSERT_TRUE(PumpUntil([this]() { return !recorder.events.empty(); }));
   const EventRecorder::Event &menu = recorder.events.back();
   EXPECT_EQ(tremappsdk::kVMListContextMenu, menu.dispid);
   POINT screen = at;
   ClientToScreen(tree, &screen);
   EXPECT_EQ(screen.x, static_cast<long>(menu.args[0]));
   EXPECT_EQ(screen.y, static_cast<long>(menu.args[1]));
   EXPECT_EQ(L"C:\\vms\\t.vmxa", Text(menu.args[2]));
   EXPECT_EQ(tremappsdk::kListMVMT, static_cast<long>(menu.args[3]));
   EXPECT_EQ(L"C:\\vms\\t.vmxa", std::wstring(list->GetSelectedPath())) << "the item clicked is selected";

   recorder.events.clear();
   RECT rc;
   GetClientRect(tree, &rc);
   MouseClicks(tree, POINT{rc.right / 2, rc.bottom - 10}, true, 1);
   ASSERT_TRUE(PumpUntil([this]() { return !recorder.events.empty(); }));
   EXPECT_EQ(L"", Text(recorder.events.back().args[2]));
   EXPECT_EQ(tremappsdk::kListFavoritesBackground, static_cast<long>(recorder.events.back().args[3]));
   EXPECT_EQ(L"", std::wstring(list->GetSelectedPath())) << "a new folder from this menu goes to the top";
}

TEST_F(ControlsFavorites, RenameAndNewFolderGoThroughTheStateRequestQueue)
{
   TreeView_SelectItem(tree, FindLine(tree, L"Windows XP"));
   list->Rename();
   TypeLabel(tree, L"  XP at work ");
   std::wstring request = Text(ctx->ReadValue((kFavorites + L"new").c_str()));
   ASSERT_FALSE(request.empty());
   EXPECT_EQ(L"XP at work", Text(ctx->ReadValue((request + L"val/item/#0001/type/vm/name").c_str())));
   // Until the owner applies it, the list shows the name the state holds.
   EXPECT_TRUE(FindLine(tree, L"Windows XP"));
   AnswerRequest(ctx, kFavorites, {L"val/item/#0001/type/vm/name"});
   Drain();
   EXPECT_TRUE(FindLine(tree, L"XP at work"));
   EXPECT_FALSE(ctx->TestNode(request.c_str())) << "an answered request is not left in the queue";

   // A cancelled edit or a blank name sends nothing.
   list->Rename();
   TypeLabel(tree, L"   ");
   EXPECT_EQ(L"", Text(ctx->ReadValue((kFavorites + L"new").c_str())));

   // A new folder in the selected item's folder: written whole, made present by a request, and
   // then its name is edited in place.
   TreeView_SelectItem(tree, FindLine(tree, L"Lab team"));
   list->NewFolder(-1);
   request = Text(ctx->ReadValue((kFavorites + L"new").c_str()));
   ASSERT_FALSE(request.empty());
   std::wstring folder = kFavorites + L"val/item/#0007/";
   EXPECT_EQ(L"folder", Text(ctx->ReadValue((folder + L"type").c_str())));
   EXPECT_EQ(7L, static_cast<long>(ctx->ReadValue((folder + L"id").c_str())));
   EXPECT_EQ(2L, static_cast<long>(ctx->ReadValue((folder + L"parentID").c_str())));
   EXPECT_EQ(L"1", Text(ctx->ReadValue((request + L"val/item/#0007/present").c_str())));
   AnswerRequest(ctx, kFavorites, {L"val/item/#0007/present"});
   ASSERT_TRUE(PumpUntil([this]() { return TreeView_GetEditControl(tree) != nullptr; })) << "no name to edit";
   TypeLabel(tree, L"Old labs");
   AnswerRequest(ctx, kFavorites, {L"val/item/#0007/type/folder/name"});
   Drain();
   EXPECT_EQ((std::vector<Line>{{L"Lab", 0, false},
                                {L"Old labs", 1, false},
                                {L"Lab team", 1, false},
                                {L"XP at work", 0, true},
                                {L"Template", 0, false}}),
             Lines(tree));

   // Delete on a folder asks for it to go; on a machine it does nothing (the program asks first).
   TreeView_SelectItem(tree, FindLine(tree, L"XP at work"));
   PostKey(tree, VK_DELETE);
   Drain();
   EXPECT_EQ(L"", Text(ctx->ReadValue((kFavorites + L"new").c_str())));
   TreeView_SelectItem(tree, FindLine(tree, L"Old labs"));
   PostKey(tree, VK_DELETE);
   Drain();
   request = Text(ctx->ReadValue((kFavorites + L"new").c_str()));
   EXPECT_EQ(L"0", Text(ctx->ReadValue((request + L"val/item/#0007/present").c_str())));
   AnswerRequest(ctx, kFavorites, {L"val/item/#0007/present"});
   Drain();
   EXPECT_FALSE(FindLine(tree, L"Old labs"));

   // A request meeting another client's pending one waits for it.
   ctx->WriteValue((kFavorites + L"new").c_str(), _variant_t(L"/user/vmlistState/req/#other/"));
   TreeView_SelectItem(tree, FindLine(tree, L"Template"));
   list->Rename();
   TypeLabel(tree, L"Base template");
   EXPECT_EQ(L"/user/vmlistState/req/#other/", Text(ctx->ReadValue((kFavorites + L"new").c_str())));
   ctx->WriteValue((kFavorites + L"new").c_str(), _variant_t(L""));
   Drain();
   request = Text(ctx->ReadValue((kFavorites + L"new").c_str()));
   EXPECT_EQ(L"Base template", Text(ctx->ReadValue((request + L"val/item/#0006/type/mvmt/name").c_str())));
}

class ControlsRegisteredVMs : public ::testing::Test {
protected:
   void SetUp() override
   {
      db = NewDatabase(L"regvms");
      ctx = db->NewContext();
      dir = File_GetTempFolder() + "regvms-" + std::to_string(GetCurrentProcessId());
      File_MakeFolders(dir);
      zeta = WideFromUtf8(dir + "\\zeta.vmx");
      std::string error;
      ASSERT_TRUE(KeyValueFile::Write(Utf8FromWide(zeta), {{"config.version", "8"}, {"displayName", "Zeta Linux"},
                                                            {"guestOS", "linux"}}, error)) << error;
      AddMachine(ctx, L"#0001", L"C:\\vms\\xp\\xp.vmx", L"Alpha XP", L"poweredOff");
      Register(L"/host2/#0000/", L"#0001", L"C:\\vms\\xp\\xp.vmx");
      Register(L"/host2/#0000/", L"#0002", zeta);
      Register(L"/host2/#0000/", L"#0003", L"C:\\vms\\missing\\Missing One.vmx");
      Register(L"/host2/#0001/", L"#0001", L"D:\\remote\\r.vmx");
      ctx->WriteValue(cui::appdata::kCurrentHost, _variant_t(L"/host2/#0000/"));
      AddRecord(ctx, L"#0000", L"home", L"");
      SetCurrent(ctx, AddRecord(ctx, L"#0001", L"vm", L"/vm/#0001/"));

      parent = NewParent(260, 300);
      host = NewHost(parent, L"Tremappsdk.RegVmsCtl.9", 260, 300);
      CAxWindow ax(host);
      ASSERT_EQ(S_OK, ax.QueryControl(__uuidof(IRegVmsCtl), reinterpret_cast<void **>(&vms)));
      ASSERT_EQ(S_OK, recorder.Connect(vms, DIID__IRegVmsCtlEvents));
      vms->PutContext(db->NewContext());
      vms->PutSessionPath(cui::appdata::kSession);
      vms->PutTransientLinkPath(cui::appdata::kTransientObj);
      vms->PutLinkPath(cui::appdata::kCurrentObj);
      vms->PutHostLinkPath(cui::appdata::kCurrentHost);
      vms->Refresh();
      tree = FindWindowExW(ControlWindow(host), nullptr, WC_TREEVIEWW, nullptr);
      ASSERT_TRUE(tree);
      Drain();
   }
   void TearDown() override
   {
      recorder.Disconnect();
      vms = nullptr;
      DestroyWindow(parent);
      ctx->RemoveNode(L"/host2", VARIANT_TRUE);
      ctx->RemoveNode(L"/vm", VARIANT_TRUE);
      ctx = nullptr;
      db = nullptr;
      File_Delete(Utf8FromWide(zeta));
   }

   void Register(const std::wstring &hostPath, const wchar_t *element, const std::wstring &cfgPath)
   {
      ctx->WriteValue((hostPath + L"vms/registeredvms/" + element + L"/cfgPath").c_str(), _variant_t(cfgPath.c_str()));
   }

   IVmdbDatabasePtr db;
   IVmdbContextPtr ctx;
   std::string dir;
   std::wstring zeta;
   HWND parent = nullptr, host = nullptr, tree = nullptr;
   IRegVmsCtlPtr vms;
   EventRecorder recorder;
};

TEST_F(ControlsRegisteredVMs, ListsTheMachinesOfTheLinkedHostByNameAndFollowsTheLinkAndTheList)
{
   // Names: an open machine's own, a file's displayName, else the file's title.
   EXPECT_EQ((std::vector<Line>{{L"Alpha XP", 0, true}, {L"Missing One", 0, false}, {L"Zeta Linux", 0, false}}),
             Lines(tree));
   EXPECT_EQ(3, vms->GetCount());

   Register(L"/host2/#0000/", L"#0004", L"C:\\vms\\beta.vmx");
   Drain();
   EXPECT_EQ(4, vms->GetCount());
   EXPECT_TRUE(FindLine(tree, L"beta"));

   // The link moves to another host: its list is shown, and the old host's changes no longer count.
   ctx->WriteValue(cui::appdata::kCurrentHost, _variant_t(L"/host2/#0001/"));
   Drain();
   EXPECT_EQ((std::vector<Line>{{L"r", 0, false}}), Lines(tree));
   Register(L"/host2/#0000/", L"#0005", L"C:\\vms\\gamma.vmx");
   Drain();
   EXPECT_EQ(1, vms->GetCount());
   Register(L"/host2/#0001/", L"#0002", L"D:\\remote\\s.vmx");
   Drain();
   EXPECT_EQ(2, vms->GetCount());

   // With no host link, the session's connection names the host.
   ctx->WriteValue(cui::appdata::kCurrentHost, _variant_t(L""));
   ctx->WriteValue(L"/cnx/#0001/hosts/#0000", _variant_t(L"/host2/#0000/"));
   vms->PutConnectionPath(L"/cnx/#0001/");
   vms->Refresh();
   EXPECT_EQ(5, vms->GetCount());
   ctx->RemoveNode(L"/cnx", VARIANT_TRUE);
}

TEST_F(ControlsRegisteredVMs, DoubleClickAsksToOpenTheMachineAndRightClickForItsMenu)
{
   recorder.answer = 1;   // the program refuses it
   MouseClicks(tree, LabelCentre(tree, FindLine(tree, L"Zeta Linux")), false, 2);
   ASSERT_TRUE(PumpUntil([this]() { return !recorder.events.empty(); })) << "no event for a double click";
   ASSERT_EQ(1u, recorder.events.size());
   EXPECT_EQ(tremappsdk::kRegVmsOpenVM, recorder.events[0].dispid);
   ASSERT_EQ(3u, recorder.events[0].args.size());
   EXPECT_EQ(zeta, Text(recorder.events[0].args[0]));
   EXPECT_TRUE(static_cast<bool>(recorder.events[0].args[1]));

   recorder.events.clear();
   TreeView_SelectItem(tree, FindLine(tree, L"Alpha XP"));
   PostKey(tree, VK_RETURN);
   ASSERT_TRUE(PumpUntil([this]() { return !recorder.events.empty(); }));
   EXPECT_EQ(L"C:\\vms\\xp\\xp.vmx", Text(recorder.events[0].args[0]));

   // A listed file that is no machine is opened by its kind.
   Register(L"/host2/#0000/", L"#0004", L"C:\\teams\\lab.vmtm");
   Drain();
   recorder.events.clear();
   TreeView_SelectItem(tree, FindLine(tree, L"lab"));
   PostKey(tree, VK_RETURN);
   ASSERT_TRUE(PumpUntil([this]() { return !recorder.events.empty(); }));
   EXPECT_EQ(tremappsdk::kRegVmsOpen, recorder.events[0].dispid);
   EXPECT_EQ(L"C:\\teams\\lab.vmtm", Text(recorder.events[0].args[0]));

   recorder.events.clear();
   MouseClicks(tree, LabelCentre(tree, FindLine(tree, L"Alpha XP")), true, 1);
   ASSERT_TRUE(PumpUntil([this]() { return !recorder.events.empty(); }));
   EXPECT_EQ(tremappsdk::kRegVmsContextMenu, recorder.events.back().dispid);
   EXPECT_EQ(L"C:\\vms\\xp\\xp.vmx", Text(recorder.events.back().args[2]));
   EXPECT_EQ(tremappsdk::kListVMOpened, static_cast<long>(recorder.events.back().args[3]));

   recorder.events.clear();
   RECT rc;
   GetClientRect(tree, &rc);
   MouseClicks(tree, POINT{rc.right / 2, rc.bottom - 10}, true, 1);
   ASSERT_TRUE(PumpUntil([this]() { return !recorder.events.empty(); }));
   EXPECT_EQ(L"", Text(recorder.events.back().args[2]));
   EXPECT_EQ(tremappsdk::kListInventoryBackground, static_cast<long>(recorder.events.back().args[3]));
}

TEST_F(ControlsRegisteredVMs, RenameAsksTheHostForAnOpenMachineAndEditsTheFileOfAnotherOne)
{
   TreeView_SelectItem(tree, FindLine(tree, L"Alpha XP"));
   vms->Rename();
   TypeLabel(tree, L"Alpha XP SP3");
   const std::wstring state = L"/vm/#0001/vmx/cfgState/";
   std::wstring request = AnswerRequest(ctx, state, {L"val/displayName"});
   EXPECT_EQ(L"Alpha XP SP3", Text(ctx->ReadValue((state + L"val/displayName").c_str())));
   Drain();
   EXPECT_TRUE(FindLine(tree, L"Alpha XP SP3"));
   EXPECT_FALSE(ctx->TestNode(request.c_str()));

   TreeView_SelectItem(tree, FindLine(tree, L"Zeta Linux"));
   vms->Rename();
   TypeLabel(tree, L"Zeta \x03A9");
   Drain();
   EXPECT_EQ(L"Zeta \x03A9", tremappsdk::ReadVmxDisplayName(zeta));
   std::vector<KeyValueEntry> entries;
   std::string error;
   ASSERT_TRUE(KeyValueFile::Read(Utf8FromWide(zeta), entries, error));
   EXPECT_EQ("linux", *KeyValueFile::Find(entries, "guestOS")) << "the other lines stay";
   EXPECT_TRUE(FindLine(tree, L"Zeta \x03A9"));
}

}  // namespace
