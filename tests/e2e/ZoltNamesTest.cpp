// zolt.exe with machines whose folders and names are not English, kept in Documents as a user
// keeps them: "Máquinas virtuales\Prüfung\Prüfung.vmx" and "Виртуальные машины\Проверка\Проверка.vmx"
// open from the command line and by a hand-off, power on and off, and show their names on the
// page, the tabs and the title; in the default mode they are registered on the local host, whose
// list file and database hold their paths intact and bring them back at the next start; notes
// typed with accents are kept across a restart; the wizard makes "Máquina de prueba" in a folder
// of that name. Texts are read back through the W calls, file names through a folder listing.
#include "WizardPages.h"
#include "ZoltPageSupport.h"
#include "ZoltRun.h"
#include "e2e/Harness.h"

#include "res/resource.h"
#include "tremhwcfg/TremHwCfgRes.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace {

using zoltrun::Count;
using zoltrun::LowerAscii;
using zoltrun::NextPageWith;

const char kLatinFolder[] = "Documents\\Máquinas virtuales";
const char kLatinName[] = "Prüfung";
const char kCyrillicFolder[] = "Documents\\Виртуальные машины";
const char kCyrillicName[] = "Проверка";
const char kWizardName[] = "Máquina de prueba";
const char kHomeTab[] = "Home";

// The machine page's controls.
const int kPageState = 1053;
const int kPageFile = 1057;
const int kPageName = 1060;
const int kPageNotes = 1070;

struct Machine {
   std::string name;
   std::string vmx;
};

// "<folder>\<place>\<name>\<name>.vmx", named `name` inside.
Machine WriteMachine(const e2e::TestFolder &folder, const std::string &place, const std::string &name)
{
   EXPECT_FALSE(folder.MakeFolder(place + "\\" + name).empty()) << e2e::LastFailure();
   std::string vmx = folder.WriteFile(place + "\\" + name + "\\" + name + ".vmx", zoltpage::VmxText(name));
   EXPECT_FALSE(vmx.empty()) << e2e::LastFailure();
   return {name, vmx};
}

std::string Text(HWND window, int id)
{
   return e2e::ReadText(GetDlgItem(window, id)).value_or("<no answer>");
}

bool WaitForText(HWND window, int id, const std::string &text)
{
   return e2e::WaitUntil([&]() { return Text(window, id) == text; }, zoltrun::kHostMs, 50);
}

// The page shows the file at `vmx`, in whatever letter case the host wrote it.
bool ShowsFile(HWND page, const std::string &vmx)
{
   return LowerAscii(Text(page, kPageFile)).find(LowerAscii(vmx)) != std::string::npos;
}

// The names on the tab strip but the home tab's (the strip's tips carry each tab's full label).
std::vector<std::string> MachineTabs(HWND frame)
{
   std::vector<std::string> names;
   for (const e2e::ChildWindow &child : e2e::ListChildren(frame)) {
      if (child.className == "TremappsdkSwitch") {
         for (const std::string &name : zoltpage::ToolTextsOf(child.window)) {
            if (name != kHomeTab) {
               names.push_back(name);
            }
         }
      }
   }
   return names;
}

std::string Joined(const std::vector<std::string> &texts)
{
   std::string joined;
   for (const std::string &text : texts) {
      joined += (joined.empty() ? "" : " | ") + text;
   }
   return joined;
}

bool WaitForTabs(HWND frame, const std::vector<std::string> &names)
{
   return e2e::WaitUntil([&]() { return MachineTabs(frame) == names; }, zoltrun::kHostMs, 100);
}

// The frame once its title names the current machine, as the user reads it in the title bar.
HWND WaitForTitleNaming(const e2e::Process &process, const std::string &name)
{
   return e2e::WaitForWindow({"ZOLTFrame", name + " - ", true, process.Id()}, zoltrun::kHostMs);
}

// The messages of the boxes zolt shows (a refused name, a missing file), for a failure's report.
std::string ShownBoxes(const e2e::Process &process)
{
   std::string shown;
   for (HWND window : e2e::FindTopLevelWindows({"#32770", "", false, process.Id()})) {
      shown += e2e::ReadText(window).value_or("") + ": " + e2e::DialogMessage(window) + "\n";
   }
   return shown;
}

// Types `text` over what the edit control holds, as a user does: a click into it, Home and
// Shift+End to select it all, the keys. Real input arrives in order, so the selection is not
// undone by a click still on its way.
void TypeInto(HWND edit, const std::string &text)
{
   ASSERT_TRUE(e2e::Click(edit, 6, 6)) << e2e::LastFailure();
   ASSERT_TRUE(e2e::PressKey(edit, VK_HOME)) << e2e::LastFailure();
   ASSERT_TRUE(e2e::PressKey(edit, VK_END, e2e::kShift)) << e2e::LastFailure();
   ASSERT_TRUE(e2e::WaitUntil([&]() {
      const LRESULT length = SendMessageW(edit, WM_GETTEXTLENGTH, 0, 0);
      return SendMessageW(edit, EM_GETSEL, 0, 0) == MAKELRESULT(0, length);
   }, e2e::kReplyTimeoutMs, 20)) << "Shift+End did not select all of \"" << e2e::ReadText(edit).value_or("") << "\"";
   ASSERT_TRUE(e2e::TypeText(edit, text)) << e2e::LastFailure();
}

// Runs on the same user data, each with a log of its own and a dump of the database at exit;
// with `keepTabs` the tabs open at exit open again at the next start. Runs with "-H" open
// machines directly; the others work against the local host, which registers what they open
// and keeps its list beside the user data.
class NamesRun : public zoltrun::ZoltRun {
public:
   explicit NamesRun(const e2e::TestFolder &folder, bool keepTabs = false)
      : ZoltRun(folder, "vmdb.dump = " + e2e::QuoteValue(folder.PathOf("dump.vmdb")) + "\n" +
                           (keepTabs ? "vmdb.preload = " +
                                          e2e::QuoteValue(folder.WriteFile(
                                             "preload.vmdb", "/user/prefState/val/zolt/saveOpenedObjs = \"1\"\n")) +
                                          "\n"
                                     : std::string())),
        dump_(folder.PathOf("dump.vmdb")),
        hostsList_(folder.PathOf("Hosts\\localhost.vms"))
   {
   }

   HWND Start(e2e::Process &process, const std::string &arguments)
   {
      e2e::RemovePath(LogPath());
      e2e::RemovePath(dump_);
      return ZoltRun::Start(process, arguments);
   }
   // Sends a power command once the power toolbar offers it and waits for the host to finish it.
   bool Power(HWND frame, WORD command, const std::string &doneLine)
   {
      size_t before = Count(Log(), doneLine);
      return zoltrun::WaitForToolbarButton(frame, command) && zoltrun::Command(frame, command) &&
             WaitForLog(doneLine, before + 1);
   }
   // True once the log holds `text`, paths compared in either letter case.
   bool WaitForLogPath(const std::string &text) const
   {
      return e2e::WaitUntil([&]() { return LowerAscii(Log()).find(LowerAscii(text)) != std::string::npos; },
                            zoltrun::kHostMs, 100);
   }
   std::string Dump() const { return LowerAscii(e2e::ReadTextFile(dump_).value_or("")); }
   // The host's list of registered machines (UTF-8, one path a line), in lower case.
   std::string HostsList() const { return LowerAscii(e2e::ReadTextFile(hostsList_).value_or(e2e::LastFailure())); }

private:
   std::string dump_;
   std::string hostsList_;
};

// Powers the current machine on and off with the page following.
void PowerOnAndOff(NamesRun &run, HWND frame, HWND page)
{
   ASSERT_TRUE(run.Power(frame, IDM_VM_POWER_ON, "powerOn done, poweredOn")) << run.Log();
   EXPECT_TRUE(WaitForText(page, kPageState, "Powered on")) << Text(page, kPageState);
   ASSERT_TRUE(run.Power(frame, IDM_VM_POWER_OFF, "powerOff done, poweredOff")) << run.Log();
   EXPECT_TRUE(WaitForText(page, kPageState, "Powered off")) << Text(page, kPageState);
}

// The database rows of the local host's registered machines, as the dump at exit writes them.
std::string RegisteredRow(int index, const std::string &vmx)
{
   return LowerAscii("/host2/%230000/vms/registeredvms/%23000" + std::to_string(index) +
                     "/cfgPath = " + e2e::QuoteValue(vmx) + "\n");
}

}  // namespace

TEST(ZoltNames, MachinesInNonEnglishFoldersOpenFromTheCommandLinePowerOnAndShowTheirNames)
{
   e2e::TestFolder folder;
   const Machine latin = WriteMachine(folder, kLatinFolder, kLatinName);
   const Machine cyrillic = WriteMachine(folder, kCyrillicFolder, kCyrillicName);
   NamesRun run(folder);
   e2e::Process zolt;
   HWND frame = run.Start(zolt, "-H " + e2e::QuoteArgument(latin.vmx));
   ASSERT_TRUE(frame);
   HWND page = zoltpage::WaitForMachinePage(frame);
   ASSERT_TRUE(page) << "no machine page\n" << ShownBoxes(zolt) << run.Log();
   ASSERT_TRUE(WaitForText(page, kPageName, latin.name))
      << "the page names \"" << Text(page, kPageName) << "\"\n" << ShownBoxes(zolt) << run.Log();
   EXPECT_TRUE(ShowsFile(page, latin.vmx)) << Text(page, kPageFile);
   EXPECT_TRUE(WaitForTitleNaming(zolt, latin.name)) << e2e::ReadText(frame).value_or("");
   EXPECT_TRUE(WaitForTabs(frame, {latin.name})) << Joined(MachineTabs(frame));
   EXPECT_TRUE(run.WaitForLogPath("SimHost: registered " + latin.vmx + " as /vm/#0001/ (poweredOff)")) << run.Log();
   PowerOnAndOff(run, frame, page);

   // A second instance given the other machine hands it over; it opens in a tab of its own.
   ASSERT_TRUE(run.HandOver("-H -t " + e2e::QuoteArgument(cyrillic.vmx)));
   ASSERT_TRUE(WaitForText(page, kPageName, cyrillic.name))
      << "the page names \"" << Text(page, kPageName) << "\"\n" << ShownBoxes(zolt) << run.Log();
   EXPECT_TRUE(ShowsFile(page, cyrillic.vmx)) << Text(page, kPageFile);
   EXPECT_TRUE(WaitForTitleNaming(zolt, cyrillic.name)) << e2e::ReadText(frame).value_or("");
   EXPECT_TRUE(WaitForTabs(frame, {latin.name, cyrillic.name})) << Joined(MachineTabs(frame));
   EXPECT_TRUE(run.WaitForLogPath("SimHost: registered " + cyrillic.vmx + " as /vm/#0002/ (poweredOff)"))
      << run.Log();
   PowerOnAndOff(run, frame, page);

   EXPECT_EQ(run.Log().find("was not found"), std::string::npos) << run.Log();
   run.Close(zolt, frame);
}

TEST(ZoltNames, AHandOffInUtf8OpensTheMachineItNames)
{
   e2e::TestFolder folder;
   const Machine latin = WriteMachine(folder, kLatinFolder, kLatinName);
   const Machine cyrillic = WriteMachine(folder, kCyrillicFolder, kCyrillicName);
   NamesRun run(folder);
   e2e::Process zolt;
   HWND frame = run.Start(zolt, "-H " + e2e::QuoteArgument(latin.vmx));
   ASSERT_TRUE(frame);
   HWND page = zoltpage::WaitForMachinePage(frame);
   ASSERT_TRUE(page) << "no machine page\n" << run.Log();

   // What a second instance sends: the command line in UTF-8, offered, then handed over.
   const std::string commandLine = "-H -t " + e2e::QuoteArgument(cyrillic.vmx);
   EXPECT_EQ(e2e::SendCopyDataText(frame, 0, commandLine), std::optional<LRESULT>(1)) << run.Log();
   EXPECT_EQ(e2e::SendCopyDataText(frame, 1, commandLine), std::optional<LRESULT>(1)) << run.Log();
   EXPECT_TRUE(WaitForText(page, kPageName, cyrillic.name))
      << "the page names \"" << Text(page, kPageName) << "\"\n" << ShownBoxes(zolt) << run.Log();
   EXPECT_TRUE(WaitForTabs(frame, {latin.name, cyrillic.name})) << Joined(MachineTabs(frame));
   run.Close(zolt, frame);
}

TEST(ZoltNames, MachinesAreRegisteredOnTheLocalHostWhoseListBringsThemBackWithTheirNames)
{
   e2e::TestFolder folder;
   const Machine latin = WriteMachine(folder, kLatinFolder, kLatinName);
   const Machine cyrillic = WriteMachine(folder, kCyrillicFolder, kCyrillicName);
   NamesRun run(folder, true);
   const std::string listed = LowerAscii(latin.vmx + "\r\n" + cyrillic.vmx + "\r\n");
   {
      e2e::Process zolt;
      HWND frame = run.Start(zolt, e2e::QuoteArgument(latin.vmx));
      ASSERT_TRUE(frame);
      ASSERT_TRUE(run.WaitForLogPath("SimHost: registered " + latin.vmx + " on /host2/#0000/"))
         << ShownBoxes(zolt) << run.Log();
      ASSERT_TRUE(run.HandOver("-t " + e2e::QuoteArgument(cyrillic.vmx)));
      ASSERT_TRUE(run.WaitForLogPath("SimHost: registered " + cyrillic.vmx + " on /host2/#0000/"))
         << ShownBoxes(zolt) << run.Log();
      EXPECT_TRUE(WaitForTabs(frame, {latin.name, cyrillic.name})) << Joined(MachineTabs(frame));
      EXPECT_EQ(run.HostsList(), listed);
      run.Close(zolt, frame);
      const std::string dump = run.Dump();
      EXPECT_NE(dump.find(RegisteredRow(1, latin.vmx)), std::string::npos) << dump;
      EXPECT_NE(dump.find(RegisteredRow(2, cyrillic.vmx)), std::string::npos) << dump;
   }
   {
      // No file given: the host reads its list back and the saved tabs open its machines again.
      e2e::Process zolt;
      HWND frame = run.Start(zolt, "");
      ASSERT_TRUE(frame);
      EXPECT_TRUE(run.WaitForLog("SimHost: 2 registered virtual machines of /host2/#0000/")) << run.Log();
      EXPECT_TRUE(run.WaitForLogPath(latin.vmx + " as /vm/#")) << ShownBoxes(zolt) << run.Log();
      EXPECT_TRUE(run.WaitForLogPath(cyrillic.vmx + " as /vm/#")) << ShownBoxes(zolt) << run.Log();
      EXPECT_TRUE(WaitForTabs(frame, {latin.name, cyrillic.name})) << Joined(MachineTabs(frame));
      EXPECT_EQ(run.Log().find("Open object error"), std::string::npos) << run.Log();
      run.Close(zolt, frame);
      const std::string dump = run.Dump();
      EXPECT_NE(dump.find(RegisteredRow(1, latin.vmx)), std::string::npos) << dump;
      EXPECT_NE(dump.find(RegisteredRow(2, cyrillic.vmx)), std::string::npos) << dump;
   }
   EXPECT_EQ(run.HostsList(), listed) << "the list is unchanged by reading it";
}

TEST(ZoltNames, NotesTypedWithAccentsSurviveARestart)
{
   e2e::TestFolder folder;
   const Machine latin = WriteMachine(folder, kLatinFolder, kLatinName);
   const std::string notes = "Año 2024: instalación revisada, Größe geprüft — Ελληνικά, Кириллица, 日本語";
   NamesRun run(folder);
   {
      e2e::Process zolt;
      HWND frame = run.Start(zolt, "-H " + e2e::QuoteArgument(latin.vmx));
      ASSERT_TRUE(frame);
      HWND page = zoltpage::WaitForMachinePage(frame);
      ASSERT_TRUE(page) << "no machine page\n" << run.Log();
      ASSERT_TRUE(WaitForText(page, kPageName, latin.name)) << Text(page, kPageName) << "\n" << run.Log();
      HWND editor = GetDlgItem(page, kPageNotes);
      // A click into the editor takes the invitation away; then the user types.
      ASSERT_TRUE(e2e::Click(editor, 8, 8)) << e2e::LastFailure();
      ASSERT_TRUE(WaitForText(page, kPageNotes, "")) << Text(page, kPageNotes);
      ASSERT_TRUE(e2e::TypeText(editor, notes)) << e2e::LastFailure();
      EXPECT_TRUE(WaitForText(page, kPageNotes, notes)) << Text(page, kPageNotes);
      // A click into the device list moves the focus away, which saves what was typed.
      HWND devices = nullptr;
      for (const e2e::ChildWindow &child : e2e::ListChildren(page)) {
         devices = child.className == "SysListView32" ? child.window : devices;
      }
      ASSERT_TRUE(devices) << "no device list on the page";
      RECT row = zoltpage::ListViewRowRect(devices, 0);
      ASSERT_TRUE(e2e::Click(devices, row.left + 10, (row.top + row.bottom) / 2)) << e2e::LastFailure();
      EXPECT_TRUE(e2e::WaitForFileText(latin.vmx, "annotation = \"" + notes + "\"\n", zoltrun::kHostMs))
         << e2e::LastFailure() << "\n" << run.Log();
      run.Close(zolt, frame);
   }
   {
      e2e::Process zolt;
      HWND frame = run.Start(zolt, "-H " + e2e::QuoteArgument(latin.vmx));
      ASSERT_TRUE(frame);
      HWND page = zoltpage::WaitForMachinePage(frame);
      ASSERT_TRUE(page) << "no machine page\n" << run.Log();
      EXPECT_TRUE(WaitForText(page, kPageNotes, notes)) << Text(page, kPageNotes);
      run.Close(zolt, frame);
   }
   std::string file = e2e::ReadTextFile(latin.vmx).value_or(e2e::LastFailure());
   EXPECT_EQ(Count(file, "annotation = \"" + notes + "\"\n"), 1u) << file;
   EXPECT_EQ(Count(file, "displayName = \"Prüfung\"\n"), 1u) << file;
}

TEST(ZoltNames, TheWizardMakesAMachineWithAnAccentedNameInAFolderOfThatName)
{
   e2e::TestFolder folder;
   const std::string place = folder.MakeFolder(kLatinFolder);
   ASSERT_FALSE(place.empty()) << e2e::LastFailure();
   const std::string name = kWizardName;
   const std::string machineFolder = place + "\\" + name;
   const std::string vmx = machineFolder + "\\" + name + ".vmx";
   NamesRun run(folder);
   e2e::Process zolt;
   HWND frame = run.Start(zolt, "");
   ASSERT_TRUE(frame);

   // The user types the name, sees the folder the wizard suggests for it, and types a folder.
   HWND sheet = zoltrun::OpenNewMachineWizard(frame, zolt);
   ASSERT_TRUE(sheet);
   HWND namePage = zoltrun::CurrentPage(sheet);
   ASSERT_NO_FATAL_FAILURE(TypeInto(GetDlgItem(namePage, IDC_NWZ_NAME), name));
   EXPECT_TRUE(WaitForText(namePage, IDC_NWZ_NAME, name)) << Text(namePage, IDC_NWZ_NAME);
   EXPECT_TRUE(e2e::WaitUntil([&]() {
      const std::string suggested = Text(namePage, IDC_NWZ_LOCATION);
      const std::string end = "\\Machines\\" + name;
      return suggested.size() > end.size() && suggested.compare(suggested.size() - end.size(), end.size(), end) == 0;
   }, zoltrun::kHostMs, 50)) << Text(namePage, IDC_NWZ_LOCATION);
   ASSERT_NO_FATAL_FAILURE(TypeInto(GetDlgItem(namePage, IDC_NWZ_LOCATION), machineFolder));
   EXPECT_TRUE(WaitForText(namePage, IDC_NWZ_LOCATION, machineFolder)) << Text(namePage, IDC_NWZ_LOCATION);
   EXPECT_TRUE(WaitForText(namePage, IDC_NWZ_FILE, vmx)) << Text(namePage, IDC_NWZ_FILE);
   ASSERT_TRUE(NextPageWith(sheet, IDC_NWZ_GUEST_LIST))
      << "the name page refused: " << Text(zoltrun::CurrentPage(sheet), IDC_NWZ_ERROR) << "\n" << ShownBoxes(zolt);
   ASSERT_TRUE(NextPageWith(sheet, IDC_NWZ_MEMORY));
   ASSERT_TRUE(NextPageWith(sheet, IDC_NWZ_DISK));
   ASSERT_TRUE(NextPageWith(sheet, IDC_NWZ_NET_NAT));
   ASSERT_TRUE(NextPageWith(sheet, IDC_NWZ_SUMMARY));
   PostMessageW(sheet, PSM_PRESSBUTTON, PSBTN_FINISH, 0);
   HWND completed = e2e::WaitForWindow({"#32770", "Virtual Machine Created", false, zolt.Id()});
   ASSERT_TRUE(completed) << e2e::LastFailure() << "\n" << ShownBoxes(zolt) << run.Log();
   ASSERT_TRUE(e2e::ClickButton(completed, IDOK));
   EXPECT_TRUE(e2e::WaitForWindowGone(completed));

   // The host registers it and zolt opens it under its name.
   EXPECT_TRUE(run.WaitForLogPath("SimHost: registered " + vmx + " on /host2/#0000/")) << ShownBoxes(zolt) << run.Log();
   EXPECT_TRUE(run.WaitForLogPath(vmx + " as /vm/#0001/ (poweredOff)")) << ShownBoxes(zolt) << run.Log();
   HWND page = zoltpage::WaitForMachinePage(frame);
   ASSERT_TRUE(page) << "no machine page\n" << run.Log();
   EXPECT_TRUE(WaitForText(page, kPageName, name)) << Text(page, kPageName);
   EXPECT_TRUE(ShowsFile(page, vmx)) << Text(page, kPageFile);
   EXPECT_TRUE(WaitForTabs(frame, {name})) << Joined(MachineTabs(frame));
   EXPECT_EQ(run.HostsList(), LowerAscii(vmx + "\r\n"));
   run.Close(zolt, frame);

   // On disk: the folder and the files carry the name the user typed.
   EXPECT_EQ(e2e::ListFolder(place), std::optional<std::vector<std::string>>({name})) << e2e::LastFailure();
   EXPECT_EQ(e2e::ListFolder(machineFolder),
             std::optional<std::vector<std::string>>({name + "-disk1.img", name + ".vmx"}))
      << e2e::LastFailure();
   const std::string file = e2e::ReadTextFile(vmx).value_or(e2e::LastFailure());
   EXPECT_EQ(Count(file, "displayName = \"" + name + "\"\n"), 1u) << file;
   EXPECT_EQ(Count(file, "disk0.fileName = \"" + name + "-disk1.img\"\n"), 1u) << file;
   EXPECT_NE(run.Dump().find(RegisteredRow(1, vmx)), std::string::npos) << run.Dump();
}
