#include "cui/TeamWizard.h"

#include <algorithm>
#include <cctype>

#include "ModelCmd.h"
#include "cui/Host.h"
#include "cui/LocalizedString.h"
#include "cui/Registry.h"
#include "cui/Team.h"
#include "cui/TeamEditable.h"
#include "cui/VM.h"
#include "cui/VMMgr.h"
#include "tremorybase/File.h"
#include "tremorybase/Log.h"

namespace cui {
namespace wizard {

namespace {

bool SameName(const std::string &a, const std::string &b)
{
   return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
             return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
          });
}

// The team being built: it follows no node until the team manager takes it in, and it carries
// the name the user gave it from the start.
class BuiltTeam : public wui::Team {
public:
   using wui::Team::Team;
   void Rename(const std::string &name) { name_ = name; }
};

// Titles and subtitles of the pages, by kind.
struct PageTitles {
   const char *title;
   const char *subtitle;
};
const PageTitles kTitles[Team::kPageKinds] = {
   {"", ""},
   {"@&!*@*@(msg.wizard.team.name.title)Name the Team",
    "@&!*@*@(msg.wizard.team.name.subtitle)What name and location do you want for the team?"},
   {"@&!*@*@(msg.wizard.team.addVMs.title)Add Virtual Machines",
    "@&!*@*@(msg.wizard.team.addVMs.subtitle)Do you want to add virtual machines to the team now?"},
   {"@&!*@*@(msg.wizard.team.vmList.title)Team Virtual Machines",
    "@&!*@*@(msg.wizard.team.vmList.subtitle)Add new, cloned or existing virtual machines to the team."},
   {"@&!*@*@(msg.wizard.team.addLANs.title)Add LAN Segments",
    "@&!*@*@(msg.wizard.team.addLANs.subtitle)Do you want to add private LAN segments to the team now?"},
   {"@&!*@*@(msg.wizard.team.lanList.title)Team LAN Segments",
    "@&!*@*@(msg.wizard.team.lanList.subtitle)Add the LAN segments the team's machines can join."},
   {"@&!*@*@(msg.wizard.team.summary.title)Ready to Create the Team",
    "@&!*@*@(msg.wizard.team.summary.subtitle)These are the members of the new team."},
};

}  // namespace

const char Team::kExtension[] = ".vmtm";

Team::Team(Host *host) : New(host), team_(new BuiltTeam(std::string(), std::string())) {}

Team::~Team() = default;

std::unique_ptr<cui::Team> Team::TakeTeam()
{
   return std::move(team_);
}

std::unique_ptr<TeamEditable> Team::TakeTeamEditable()
{
   return std::move(editable_);
}

std::string Team::GetFilenameForResultPath() const
{
   return GetName() + kExtension;
}

int Team::GetLongestFilenameLength() const
{
   return static_cast<int>(GetFilenameForResultPath().size());
}

void Team::SetupPages()
{
   std::vector<Page *> pages;
   for (int kind = 0; kind < kPageKinds; ++kind) {
      Page *page = CreatePage(kind, kTitles[kind].title, kTitles[kind].subtitle);
      if (!page) {
         throw Error(Format("@&!*@*@(msg.wizard.team.noPage)The page %d of the new-team wizard could not be made.",
                            kind));
      }
      pages.push_back(page);
   }
   pages[PAGE_NAME]->SetValidateRule([this](ValidateSlot done) { OnNamePageValidate(done); });
   pages[PAGE_VM_LIST]->SetSkipRule([this]() { return !addVMs_; });
   pages[PAGE_LAN_LIST]->SetSkipRule([this]() { return !addLANs_; });
   SetPages(pages);
}

void Team::OnInit()
{
   if (GetName().empty()) {
      SetName(GetLocalString("@&!*@*@(msg.wizard.team.defaultName)New Team"));
   }
   editable_.reset(CreateTeamEditable());
   SetupPages();
   Start();
}

std::string Team::GetUniqueVMName(const std::string &base) const
{
   std::vector<std::string> names;
   if (editable_) {
      VMMgr *mgr = GetVMMgr();
      for (const TeamMember &member : editable_->GetMembers()) {
         VM *vm = mgr ? mgr->GetVMByCfgPath(member.cfgPath) : nullptr;
         if (vm) {
            names.push_back(vm->GetName());
         }
      }
   }
   for (unsigned n = 1;; ++n) {
      std::string candidate = n == 1 ? base : base + " " + std::to_string(n);
      bool taken = std::any_of(names.begin(), names.end(), [&](const std::string &name) { return SameName(name, candidate); });
      if (!taken && !File_Exists(JoinPath(GetPath(), candidate))) {
         return candidate;
      }
   }
}

std::string Team::GetUniqueNetName() const
{
   for (unsigned n = 1;; ++n) {
      std::string candidate = Format("@&!*@*@(msg.wizard.team.lanName)LAN %u", n);
      bool taken = editable_ && std::any_of(editable_->GetNets().begin(), editable_->GetNets().end(),
                                            [&](const TeamNetData &net) { return SameName(net.name, candidate); });
      if (!taken) {
         return candidate;
      }
   }
}

std::string Team::AddNet()
{
   if (!editable_) {
      throw Error(GetLocalString("@&!*@*@(msg.wizard.team.noEditable)There is no team being built."));
   }
   std::string name = GetUniqueNetName();
   editable_->AddNet(name, 0, 0);
   return name;
}

std::string Team::GetClonePath(const std::string &name) const
{
   return JoinPath(JoinPath(GetPath(), name), name + ".vmx");
}

void Team::NoteCreatedVM(const std::string &cfgPath)
{
   createdVMs_.push_back(cfgPath);
}

void Team::OnCancelled()
{
   Log("cui::wizard::Team: cancelled; %u machine(s) made meanwhile are deleted\n",
       static_cast<unsigned>(createdVMs_.size()));
   for (const std::string &cfgPath : createdVMs_) {
      DeleteCreatedVM(cfgPath);
   }
   createdVMs_.clear();
   cancelled.emit();
}

void Team::DeleteCreatedVM(const std::string &cfgPath)
{
   Host *host = GetHost() ? GetHost() : wui::GetCurrentHost();
   const std::string hostPath = host && !host->GetPath().empty() ? host->GetPath() : wui::VMMgr::LocalHostPath();
   try {
      cuiutil::ModelCmd::Send(GetVmdbCtx(), hostPath + "util/vm/cmd/##/", "deleteVMFromDisk", {{"cfgPath", cfgPath}},
                              {}, [cfgPath](std::string error, cuiutil::ModelCmd::Outputs) {
                                 if (!error.empty()) {
                                    Warning("cui::wizard::Team: %s was not deleted: %s\n", cfgPath.c_str(),
                                            error.c_str());
                                 }
                              });
   } catch (const Error &e) {
      Warning("cui::wizard::Team: %s was not deleted: %s\n", cfgPath.c_str(), e.what());
   }
}

void Team::OnFinished()
{
   const std::string path = GetResultPath();
   Log("cui::wizard::Team: finished: %s\n", path.c_str());
   if (team_) {
      team_->SetFilename(path);
      static_cast<BuiltTeam *>(team_.get())->Rename(GetName());
   }
   if (editable_) {
      editable_->SetName(GetName());
   }
   madeFolders_.clear();
   std::string folder = GetPath();
   while (folder.size() > 1 && (folder.back() == '\\' || folder.back() == '/')) {
      folder.pop_back();
   }
   if (!File_MakeFolders(folder, &madeFolders_)) {
      Warning("cui::wizard::Team: the folder %s could not be made\n", folder.c_str());
   }
   // What the machines made meanwhile are is settled: the team keeps them.
   createdVMs_.clear();
   finished.emit();
}

}  // namespace wizard
}  // namespace cui
