// The new-team wizard's logic: the page order, the team being built (a cui::TeamEditable over a
// team that follows no host node yet), the names it proposes for clones and LANs, and what a
// cancel undoes. The window class supplies the pages (CreatePage) and the editable
// (CreateTeamEditable).
//
// Ownership: the wizard owns the team and the editable until a handler of `finished` takes them
// (TakeTeam, TakeTeamEditable); whatever is not taken goes with the wizard.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include <sigc++/sigc++.h>

#include "cui/NewWizard.h"

namespace cui {

class Team;
class TeamEditable;

namespace wizard {

class Team : public New {
public:
   enum PageKind {
      PAGE_WELCOME = 0,
      PAGE_NAME = 1,
      PAGE_ADD_VMS = 2,
      PAGE_VM_LIST = 3,
      PAGE_ADD_LANS = 4,
      PAGE_LAN_LIST = 5,
      PAGE_SUMMARY = 6,
   };
   static const int kPageKinds = 7;
   static const char kExtension[];

   explicit Team(Host *host);
   ~Team() override;

   cui::Team *GetTeam() const { return team_.get(); }
   TeamEditable *GetTeamEditable() const { return editable_.get(); }
   std::unique_ptr<cui::Team> TakeTeam();
   std::unique_ptr<TeamEditable> TakeTeamEditable();

   bool GetAddVMs() const { return addVMs_; }
   void SetAddVMs(bool add) { addVMs_ = add; }
   bool GetAddLANs() const { return addLANs_; }
   void SetAddLANs(bool add) { addLANs_ = add; }

   std::string GetFilenameForResultPath() const override;
   int GetLongestFilenameLength() const override;
   void SetupPages() override;
   void OnInit() override;
   void OnCancelled() override;
   void OnFinished() override;

   // "<base>", "<base> 2", ...: the first that no member machine is named and that has no
   // folder in the location yet.
   std::string GetUniqueVMName(const std::string &base) const;
   // "LAN 1", "LAN 2", ...: the first that no LAN of the editable has.
   std::string GetUniqueNetName() const;
   // Adds a LAN with the next unique name and no limits; its name.
   std::string AddNet();
   // Where a clone named `name` is written: "<location>\<name>\<name>.vmx".
   std::string GetClonePath(const std::string &name) const;
   // A machine file the wizard made (a new machine or a clone): deleted again on cancel.
   void NoteCreatedVM(const std::string &cfgPath);
   const std::vector<std::string> &GetCreatedVMs() const { return createdVMs_; }
   // The folders the finish made for the team file, outermost first.
   const std::vector<std::string> &GetMadeFolders() const { return madeFolders_; }

   // Raised by the finish (the team, its editable and GetResultPath are ready to be taken) and
   // by the cancel.
   sigc::signal<void> finished;
   sigc::signal<void> cancelled;

protected:
   virtual Page *CreatePage(int kind, const std::string &title, const std::string &subtitle) = 0;
   virtual TeamEditable *CreateTeamEditable() = 0;
   // Takes back what a cancel leaves of the machines the wizard made.
   virtual void DeleteCreatedVM(const std::string &cfgPath);

private:
   std::unique_ptr<cui::Team> team_;
   std::unique_ptr<TeamEditable> editable_;
   bool addVMs_ = true;
   bool addLANs_ = true;
   std::vector<std::string> createdVMs_;
   std::vector<std::string> madeFolders_;
};

}  // namespace wizard
}  // namespace cui
