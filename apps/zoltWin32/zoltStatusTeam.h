// The team page: the summary of the current team (name, power state of the whole, current
// machine, file, members), its notes, which save themselves a second after the last keystroke,
// links to power the team on and edit its settings, and the topology of its machines and LANs.
// One page object follows whatever team is current.
#pragma once

#include "zoltStatusBase.h"
#include "zoltStatusBtn.h"
#include "zoltStatusLbl.h"
#include "zoltStatusNotes.h"
#include "zoltTeamTopology.h"
#include "resource.h"

#include <list>
#include <string>

#include <sigc++/sigc++.h>

namespace cui {
class Team;
}

namespace teampage {

// Control ids of template IDD_STATUS_TEAM.
enum {
   kTitle = 1060,
   kPowerCaption = 4101,
   kPowerValue = 4102,
   kCurrentCaption = 4103,
   kCurrentValue = 4104,
   kFileCaption = 4105,
   kFileValue = 4106,
   kMembersCaption = 4107,
   kMembersValue = 4108,
   kCommandsLabel = 4111,
   kPowerButton = 4112,
   kEditButton = 4115,
   kDetailsLabel = 4116,
   kNotes = 4117,
   kTopologyLabel = 4118,
   kTopology = 4119,
   kSeparator = 414,
};

constexpr UINT_PTR kNotesTimer = 1;
constexpr UINT kNotesDelayMs = 1000;
// Info tips of this length or longer are left empty.
constexpr size_t kInfoTipLimit = 1024;

// The resource string of the team's power state from its power-on, power-off and suspend action
// states (3: every member is there).
unsigned PowerStateStringId(int onState, int offState, int suspendState);
// The power link is enabled for a team with machines whose power-on is possible.
bool IsPowerButtonEnabled(size_t vmCount, int onState);
// Copies an info tip into a buffer of `size` characters, cut to fit and always terminated; text
// that is empty or kInfoTipLimit characters or longer leaves the buffer empty. False when
// nothing was copied.
bool CopyInfoTip(const std::string &text, char *buffer, int size);
bool CopyInfoTip(const std::string &text, wchar_t *buffer, int size);
// Whether the editor's text is a change to save: not the invitation, not what was shown.
bool IsNotesChange(const std::string &text, const std::string &invitation, const std::string &shown);

}  // namespace teampage

class CZOLTStatusTeam : public CZOLTStatusBase<CZOLTStatusTeam, IDD_STATUS_TEAM>, public sigc::trackable {
public:
   typedef CZOLTStatusBase<CZOLTStatusTeam, IDD_STATUS_TEAM> Base;

   CZOLTStatusTeam() = default;
   ~CZOLTStatusTeam() override;

   BEGIN_MSG_MAP(CZOLTStatusTeam)
      MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
      MESSAGE_HANDLER(WM_DESTROY, OnDestroy)
      MESSAGE_HANDLER(WM_SIZE, OnSize)
      MESSAGE_HANDLER(WM_TIMER, OnTimer)
      MESSAGE_HANDLER(WM_CONTEXTMENU, OnContextMenu)
      NOTIFY_HANDLER(teampage::kTopology, LVN_ITEMCHANGED, OnItemChanged)
      NOTIFY_HANDLER(teampage::kTopology, NM_DBLCLK, OnDblClick)
      NOTIFY_HANDLER(teampage::kTopology, LVN_GETINFOTIPA, OnGetInfoTip)
      NOTIFY_HANDLER(teampage::kTopology, LVN_GETINFOTIPW, OnGetInfoTip)
      COMMAND_HANDLER(teampage::kNotes, EN_CHANGE, OnNotesChange)
      COMMAND_ID_HANDLER(teampage::kPowerButton, OnPowerTeam)
      COMMAND_ID_HANDLER(teampage::kEditButton, OnEditTeam)
      CHAIN_MSG_MAP(Base)
   END_MSG_MAP()

   void SaveNotes() override;

   void OnCurrentObjChange();
   // Follows the team of configuration file `cfgPath` (empty: none).
   void OnTeamChange(const std::string &cfgPath);
   // Shows the notes of `team` (null: none), saving what was typed for the team shown before.
   void ShowNotesOf(cui::Team *team);

   const std::string &GetCfgPath() const { return cfgPath_; }
   bool IsNotesChanged() const { return notesChanged_; }
   CZOLTTeamTopology &GetTopology() { return topology_; }

private:
   LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL &);
   LRESULT OnDestroy(UINT, WPARAM, LPARAM, BOOL &);
   LRESULT OnSize(UINT, WPARAM, LPARAM, BOOL &);
   LRESULT OnTimer(UINT, WPARAM, LPARAM, BOOL &);
   LRESULT OnContextMenu(UINT, WPARAM, LPARAM, BOOL &);
   LRESULT OnItemChanged(int, LPNMHDR, BOOL &);
   LRESULT OnDblClick(int, LPNMHDR, BOOL &);
   LRESULT OnGetInfoTip(int, LPNMHDR, BOOL &);
   LRESULT OnNotesChange(WORD, WORD, HWND, BOOL &);
   LRESULT OnPowerTeam(WORD, WORD, HWND, BOOL &);
   LRESULT OnEditTeam(WORD, WORD, HWND, BOOL &);

   void Refresh();
   void ClearFields();
   void ShowNotesText(const std::string &notes);
   void StretchWidth(HWND window, LONG clientWidth);
   void StretchHeight(HWND window, LONG clientHeight);
   HWND Item(int id) const { return ::GetDlgItem(m_hWnd, id); }
   // The team of a configuration path, looked up afresh; null for an empty path.
   static cui::Team *FindTeam(const std::string &cfgPath);
   cui::VM *FindTeamVM(cui::Team *team, const std::string &vmPath) const;
   bool IsRestricted() const;

   HWND title_ = nullptr;
   HWND powerValue_ = nullptr;
   HWND currentValue_ = nullptr;
   HWND fileValue_ = nullptr;
   HWND membersValue_ = nullptr;
   std::string cfgPath_;
   std::list<sigc::connection> connections_;
   CZOLTStatusLbl commandsLabel_;
   CZOLTStatusBtn power_;
   CZOLTStatusBtn edit_;
   CZOLTStatusLbl detailsLabel_;
   CZOLTStatusLbl topologyLabel_;
   CZOLTStatusLbl separator_;
   CZOLTStatusNotes notes_;
   HWND notesEdit_ = nullptr;
   bool notesChanged_ = false;
   bool showingNotes_ = false;
   std::string notesPath_;     // the team file whose notes the editor shows
   std::string shownNotes_;    // the notes as last shown or saved
   std::string invitation_;
   CZOLTTeamTopology topology_;
   atl::ScopedBrush greyBrush_;
   atl::ScopedBrush slateBrush_;
   sigc::connection currentObjConnection_;
};
