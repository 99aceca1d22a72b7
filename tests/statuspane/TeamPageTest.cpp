// The team page and its topology, on pages created as the pane creates them, over teams of real
// machine objects read from a database: the topology's rows, images, check marks and columns,
// a member whose file is missing, the page's fields and links, the notes saved a second after the
// last keystroke, selecting a row, the info tip and coming back to a team.
#include "ListViewText.h"
#include "WindowText.h"
#include "zoltResources.h"
#include "zoltStatusTeam.h"
#include "zoltTeamTopology.h"

#include "cui/Registry.h"
#include "cui/Team.h"
#include "cui/TeamMgr.h"
#include "cui/VM.h"
#include "cui/VMMgr.h"
#include "res/resource.h"
#include "atl/ClassTable.h"
#include "tremappsdk/TremAppSdk.h"
#include "tremorybase/Config.h"
#include "tremorybase/Poll.h"
#include "tremorybase/Text.h"
#include "vmdb/Store.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <memory>
#include <string>
#include <vector>

namespace {

// The pages made in this program report a control they cannot create (the pane's tests run
// without COM) in the log only: an error box would wait for a click.
class SilentComFailures : public ::testing::Environment {
public:
   void SetUp() override { Config_Set("test.comFailure.silent", "1"); }
};
::testing::Environment *const gSilentComFailures = ::testing::AddGlobalTestEnvironment(new SilentComFailures);

using testsupport::ListViewCellText;
using testsupport::TextOf;

class TestTeamMgr : public wui::TeamMgr {
public:
   using cui::TeamMgr::AddTeam;
};

// A team whose contents the test sets.
class TestTeam : public wui::Team {
public:
   TestTeam(const std::string &file, const std::string &name) : wui::Team(file, name) {}

   void AddMember(cui::VM *vm, int order, const std::string &cfgPath = std::string())
   {
      cui::TeamMember member;
      member.cfgPath = vm ? vm->GetFilename() : cfgPath;
      member.startupOrder = order;
      member.vm = vm;
      if (!vm) {
         member.problem = "missing";
      } else {
         vms_.push_back(vm);
      }
      members_.push_back(member);
   }
   void AddNet(const std::string &id, const std::string &name) { nets_.push_back(new cui::TeamNet(id, name, 0, 0)); }
   void SetCurrent(cui::VM *vm) { current_ = vm; }
   void SetNotes(const std::string &notes) { notes_ = notes; }
};

// A machine's node: state "poweredOn", "poweredOff" or "suspended"; adapters as (network, pvn).
struct MachineSpec {
   std::string name;
   std::string state = "poweredOff";
   int configVersion = 8;
   bool clone = false;
   std::vector<std::pair<std::string, std::string>> nics;
};

class TeamPage : public ::testing::Test {
protected:
   void SetUp() override
   {
      ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
      tremappsdk::RegisterClasses();
      store_ = vmdbstore::Store::Create();
      raw_ = store_->NewContext();
      ctx_ = vmdb::Ctx(reinterpret_cast<intptr_t>(raw_.get()), true, vmdb::Ctx::kAll);
      cui::SetVmdbCtx(ctx_);
      oldTeams_ = cui::GetTeamMgr();
      cui::SetTeamMgr(&teams_);
      holder_ = CreateWindowExA(0, "Static", "team page test", WS_OVERLAPPEDWINDOW, 0, 0, 700, 500, nullptr, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
   }
   void TearDown() override
   {
      // The saves sent have no host to answer them: they are refused, as a host would.
      for (const std::string &cmd : ctx_.Elements(wui::VMMgr::LocalHostPath() + "util/vm/cmd/#")) {
         ctx_.Set(cmd + "status/error/errMsg", "no host in this test");
         ctx_.Set(cmd + "status", "error");
      }
      Pump(50);
      page_.reset();
      DestroyWindow(holder_);
      cui::SetTeamMgr(oldTeams_);
      machines_.clear();
      cui::SetVmdbCtx(vmdb::Ctx());
      ctx_ = vmdb::Ctx();
      CoUninitialize();
   }

   cui::VM *AddMachine(const MachineSpec &spec)
   {
      std::string vm = "/vm/#t" + std::to_string(machines_.size()) + "/";
      std::string cfg = vm + "vmx/cfgState/val/";
      ctx_.Set(vm + "cfgFile", "C:\\VMs\\" + spec.name + ".vmx");
      ctx_.Set(cfg + "displayName", spec.name);
      ctx_.Set(cfg + "guestOS", "otherlinux");
      ctx_.Set(cfg + "configVersion", vmdb::Value(spec.configVersion));
      if (spec.clone) {
         ctx_.Set(ctx_.Append(cfg + "clone/ancestor/#") + "name", "Parent");
      }
      for (size_t i = 0; i < spec.nics.size(); ++i) {
         std::string dev = ctx_.Append(cfg + "dev/#");
         ctx_.Set(dev + "type", "ethernet");
         ctx_.Set(dev + "present", vmdb::Value(true));
         ctx_.Set(dev + "key", "ethernet" + std::to_string(i));
         ctx_.Set(dev + "network", spec.nics[i].first);
         ctx_.Set(dev + "pvnID", spec.nics[i].second);
      }
      ctx_.Set(vm + "vmx/execState/val", spec.state);
      machines_.push_back(std::make_unique<cui::VM>(ctx_, vm, nullptr));
      return machines_.back().get();
   }
   TestTeam *AddTeam(const std::string &file, const std::string &name)
   {
      auto team = std::make_unique<TestTeam>(file, name);
      TestTeam *added = team.get();
      teams_.AddTeam(std::move(team));
      return added;
   }
   // A team of `count` machines named "M00"… whose start-up order falls back every third
   // machine, and `lans` LANs; machine i has an adapter on LAN (i % lans) and a bridged one.
   TestTeam *MakeTeam(const std::string &file, int count, int lans)
   {
      TestTeam *team = AddTeam(file, "Lab");
      for (int lan = 0; lan < lans; ++lan) {
         team->AddNet("pvn-" + std::to_string(lan), "LAN " + std::to_string(lan + 1));
      }
      for (int i = 0; i < count; ++i) {
         MachineSpec spec;
         spec.name = (i < 10 ? "M0" : "M") + std::to_string(i);
         if (lans > 0) {
            spec.nics = {{"pvn", "pvn-" + std::to_string(i % lans)}, {"bridged", ""}};
         }
         team->AddMember(AddMachine(spec), (count - i) / 3);
      }
      return team;
   }
   CZOLTStatusTeam &Page()
   {
      if (!page_) {
         page_ = std::make_unique<CZOLTStatusTeam>();
         EXPECT_TRUE(page_->Create(holder_, nullptr));
      }
      return *page_;
   }
   HWND List() { return Page().GetTopology().GetWindow(); }
   int Rows() { return static_cast<int>(SendMessageW(List(), LVM_GETITEMCOUNT, 0, 0)); }
   int Image(int row)
   {
      LVITEMW item = {};
      item.mask = LVIF_IMAGE;
      item.iItem = row;
      SendMessageW(List(), LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
      return item.iImage;
   }
   // The check marks of a row's LAN cells: 'x' checked, '.' not, '-' no check box.
   std::string Checks(int row, int lans)
   {
      std::string marks;
      for (int lan = 0; lan < lans; ++lan) {
         VARIANT_BOOL checked = VARIANT_FALSE;
         HRESULT hr = Page().GetTopology().GetControl()->GetCellCheck(row, lan + 2, &checked);
         marks += hr == S_FALSE ? '-' : checked ? 'x' : '.';
      }
      return marks;
   }
   std::string ColumnTitle(int column)
   {
      wchar_t text[128] = {};
      LVCOLUMNW info = {};
      info.mask = LVCF_TEXT;
      info.pszText = text;
      info.cchTextMax = 128;
      SendMessageW(List(), LVM_GETCOLUMNW, column, reinterpret_cast<LPARAM>(&info));
      return Utf8FromWide(text);
   }
   int ColumnCount()
   {
      HWND header = reinterpret_cast<HWND>(SendMessageW(List(), LVM_GETHEADER, 0, 0));
      return static_cast<int>(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0));
   }
   std::string Field(int id) { return TextOf(GetDlgItem(Page().m_hWnd, id)); }
   bool Enabled(int id) { return IsWindowEnabled(GetDlgItem(Page().m_hWnd, id)) != FALSE; }
   // Window messages and poll steps for `ms` milliseconds.
   void Pump(DWORD ms)
   {
      DWORD start = GetTickCount();
      do {
         MSG msg;
         while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
         }
         Poll_Step(10);
      } while (GetTickCount() - start < ms);
   }
   void Type(const wchar_t *text)
   {
      HWND notes = GetDlgItem(Page().m_hWnd, teampage::kNotes);
      for (const wchar_t *c = text; *c; ++c) {
         SendMessageW(notes, WM_CHAR, *c, 1);
      }
   }
   // The team files the notes were saved to (the host's "saveTeam" commands), with their contents.
   std::vector<std::pair<std::string, std::string>> Saves()
   {
      std::vector<std::pair<std::string, std::string>> saves;
      for (const std::string &cmd : ctx_.Elements(wui::VMMgr::LocalHostPath() + "util/vm/cmd/#")) {
         if (ctx_.Get(cmd + "op") == "saveTeam") {
            saves.emplace_back(ctx_.Get(cmd + "op/saveTeam/in/cfgPath"), ctx_.Get(cmd + "op/saveTeam/in/content"));
         }
      }
      return saves;
   }

   std::shared_ptr<vmdbstore::Store> store_;
   std::unique_ptr<vmdbstore::Context> raw_;
   vmdb::Ctx ctx_;
   TestTeamMgr teams_;
   cui::TeamMgr *oldTeams_ = nullptr;
   std::vector<std::unique_ptr<cui::VM>> machines_;
   std::unique_ptr<CZOLTStatusTeam> page_;
   HWND holder_ = nullptr;
};

}  // namespace

TEST(TeamTopologyRules, RowImagesStartupOrderChecksAndWidths)
{
   using teamtopology::RowImage;
   EXPECT_EQ(RowImage(false, false, cui::VM::POWERED_ON), 0);
   EXPECT_EQ(RowImage(false, false, cui::VM::SUSPENDED), 1);
   EXPECT_EQ(RowImage(false, false, cui::VM::POWERED_OFF), 2);
   EXPECT_EQ(RowImage(true, false, cui::VM::SUSPENDED), 4);
   EXPECT_EQ(RowImage(false, true, cui::VM::POWERED_OFF), 8);
   EXPECT_EQ(RowImage(true, true, cui::VM::POWERED_ON), 3) << "a legacy clone shows the legacy icons";
   EXPECT_EQ(teamtopology::kRowIcons[RowImage(false, true, cui::VM::POWERED_ON)], 11803u);

   EXPECT_EQ(teamtopology::StartupOrder({2, 1, 2, 0, 1}), (std::vector<size_t>{3, 1, 4, 0, 2}))
      << "equal values keep their order in the team";

   std::vector<cui::vmdevice::NIC> nics = {cui::vmdevice::NIC("ethernet0", cui::vmdevice::NIC::HOSTIF_PVN, "b"),
                                           cui::vmdevice::NIC("ethernet1", cui::vmdevice::NIC::HOSTIF_BRIDGED, "")};
   EXPECT_EQ(teamtopology::LanChecks(nics, {"a", "b", ""}), (std::vector<bool>{false, true, false}));

   EXPECT_EQ(teamtopology::ColumnWidths({}, 4, 6), (std::vector<int32_t>{156, 156, 60, 60}));
   EXPECT_EQ(teamtopology::ColumnWidths({90, 80, 40}, 4, 6), (std::vector<int32_t>{90, 80, 40, 60}));
   EXPECT_EQ(teamtopology::BaseName("C:\\Teams\\Lab/Web.vmx"), "Web.vmx");
}

TEST(TeamPageRules, PowerStateTextAndPowerLink)
{
   EXPECT_EQ(teampage::PowerStateStringId(3, 0, 0), unsigned(IDS_POWERED_ON));
   EXPECT_EQ(teampage::PowerStateStringId(1, 3, 0), unsigned(IDS_POWERED_OFF));
   EXPECT_EQ(teampage::PowerStateStringId(0, 1, 3), unsigned(IDS_SUSPENDED));
   EXPECT_EQ(teampage::PowerStateStringId(1, 1, 1), unsigned(IDS_POWER_MIXED));
   EXPECT_EQ(IDS_POWER_MIXED, 49);
   EXPECT_TRUE(teampage::IsPowerButtonEnabled(2, 1));
   EXPECT_FALSE(teampage::IsPowerButtonEnabled(2, 3));
   EXPECT_FALSE(teampage::IsPowerButtonEnabled(0, 1));
}

TEST(TeamPageRules, InfoTipIsBoundedByTheBufferAndAlwaysTerminated)
{
   char narrow[8];
   memset(narrow, 'z', sizeof(narrow));
   EXPECT_TRUE(teampage::CopyInfoTip("Web server\nC:\\VMs\\Web.vmx", narrow, 6));
   EXPECT_STREQ(narrow, "Web s");
   EXPECT_EQ(narrow[6], 'z') << "nothing written past the buffer";

   wchar_t wide[8];
   wmemset(wide, L'z', 8);
   EXPECT_TRUE(teampage::CopyInfoTip("Web server", wide, 4));
   EXPECT_STREQ(wide, L"Web");
   EXPECT_EQ(wide[4], L'z');

   EXPECT_FALSE(teampage::CopyInfoTip(std::string(1024, 'a'), narrow, 8));
   EXPECT_STREQ(narrow, "");
   EXPECT_FALSE(teampage::CopyInfoTip("", wide, 8));
   EXPECT_STREQ(wide, L"");
   EXPECT_TRUE(teampage::CopyInfoTip(std::string(1023, 'a'), narrow, 8));
   EXPECT_FALSE(teampage::CopyInfoTip("text", narrow, 0));
}

TEST_F(TeamPage, TopologyOfOneTwoAndThirtyMachinesWithTenLans)
{
   TestTeam *one = AddTeam("C:\\Teams\\One.vmtm", "One");
   MachineSpec solo;
   solo.name = "Solo";
   solo.state = "poweredOn";
   one->AddMember(AddMachine(solo), 0);
   Page().OnTeamChange(one->GetFilename());
   ASSERT_NE(List(), nullptr);
   ASSERT_EQ(Rows(), 1);
   EXPECT_EQ(ColumnCount(), 2);
   EXPECT_EQ(ColumnTitle(0), LoadResString(IDS_TEAM_COLUMN_VM));
   EXPECT_EQ(ColumnTitle(1), LoadResString(IDS_TEAM_COLUMN_GUEST));
   EXPECT_EQ(ListViewCellText(List(), 0, 0), "Solo");
   EXPECT_EQ(ListViewCellText(List(), 0, 1), machines_[0]->GetGuestOSName());
   EXPECT_EQ(Image(0), 0);

   // Two machines with the same start-up order keep their order in the team; a legacy clone
   // shows the legacy images; one adapter on the second LAN and one bridged give one mark.
   TestTeam *two = AddTeam("C:\\Teams\\Two.vmtm", "Two");
   two->AddNet("pvn-a", "Front");
   two->AddNet("pvn-b", "Back");
   MachineSpec first;
   first.name = "Zulu";
   first.state = "suspended";
   first.configVersion = 7;
   first.clone = true;
   first.nics = {{"pvn", "pvn-b"}, {"bridged", ""}};
   MachineSpec second;
   second.name = "Alpha";
   second.clone = true;
   two->AddMember(AddMachine(first), 5);
   two->AddMember(AddMachine(second), 5);
   Page().OnTeamChange(two->GetFilename());
   ASSERT_EQ(Rows(), 2);
   EXPECT_EQ(ListViewCellText(List(), 0, 0), "Zulu");
   EXPECT_EQ(ListViewCellText(List(), 1, 0), "Alpha");
   EXPECT_EQ(Image(0), 4) << "legacy before clone, suspended";
   EXPECT_EQ(Image(1), 8) << "clone, powered off";
   EXPECT_EQ(ColumnTitle(2), "Front");
   EXPECT_EQ(ColumnTitle(3), "Back");
   EXPECT_EQ(Checks(0, 2), ".x");
   EXPECT_EQ(Checks(1, 2), "..");

   TestTeam *big = MakeTeam("C:\\Teams\\Big.vmtm", 30, 10);
   Page().OnTeamChange(big->GetFilename());
   ASSERT_EQ(Rows(), 30);
   ASSERT_EQ(ColumnCount(), 12);
   EXPECT_EQ(ColumnTitle(11), "LAN 10");
   std::vector<size_t> expected =
      teamtopology::StartupOrder([&] {
         std::vector<int> orders;
         for (cui::VM *vm : big->GetVMs()) {
            orders.push_back(big->GetVMStartupOrder(vm));
         }
         return orders;
      }());
   for (int row = 0; row < 30; ++row) {
      size_t vm = expected[row];
      ASSERT_EQ(ListViewCellText(List(), row, 0), big->GetVMs()[vm]->GetName()) << row;
      EXPECT_EQ(Page().GetTopology().GetVMPathAt(row), big->GetVMs()[vm]->GetVmPath());
      std::string marks(10, '.');
      marks[vm % 10] = 'x';
      EXPECT_EQ(Checks(row, 10), marks) << row;
   }
   EXPECT_EQ(ListViewCellText(List(), 0, 0), "M28") << "the last machines start first, in team order";
   EXPECT_EQ(ListViewCellText(List(), 1, 0), "M29");

   // The user's column widths and the titles survive a reload of the LANs.
   ListView_SetColumnWidth(List(), 0, 77);
   ListView_SetColumnWidth(List(), 3, 33);
   big->netsChanged.emit();
   ASSERT_EQ(ColumnCount(), 12);
   EXPECT_EQ(ListView_GetColumnWidth(List(), 0), 77);
   EXPECT_EQ(ListView_GetColumnWidth(List(), 3), 33);
   EXPECT_EQ(ColumnTitle(3), "LAN 2");
   EXPECT_EQ(Rows(), 30);

   // Back to the small team: rows and marks are the small team's, none left of the big one.
   Page().OnTeamChange(two->GetFilename());
   ASSERT_EQ(Rows(), 2);
   ASSERT_EQ(ColumnCount(), 4);
   EXPECT_EQ(ListViewCellText(List(), 0, 0), "Zulu");
   EXPECT_EQ(Checks(0, 2), ".x");
   EXPECT_EQ(Checks(1, 2), "..");
   EXPECT_EQ(Image(1), 8);

   // A click on a check box changes nothing: membership is edited in the team's settings.
   RECT cell = {LVIR_BOUNDS, 3, 0, 0};
   ASSERT_TRUE(SendMessageW(List(), LVM_GETSUBITEMRECT, 0, reinterpret_cast<LPARAM>(&cell)));
   LPARAM at = MAKELPARAM((cell.left + cell.right) / 2, (cell.top + cell.bottom) / 2);
   SendMessageW(List(), WM_LBUTTONDOWN, MK_LBUTTON, at);
   SendMessageW(List(), WM_LBUTTONUP, 0, at);
   EXPECT_EQ(Checks(0, 2), ".x");
}

TEST_F(TeamPage, MissingMemberIsARowWithoutMachine)
{
   TestTeam *team = AddTeam("C:\\Teams\\Lab.vmtm", "Lab");
   team->AddNet("pvn-a", "Front");
   MachineSpec web;
   web.name = "Web";
   web.nics = {{"pvn", "pvn-a"}};
   team->AddMember(AddMachine(web), 2);
   team->AddMember(nullptr, 1, "D:\\Gone\\Db.vmx");
   Page().OnTeamChange(team->GetFilename());
   ASSERT_EQ(Rows(), 2);
   EXPECT_EQ(ListViewCellText(List(), 0, 0), "Db.vmx") << "start-up order 1 comes first";
   EXPECT_EQ(ListViewCellText(List(), 0, 1), LoadResString(IDS_TEAM_MEMBER_MISSING));
   EXPECT_EQ(Checks(0, 1), "-");
   EXPECT_EQ(Image(0), 2);
   EXPECT_EQ(Page().GetTopology().GetVMPathAt(0), "");
   EXPECT_EQ(Page().GetTopology().GetTipText(0), "Db.vmx\nD:\\Gone\\Db.vmx");
   EXPECT_EQ(Checks(1, 1), "x");
   // Selecting it changes nothing of the team.
   Page().GetTopology().GetControl()->put_Selection(0);
   EXPECT_EQ(team->GetCurrentVM(), nullptr);
   Page().GetTopology().GetControl()->put_Selection(1);
   EXPECT_EQ(team->GetCurrentVM(), team->GetVMs()[0]);
}

TEST_F(TeamPage, FieldsShowPowerStateCurrentMachineAndFile)
{
   TestTeam *on = AddTeam("C:\\Teams\\On.vmtm", "Everything on");
   MachineSpec a;
   a.name = "Beta";
   a.state = "poweredOn";
   MachineSpec b;
   b.name = "alpha";
   b.state = "poweredOn";
   on->AddMember(AddMachine(a), 0);
   on->AddMember(AddMachine(b), 0);
   Page().OnTeamChange(on->GetFilename());
   EXPECT_EQ(Field(teampage::kTitle), "Everything on");
   EXPECT_EQ(Field(teampage::kPowerValue), LoadResString(IDS_POWERED_ON));
   EXPECT_FALSE(Enabled(teampage::kPowerButton)) << "every machine is on already";
   EXPECT_TRUE(Enabled(teampage::kEditButton));
   EXPECT_EQ(Field(teampage::kCurrentValue), "alpha") << "no current machine: the first by name";
   EXPECT_EQ(Field(teampage::kFileValue), "C:\\Teams\\On.vmtm");
   on->SetCurrent(on->GetVMs()[0]);
   on->powerStateChanged.emit();
   EXPECT_EQ(Field(teampage::kCurrentValue), "Beta");

   TestTeam *mixed = AddTeam("C:\\Teams\\Mixed.vmtm", "Mixed");
   mixed->AddMember(machines_[0].get(), 0);
   MachineSpec off;
   off.name = "Off";
   mixed->AddMember(AddMachine(off), 0);
   Page().OnTeamChange(mixed->GetFilename());
   EXPECT_EQ(Field(teampage::kPowerValue), LoadResString(IDS_POWER_MIXED));
   EXPECT_TRUE(Enabled(teampage::kPowerButton));

   TestTeam *empty = AddTeam("C:\\Teams\\Empty.vmtm", "Empty");
   Page().OnTeamChange(empty->GetFilename());
   EXPECT_EQ(Field(teampage::kCurrentValue), LoadResString(IDS_TEAM_NO_CURRENT_VM));
   EXPECT_FALSE(Enabled(teampage::kPowerButton));
   EXPECT_EQ(Rows(), 0);

   Page().OnTeamChange("C:\\Teams\\NotOpen.vmtm");
   EXPECT_EQ(Field(teampage::kTitle), "");
   EXPECT_FALSE(Enabled(teampage::kEditButton));
   EXPECT_EQ(Page().GetTopology().GetTeam(), nullptr);
}

TEST_F(TeamPage, NotesAreSavedOnceASecondAfterTheLastKeystroke)
{
   TestTeam *lab = AddTeam("C:\\Teams\\Lab.vmtm", "Lab");
   TestTeam *web = AddTeam("C:\\Teams\\Web.vmtm", "Web");
   web->SetNotes("Front end");
   Page().OnTeamChange(lab->GetFilename());
   HWND notes = GetDlgItem(Page().m_hWnd, teampage::kNotes);
   EXPECT_EQ(TextOf(notes), LoadResString(IDS_TEAM_NOTES_INVITATION)) << "no notes: the prompt";

   // The prompt left alone is never saved.
   Pump(1300);
   EXPECT_TRUE(Saves().empty());

   SetWindowTextW(notes, L"");
   Type(L"Ne");
   Pump(400);
   Type(L"w");
   Pump(700);
   EXPECT_TRUE(Saves().empty()) << "each keystroke starts the second again";
   Pump(700);
   std::vector<std::pair<std::string, std::string>> saves = Saves();
   ASSERT_EQ(saves.size(), 1u);
   EXPECT_EQ(saves[0].first, "C:\\Teams\\Lab.vmtm");
   EXPECT_NE(saves[0].second.find("New"), std::string::npos) << saves[0].second;
   Pump(1200);
   EXPECT_EQ(Saves().size(), 1u) << "saved once";

   // Typed, then another team within the second: the first team's notes are saved before the
   // other team's are shown.
   Type(L"er");
   Page().OnTeamChange(web->GetFilename());
   Pump(100);
   saves = Saves();
   ASSERT_EQ(saves.size(), 2u);
   EXPECT_EQ(saves[1].first, "C:\\Teams\\Lab.vmtm");
   EXPECT_NE(saves[1].second.find("Newer"), std::string::npos) << saves[1].second;
   EXPECT_EQ(TextOf(notes), "Front end");
   EXPECT_FALSE(Page().IsNotesChanged());
   Pump(1200);
   EXPECT_EQ(Saves().size(), 2u) << "showing the other team's notes is no change";
}

TEST_F(TeamPage, SelectingARowMakesItsMachineCurrentOnce)
{
   TestTeam *team = MakeTeam("C:\\Teams\\Lab.vmtm", 3, 1);
   team->SetCurrent(team->GetVMs()[0]);
   int changes = 0;
   team->currentVMChanged.connect([&changes]() { ++changes; });
   Page().OnTeamChange(team->GetFilename());
   EXPECT_EQ(Page().GetTopology().GetSelectedVMPath(), team->GetVMs()[0]->GetVmPath());

   int row = -1;
   for (int i = 0; i < Rows(); ++i) {
      if (Page().GetTopology().GetVMPathAt(i) == team->GetVMs()[2]->GetVmPath()) {
         row = i;
      }
   }
   ASSERT_GE(row, 0);
   Page().GetTopology().GetControl()->put_Selection(row);
   EXPECT_EQ(team->GetCurrentVM(), team->GetVMs()[2]);
   EXPECT_EQ(changes, 1) << "the reload's own selection does not set it again";
   EXPECT_EQ(Rows(), 3);
   EXPECT_EQ(Page().GetTopology().GetSelectedVMPath(), team->GetVMs()[2]->GetVmPath());
   EXPECT_EQ(Field(teampage::kCurrentValue), team->GetVMs()[2]->GetName());
}

TEST_F(TeamPage, InfoTipNotificationFillsOnlyTheBuffer)
{
   TestTeam *team = AddTeam("C:\\Teams\\Lab.vmtm", "Lab");
   MachineSpec web;
   web.name = "Web server";
   team->AddMember(AddMachine(web), 0);
   Page().OnTeamChange(team->GetFilename());

   wchar_t wide[16];
   wmemset(wide, L'z', 16);
   NMLVGETINFOTIPW tipW = {};
   tipW.hdr.hwndFrom = List();
   tipW.hdr.idFrom = teampage::kTopology;
   tipW.hdr.code = LVN_GETINFOTIPW;
   tipW.pszText = wide;
   tipW.cchTextMax = 12;
   tipW.iItem = 0;
   SendMessageW(Page().m_hWnd, WM_NOTIFY, teampage::kTopology, reinterpret_cast<LPARAM>(&tipW));
   EXPECT_STREQ(wide, L"Web server\n") << "cut to the 12 characters of the buffer with its zero";
   EXPECT_EQ(wide[12], L'z');

   char narrow[64];
   NMLVGETINFOTIPA tipA = {};
   tipA.hdr.hwndFrom = List();
   tipA.hdr.idFrom = teampage::kTopology;
   tipA.hdr.code = LVN_GETINFOTIPA;
   tipA.pszText = narrow;
   tipA.cchTextMax = sizeof(narrow);
   tipA.iItem = 0;
   SendMessageW(Page().m_hWnd, WM_NOTIFY, teampage::kTopology, reinterpret_cast<LPARAM>(&tipA));
   EXPECT_STREQ(narrow, "Web server\nC:\\VMs\\Web server.vmx");
   tipA.iItem = 5;
   SendMessageW(Page().m_hWnd, WM_NOTIFY, teampage::kTopology, reinterpret_cast<LPARAM>(&tipA));
   EXPECT_STREQ(narrow, "") << "no row, no tip";
}

TEST_F(TeamPage, ComingBackToTheSameTeamDoesNotConnectTwice)
{
   TestTeam *team = MakeTeam("C:\\Teams\\Lab.vmtm", 2, 1);
   TestTeam *other = MakeTeam("C:\\Teams\\Other.vmtm", 1, 0);
   const size_t names0 = team->nameChanged.size();
   const size_t members0 = team->membersChanged.size();
   const size_t machine0 = team->GetVMs()[0]->powerStateChanged.size();
   const size_t otherNames0 = other->nameChanged.size();
   Page().OnTeamChange(team->GetFilename());
   size_t names = team->nameChanged.size();
   size_t members = team->membersChanged.size();
   size_t machine = team->GetVMs()[0]->powerStateChanged.size();
   EXPECT_EQ(names, names0 + 1);
   EXPECT_EQ(members, members0 + 2) << "the page's and the topology's";
   EXPECT_EQ(machine, machine0 + 1);
   for (int visit = 0; visit < 3; ++visit) {
      // The pane shows a machine page in between: this page keeps its team.
      Page().OnCurrentObjChange();
      Page().OnTeamChange(team->GetFilename());
   }
   EXPECT_EQ(team->nameChanged.size(), names);
   EXPECT_EQ(team->membersChanged.size(), members);
   EXPECT_EQ(team->GetVMs()[0]->powerStateChanged.size(), machine);

   Page().OnTeamChange(other->GetFilename());
   EXPECT_EQ(team->nameChanged.size(), names0);
   EXPECT_EQ(team->membersChanged.size(), members0);
   EXPECT_EQ(team->GetVMs()[0]->powerStateChanged.size(), machine0);
   Page().OnTeamChange("");
   EXPECT_EQ(other->nameChanged.size(), otherNames0);
   EXPECT_EQ(Rows(), 0);
}

TEST_F(TeamPage, TemplateTextsFitAndNothingOverlaps)
{
   HWND page = Page().m_hWnd;
   std::vector<HWND> children;
   for (HWND child = GetWindow(page, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
      if (GetWindowLongW(child, GWL_STYLE) & WS_VISIBLE) {
         children.push_back(child);
      }
   }
   ASSERT_GE(children.size(), 15u);
   for (size_t i = 0; i < children.size(); ++i) {
      RECT a = {};
      GetWindowRect(children[i], &a);
      for (size_t j = i + 1; j < children.size(); ++j) {
         RECT b = {};
         RECT both = {};
         GetWindowRect(children[j], &b);
         EXPECT_FALSE(IntersectRect(&both, &a, &b))
            << GetDlgCtrlID(children[i]) << " overlaps " << GetDlgCtrlID(children[j]);
      }
   }
   // Captions and links in their own (bold) fonts.
   for (int id : {4101, 4103, 4105, 4107, 4111, 4116, 4118, 4112, 4115}) {
      HWND control = GetDlgItem(page, id);
      std::wstring text = testsupport::WideTextOf(control);
      HDC dc = GetDC(control);
      HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)));
      SIZE size = {};
      GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
      SelectObject(dc, old);
      ReleaseDC(control, dc);
      RECT client = {};
      GetClientRect(control, &client);
      // The links draw a 16-pixel icon and a gap before their text.
      int room = client.right - (id == 4112 || id == 4115 ? 22 : 0);
      EXPECT_LE(size.cx, room) << id << " clips \"" << Utf8FromWide(text) << "\"";
   }
}

TEST_F(TeamPage, WithoutTheCheckedListThePageCarriesOn)
{
   atl::ClassTable::Unregister(L"Tremappsdk.CheckedListCtl.9");
   TestTeam *team = MakeTeam("C:\\Teams\\Lab.vmtm", 2, 1);
   Page().OnTeamChange(team->GetFilename());
   tremappsdk::RegisterClasses();
   EXPECT_EQ(List(), nullptr);
   EXPECT_EQ(GetDlgItem(Page().m_hWnd, teampage::kTopology), nullptr) << "the placeholder goes all the same";
   EXPECT_EQ(Field(teampage::kTitle), "Lab");
   EXPECT_EQ(Page().GetTopology().GetSelectedVMPath(), "");
   team->membersChanged.emit();
   SendMessageW(Page().m_hWnd, WM_SIZE, 0, MAKELPARAM(600, 400));
}
