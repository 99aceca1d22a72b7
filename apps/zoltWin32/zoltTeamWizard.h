// The new-team wizard's sheet: the seven pages of cui::wizard::Team on the wizard framework, the
// controls of each page, and the machines and LANs it adds to the team being built.
#pragma once

#include "zoltSymbolButton.h"
#include "zoltWizard.h"

#include "atl/Gdi.h"
#include "cui/Error.h"
#include "cui/TeamWizard.h"
#include "tremappcfg/TeamCfg.h"

#include <windows.h>
#include <commctrl.h>

#include <string>

namespace cui {
class Host;
class VM;
}  // namespace cui

namespace wui {
namespace wizard {

class TeamWizard : public Wizard, public cui::wizard::Team, public sigc::trackable {
public:
   // The team is made on `host` (not owned; null: the client's own machine). The location starts
   // as the preferred machine folder (or the user's documents) with the default name.
   explicit TeamWizard(cui::Host *host);
   ~TeamWizard() override;

   INT_PTR ProcessPageMessage(Page *page, HWND window, UINT msg, WPARAM wParam, LPARAM lParam) override;
   // A relative location or one with characters the host refuses is answered with the
   // invalid-path message; the library's own checks follow.
   void OnNamePageValidate(const cui::wizard::ValidateSlot &done) override;

   // The machine list's additions: through the program's new-machine command, an existing
   // machine's file, a full clone of a machine's file (made in the team's location under a name
   // no member has). Each raises the pending count until the machine is in the team.
   void AddNewVM();
   void AddVMFile(const std::string &cfgPath);
   void AddCloneOf(const std::string &sourceCfgPath);
   // Adds a LAN with the next unique name and refills the page's list.
   void AddLAN(HWND page);
   int GetPendingCount() const { return pending_; }

   // The default location for `name`.
   static std::string DefaultLocation(const std::string &name);
   // How the location edit's text is taken when the name page is left: blanks at both ends go,
   // separators are the host's, and a trailing separator goes (a drive's root keeps its own).
   static std::string CleanLocation(const std::string &text, int osType);

protected:
   cui::wizard::Page *CreatePage(int kind, const std::string &title, const std::string &subtitle) override;
   cui::TeamEditable *CreateTeamEditable() override;

private:
   INT_PTR OnWelcomeMessage(HWND window, UINT msg);
   INT_PTR OnNameMessage(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);
   INT_PTR OnChoiceMessage(HWND window, UINT msg, WPARAM wParam, int yesId, bool vms);
   INT_PTR OnVMListMessage(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);
   INT_PTR OnLANListMessage(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);
   INT_PTR OnSummaryMessage(HWND window, UINT msg, LPARAM lParam);
   // Refuses a page change (and a cancel) while an addition is under way.
   INT_PTR RefuseWhilePending(HWND window, LPARAM lParam);
   void BrowseLocation(HWND window);
   void FillVMList(HWND window);
   void FillLANList(HWND window);
   void CreateSummaryList(HWND window);
   void FillSummary(HWND window);
   // The team lists' shared icons, made on first use; the wizard owns them.
   HIMAGELIST SharedIcons();
   void UpdateRemove(HWND window, int listId, int removeId);
   void RemoveSelectedVM(HWND window);
   void RemoveSelectedLAN(HWND window);
   void ShowAddMenu(HWND window);
   std::string AskVMFile(HWND window, unsigned titleId);
   void OpenForTeam(const std::string &cfgPath);
   void OnOpenFailed(bool cancelled, cui::Error error, std::string cfgPath);
   void OnOpenedForTeam(std::string cfgPath);
   void OnSourceOpened(std::string sourceCfgPath, bool wasOpen);
   void OnCloneMade(std::string clonePath, std::string sourceCfgPath, bool closeSource);
   void OnCloneFailed(bool cancelled, cui::Error error, std::string sourceCfgPath, bool closeSource);
   void EndPending();
   void Report(const std::string &text);

   atl::ScopedFont titleFont_;
   CSymbolButton addButton_;
   HWND vmListPage_ = nullptr;
   HIMAGELIST sharedIcons_ = nullptr;
   ITeamListViewPtr summaryList_;
   int pending_ = 0;
};

}  // namespace wizard
}  // namespace wui
