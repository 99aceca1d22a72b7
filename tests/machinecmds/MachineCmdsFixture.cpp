#include "MachineCmdsFixture.h"

#include "tremhwcfg/TremHwCfg.h"
#include "tremorybase/Config.h"
#include "tremorybase/KeyValueFile.h"
#include "cui/TeamMgr.h"

#include "tremorybase/Log.h"

#include <fstream>
#include <map>
#include <sstream>

namespace {

std::map<UINT_PTR, DialogAnswerer *> &Answerers()
{
   static std::map<UINT_PTR, DialogAnswerer *> answerers;
   return answerers;
}

struct DialogSearch {
   HWND found = nullptr;
};

BOOL CALLBACK FindDialog(HWND window, LPARAM data)
{
   char className[32] = "";
   GetClassNameA(window, className, sizeof className);
   if (IsWindowVisible(window) && std::string(className) == "#32770") {
      reinterpret_cast<DialogSearch *>(data)->found = window;
      return FALSE;
   }
   return TRUE;
}

BOOL CALLBACK CollectText(HWND child, LPARAM data)
{
   char className[32] = "";
   GetClassNameA(child, className, sizeof className);
   std::string name = className;
   if (name == "Static" || name == "Edit" || name == "RichEdit20A" || name == "RichEdit20W") {
      char text[2048] = "";
      GetWindowTextA(child, text, sizeof text);
      if (*text) {
         std::string &all = *reinterpret_cast<std::string *>(data);
         all += std::string(all.empty() ? "" : "\n") + text;
      }
   }
   return TRUE;
}

}  // namespace

cui::AbortSlot Outcome::Abort()
{
   return [this](bool c, cui::Error e) {
      ++aborts;
      cancelled = c;
      error = e.what();
   };
}

cui::DoneSlot Outcome::Done()
{
   return [this]() { ++dones; };
}

DialogAnswerer::DialogAnswerer(std::function<void(HWND)> answer) : answer_(std::move(answer))
{
   timer_ = SetTimer(nullptr, 0, 50, &DialogAnswerer::OnTimer);
   Answerers()[timer_] = this;
}

DialogAnswerer::~DialogAnswerer()
{
   KillTimer(nullptr, timer_);
   Answerers().erase(timer_);
}

void CALLBACK DialogAnswerer::OnTimer(HWND, UINT, UINT_PTR id, DWORD)
{
   auto it = Answerers().find(id);
   if (it == Answerers().end() || it->second->answered_) {
      return;
   }
   DialogAnswerer *self = it->second;
   DialogSearch search;
   EnumThreadWindows(GetCurrentThreadId(), &FindDialog, reinterpret_cast<LPARAM>(&search));
   if (!search.found) {
      return;
   }
   self->answered_ = true;
   EnumChildWindows(search.found, &CollectText, reinterpret_cast<LPARAM>(&self->text_));
   self->answer_(search.found);
}


std::string FileText(const std::string &path)
{
   std::ifstream in(path, std::ios::binary);
   std::stringstream text;
   text << in.rdbuf();
   return text.str();
}

size_t MachineCmds::LogMark()
{
   if (!*Log_GetFileName()) {
      const std::string log = folder_ + "\\machinecmds.log";
      Config_Set("test.machinecmds.log", log.c_str());
      EXPECT_TRUE(Log_Start("machinecmds", "test.machinecmds.log", ""));
   }
   return FileText(Log_GetFileName()).size();
}

std::string MachineCmds::LoggedSince(size_t mark) const
{
   const std::string text = FileText(Log_GetFileName());
   return mark < text.size() ? text.substr(mark) : std::string();
}

std::string MachineCmds::WriteTeam(const std::string &name, const std::vector<std::string> &members,
                                   const std::string &missing)
{
   std::vector<KeyValueEntry> entries = {{"team.name", name}};
   for (size_t i = 0; i < members.size(); ++i) {
      const std::string key = "vm" + std::to_string(i);
      std::string vmx = members[i] == missing ? members[i] + ".vmx" : WriteVmx(members[i]);
      entries.push_back({key + ".cfgPath", vmx});
      entries.push_back({key + ".startupOrder", std::to_string(i + 1)});
      entries.push_back({key + ".startupDelay", "0"});
   }
   entries.push_back({"lan0.id", "pvn-" + name});
   entries.push_back({"lan0.name", "LAN 1"});
   entries.push_back({"lan0.bandwidth", "0"});
   entries.push_back({"lan0.loss", "0"});
   std::string path = WriteVmx(name);
   path.replace(path.size() - 4, 4, ".vmtm");
   std::string error;
   EXPECT_TRUE(KeyValueFile::Write(path, entries, error)) << error;
   return path;
}

wui::Team *MachineCmds::OpenTeam(const std::string &path, Outcome &outcome, OpenFlags flags)
{
   bool finished = false;
   app_->OpenTeam(_bstr_t(path.c_str()), flags, outcome.Abort(), [&]() { finished = true; });
   EXPECT_TRUE(PollUntil([&]() { return finished || outcome.aborts > 0; }, 8000)) << "opening " << path;
   Poll(50);
   EXPECT_FALSE(finished && outcome.aborts > 0) << "an open is a success or a failure, never both";
   return dynamic_cast<wui::Team *>(wui::GetTeamMgr()->GetTeamByCfgPath(path));
}

void MachineCmds::SetUp()
{
   static bool wizardRegistered = false;
   if (!wizardRegistered) {
      wizardRegistered = true;
      tremhwcfg::RegisterClasses();
   }
   SessionFixture::SetUp();
   _bstr_t error;
   ASSERT_TRUE(app_->NewSession(false, _bstr_t(""), _bstr_t(""), _bstr_t(""), &error));
}

void MachineCmds::TearDown()
{
   Config_Set("test.vmmsg.answer", "0");
   SessionFixture::TearDown();
}

bool MachineCmds::OpenThroughApp(const std::string &file, bool newTab, bool openTab, bool makeCurrent,
                                 Outcome &outcome)
{
   bool handed = app_->OpenVM(_bstr_t(file.c_str()),
                              OpenFlags().NewTab(newTab).OpenTab(openTab).MakeCurrent(makeCurrent),
                              outcome.Abort(), outcome.Done());
   if (handed) {
      EXPECT_TRUE(PollUntil([&]() { return outcome.aborts + outcome.dones > 0; })) << "opening " << file;
   }
   return handed;
}

const char *const MachineCmds::kOpenedObjs = cui::appdata::kOpenedObjElements;
const char *const MachineCmds::kHome = cui::appdata::kHomeObj;

void MachineCmds::FillRecordsTo(int count)
{
   for (int i = RecordCount(); i < count; ++i) {
      char name[8];
      snprintf(name, sizeof name, "f%03x", i);
      const std::string record = Record(name);
      Write(record + "type", "hotfix");
      Write(record + "path", "filler" + std::to_string(i));
   }
}

std::string MachineCmds::RecordOf(cui::VM *vm) const
{
   for (const std::string &record : cui::GetVmdbCtx().Elements(cui::appdata::kOpenedObjElements)) {
      if (Read(record + "type") == "vm" && Read(record + "path") == vm->GetVmPath()) {
         return record;
      }
   }
   return "";
}

bool MachineCmds::PowerTo(cui::VM *vm, cui::VM::PowerState state)
{
   bool done = false;
   vm->SetPowerState(state, cui::VM::POWEROP_HARD, cui::AbortSlot(), [&]() { done = true; });
   return PollUntil([&]() { return done; });
}

bool MachineCmds::WaitForState(cui::VM *vm, cui::VM::PowerState state, long ms)
{
   return PollUntil([&]() { return vm->GetPowerState() == state && !vm->GetBusy(cui::VM::BUSY_POWER); }, ms);
}

void MachineCmds::Press(HWND dlg, int id)
{
   SendMessageA(dlg, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dlg, id)));
}
