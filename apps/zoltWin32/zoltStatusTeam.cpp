#include "zoltStatusTeam.h"

#include "zoltApp.h"
#include "zoltCommandId.h"
#include "zoltResources.h"
#include "zoltWndUtil.h"
#include "resource.h"

#include "cui/Error.h"
#include "cui/Registry.h"
#include "cui/Team.h"
#include "cui/TeamEditable.h"
#include "cui/TeamMgr.h"
#include "cui/VM.h"
#include "cui/WuiPrefs.h"
#include "tremapputil/ResString.h"
#include "tremorybase/Log.h"
#include "tremorybase/Text.h"

#include <algorithm>
#include <cstring>

namespace teampage {

unsigned PowerStateStringId(int onState, int offState, int suspendState)
{
   if (onState == 3) {
      return IDS_POWERED_ON;
   }
   if (offState == 3) {
      return IDS_POWERED_OFF;
   }
   if (suspendState == 3) {
      return IDS_SUSPENDED;
   }
   return IDS_POWER_MIXED;
}

bool IsPowerButtonEnabled(size_t vmCount, int onState)
{
   return vmCount > 0 && onState == 1;
}

namespace {

template <class Char>
bool CopyBounded(const std::basic_string<Char> &text, Char *buffer, int size)
{
   if (!buffer || size <= 0) {
      return false;
   }
   buffer[0] = 0;
   if (text.empty() || text.size() >= kInfoTipLimit) {
      return false;
   }
   size_t count = std::min(text.size(), static_cast<size_t>(size) - 1);
   std::memcpy(buffer, text.data(), count * sizeof(Char));
   buffer[count] = 0;
   return count > 0;
}

}  // namespace

bool CopyInfoTip(const std::string &text, char *buffer, int size)
{
   if (buffer && size > 0) {
      buffer[0] = 0;
   }
   if (!buffer || size <= 0 || text.empty() || text.size() >= kInfoTipLimit) {
      return false;
   }
   // Never a UTF-8 character cut in two.
   return atl::detail::CopyUtf8(text, buffer, size) > 0;
}

bool CopyInfoTip(const std::string &text, wchar_t *buffer, int size)
{
   return CopyBounded(WideFromUtf8(text), buffer, size);
}

bool IsNotesChange(const std::string &text, const std::string &invitation, const std::string &shown)
{
   return text != invitation && text != shown;
}

}  // namespace teampage

using namespace teampage;

namespace {

RECT ChildRect(HWND parent, HWND child)
{
   RECT rect = {};
   ::GetWindowRect(child, &rect);
   ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT *>(&rect), 2);
   return rect;
}

void SetText(HWND window, const std::string &text)
{
   if (window) {
      SetWindowTextUtf8(window, text);
   }
}

}  // namespace

CZOLTStatusTeam::~CZOLTStatusTeam()
{
   currentObjConnection_.disconnect();
   DisconnectAll(connections_);
}

cui::Team *CZOLTStatusTeam::FindTeam(const std::string &cfgPath)
{
   if (cfgPath.empty()) {
      return nullptr;
   }
   cui::TeamMgr *teams = cui::GetTeamMgr();
   return teams ? teams->GetTeamByCfgPath(cfgPath) : nullptr;
}

cui::VM *CZOLTStatusTeam::FindTeamVM(cui::Team *team, const std::string &vmPath) const
{
   if (!team || vmPath.empty()) {
      return nullptr;
   }
   for (cui::VM *vm : team->GetVMs()) {
      if (vm->GetVmPath() == vmPath) {
         return vm;
      }
   }
   return nullptr;
}

bool CZOLTStatusTeam::IsRestricted() const
{
   return gApp && gApp->IsCurrentVMGUIRestricted();
}

LRESULT CZOLTStatusTeam::OnInitDialog(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL &bHandled)
{
   greyBrush_.reset(::CreateSolidBrush(statuspage::kLabelColor));
   slateBrush_.reset(::CreateSolidBrush(statuspage::kNotesCaptionColor));
   Base::OnInitDialog(uMsg, wParam, lParam, bHandled);

   RECT place = {};
   if (HWND placeholder = Item(kTopology)) {
      place = ChildRect(m_hWnd, placeholder);
      ::DestroyWindow(placeholder);
   }

   power_.Attach(Item(kPowerButton), 12132, 12133, nullptr, IDC_HAND);
   edit_.Attach(Item(kEditButton), IDI_TEAM_EDIT, IDI_TEAM_EDIT_DISABLED, nullptr, IDC_HAND);
   commandsLabel_.Attach(Item(kCommandsLabel), IDB_STATUS_BAND, greyBrush_, false);
   detailsLabel_.Attach(Item(kDetailsLabel), IDB_STATUS_BAND, greyBrush_, false);
   topologyLabel_.Attach(Item(kTopologyLabel), IDB_STATUS_BAND, greyBrush_, false);
   if (topology_.Create(m_hWnd, kTopology, nullptr, place)) {
      HWND list = topology_.GetWindow();
      ::SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_INFOTIP, LVS_EX_INFOTIP);
      ::SetWindowLongW(list, GWL_STYLE, ::GetWindowLongW(list, GWL_STYLE) & ~WS_BORDER);
      ::SetWindowLongW(list, GWL_EXSTYLE, ::GetWindowLongW(list, GWL_EXSTYLE) & ~WS_EX_CLIENTEDGE);
      ::SetWindowPos(list, nullptr, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
   }
   separator_.Attach(Item(kSeparator), 0, slateBrush_, true);

   for (int id : {kCommandsLabel, kDetailsLabel, kTopologyLabel}) {
      ::SendMessageA(Item(id), WM_SETFONT, reinterpret_cast<WPARAM>(GetBoldFont()), TRUE);
   }
   for (int id : {kPowerCaption, kCurrentCaption, kFileCaption, kMembersCaption}) {
      ::SendMessageA(Item(id), WM_SETFONT, reinterpret_cast<WPARAM>(GetBoldFont()), FALSE);
   }

   title_ = Item(kTitle);
   powerValue_ = Item(kPowerValue);
   currentValue_ = Item(kCurrentValue);
   fileValue_ = Item(kFileValue);
   membersValue_ = Item(kMembersValue);
   notesEdit_ = Item(kNotes);
   invitation_ = LoadResString(IDS_TEAM_NOTES_INVITATION);
   notes_.Attach(notesEdit_, nullptr);
   notes_.SetInvitation(invitation_);
   notes_.SetLook(slateBrush_, slateBrush_, GetBoldFont());

   bool restricted = IsRestricted();
   for (int id : {kPowerButton, kEditButton}) {
      ::EnableWindow(Item(id), restricted ? FALSE : TRUE);
      ::SetWindowLongA(Item(id), GWL_STYLE, ::GetWindowLongA(Item(id), GWL_STYLE) | BS_RIGHT);
   }
   ComputeExtent();

   if (wui::Prefs *prefs = wui::GetPrefs()) {
      currentObjConnection_ =
         prefs->currentObjChanged.connect(sigc::mem_fun(*this, &CZOLTStatusTeam::OnCurrentObjChange));
   }
   OnCurrentObjChange();
   return 0;
}

void CZOLTStatusTeam::OnCurrentObjChange()
{
   wui::Prefs *prefs = wui::GetPrefs();
   if (!prefs || prefs->GetCurrentObjType() != "team") {
      return;
   }
   OnTeamChange(prefs->GetCurrentObjPath());
   cui::Team *team = FindTeam(cfgPath_);
   cui::VM *current = team ? team->GetCurrentVM() : nullptr;
   topology_.SelectVM(current ? current->GetVmPath() : std::string());
}

void CZOLTStatusTeam::OnTeamChange(const std::string &cfgPath)
{
   cfgPath_ = cfgPath;
   // Coming back to the same team connects again: what the last visit connected goes first.
   DisconnectAll(connections_);
   cui::Team *team = FindTeam(cfgPath_);
   if (team) {
      auto refresh = sigc::mem_fun(*this, &CZOLTStatusTeam::Refresh);
      connections_.push_back(team->nameChanged.connect(refresh));
      connections_.push_back(team->notesChanged.connect(refresh));
      connections_.push_back(team->powerStateChanged.connect(refresh));
      connections_.push_back(team->membersChanged.connect(refresh));
      connections_.push_back(team->netsChanged.connect(refresh));
      connections_.push_back(team->currentVMChanged.connect(refresh));
      Refresh();
   } else {
      ClearFields();
   }
   topology_.SetTeam(team);
   ShowNotesOf(team);
}

void CZOLTStatusTeam::ClearFields()
{
   for (HWND window : {title_, powerValue_, currentValue_, fileValue_, membersValue_}) {
      SetText(window, "");
   }
   ::EnableWindow(Item(kPowerButton), FALSE);
   ::EnableWindow(Item(kEditButton), FALSE);
}

void CZOLTStatusTeam::Refresh()
{
   cui::Team *team = FindTeam(cfgPath_);
   if (!m_hWnd || !team) {
      return;
   }
   SetText(title_, team->GetName());
   SetText(powerValue_, LoadResString(PowerStateStringId(team->GetPowerOnActionState(), team->GetPowerOffActionState(),
                                                          team->GetPowerSuspendActionState())));
   std::string current;
   if (cui::VM *vm = team->GetCurrentVM()) {
      current = vm->GetName();
   } else if (!team->GetVMs().empty()) {
      current = team->GetSortedVMList().front()->GetName();
   }
   SetText(currentValue_, current.empty() ? LoadResString(IDS_TEAM_NO_CURRENT_VM) : current);
   SetText(fileValue_, team->GetFilename());
   SetText(membersValue_, tremapputil::ResString(IDS_TEAM_MEMBER_COUNT)
                             .Format({static_cast<int>(team->GetMembers().size()),
                                      static_cast<int>(team->GetNets().size())}));

   bool restricted = IsRestricted();
   ::EnableWindow(Item(kPowerButton),
                  IsPowerButtonEnabled(team->GetVMs().size(), team->GetPowerOnActionState()) && !restricted);
   ::EnableWindow(Item(kEditButton), team->GetCanEditSettings() && !restricted);

   // Notes changed elsewhere show here unless the user is typing.
   if (!notesChanged_ && notesPath_ == team->GetFilename() && team->GetNotes() != shownNotes_) {
      ShowNotesText(team->GetNotes());
   }
}

void CZOLTStatusTeam::ShowNotesText(const std::string &notes)
{
   shownNotes_ = notes;
   showingNotes_ = true;
   notes_.ShowNotes(notes);
   showingNotes_ = false;
   notesChanged_ = false;
}

void CZOLTStatusTeam::ShowNotesOf(cui::Team *team)
{
   std::string path = team ? team->GetFilename() : std::string();
   if (path == notesPath_ && !path.empty()) {
      return;
   }
   // What was typed belongs to the team it was typed for.
   SaveNotes();
   notesPath_ = path;
   ShowNotesText(team ? team->GetNotes() : std::string());
}

LRESULT CZOLTStatusTeam::OnNotesChange(WORD, WORD, HWND, BOOL &)
{
   if (showingNotes_) {
      return 0;
   }
   notesChanged_ = true;
   ::KillTimer(m_hWnd, kNotesTimer);
   ::SetTimer(m_hWnd, kNotesTimer, kNotesDelayMs, nullptr);
   return 0;
}

LRESULT CZOLTStatusTeam::OnTimer(UINT, WPARAM wParam, LPARAM, BOOL &bHandled)
{
   if (wParam != kNotesTimer) {
      bHandled = FALSE;
      return 0;
   }
   ::KillTimer(m_hWnd, kNotesTimer);
   SaveNotes();
   return 0;
}

void CZOLTStatusTeam::SaveNotes()
{
   if (m_hWnd) {
      ::KillTimer(m_hWnd, kNotesTimer);
   }
   if (!notesChanged_) {
      return;
   }
   notesChanged_ = false;
   cui::Team *team = FindTeam(notesPath_);
   std::string text = notesEdit_ ? GetWindowTextUtf8(notesEdit_) : std::string();
   if (!team || !IsNotesChange(text, invitation_, shownNotes_)) {
      return;
   }
   shownNotes_ = text;
   std::string file = team->GetFilename();
   Log("CZOLTStatusTeam::SaveNotes %s\n", file.c_str());
   cui::TeamEditableSimple::Edit(
      team, [text](cui::TeamEditableSimple &editable) { editable.SetNotes(text); },
      [file](bool cancelled, cui::Error error) {
         if (!cancelled) {
            Warning("CZOLTStatusTeam::SaveNotes: the notes of %s were not saved: %s\n", file.c_str(), error.what());
         }
      },
      cui::DoneSlot());
}

LRESULT CZOLTStatusTeam::OnItemChanged(int, LPNMHDR header, BOOL &)
{
   const NMLISTVIEW *change = reinterpret_cast<const NMLISTVIEW *>(header);
   if (!(change->uChanged & LVIF_STATE) || !(change->uNewState & LVIS_SELECTED)) {
      return 0;
   }
   std::string path = topology_.GetSelectedVMPath();
   cui::Team *team = FindTeam(cfgPath_);
   if (!team || path.empty()) {
      return 0;
   }
   cui::VM *current = team->GetCurrentVM();
   if (!current || current->GetVmPath() != path) {
      if (cui::VM *vm = FindTeamVM(team, path)) {
         team->SetCurrentVM(vm);
      }
   }
   return 0;
}

LRESULT CZOLTStatusTeam::OnDblClick(int, LPNMHDR, BOOL &)
{
   cui::VM *vm = FindTeamVM(FindTeam(cfgPath_), topology_.GetSelectedVMPath());
   if (vm && gApp) {
      gApp->EditVMSettings(vm);
   }
   return 0;
}

LRESULT CZOLTStatusTeam::OnGetInfoTip(int, LPNMHDR header, BOOL &)
{
   if (header->code == LVN_GETINFOTIPW) {
      NMLVGETINFOTIPW *tip = reinterpret_cast<NMLVGETINFOTIPW *>(header);
      CopyInfoTip(topology_.GetTipText(tip->iItem), tip->pszText, tip->cchTextMax);
   } else {
      NMLVGETINFOTIPA *tip = reinterpret_cast<NMLVGETINFOTIPA *>(header);
      CopyInfoTip(topology_.GetTipText(tip->iItem), tip->pszText, tip->cchTextMax);
   }
   return 0;
}

LRESULT CZOLTStatusTeam::OnContextMenu(UINT, WPARAM wParam, LPARAM lParam, BOOL &bHandled)
{
   HWND list = topology_.GetWindow();
   if (!list || reinterpret_cast<HWND>(wParam) != list) {
      bHandled = FALSE;
      return 0;
   }
   POINT screen = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
   LVHITTESTINFO hit = {};
   hit.pt = screen;
   ::ScreenToClient(list, &hit.pt);
   int row = static_cast<int>(::SendMessageW(list, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
   if (row < 0 || !topology_.GetControl()) {
      return 0;
   }
   topology_.GetControl()->put_Selection(row);
   std::string path = topology_.GetVMPathAt(row);
   HMENU menu = ::LoadMenuW(GetResourceInstance(), MAKEINTRESOURCEW(IDR_MENU_VM));
   HMENU popup = menu ? ::GetSubMenu(menu, 0) : nullptr;
   if (path.empty() || !popup || !gApp) {
      if (menu) {
         ::DestroyMenu(menu);
      }
      return 0;
   }
   _bstr_t vmPath(BstrFromUtf8(path), false);
   for (int i = 0; i < ::GetMenuItemCount(popup);) {
      UINT id = ::GetMenuItemID(popup, i);
      bool removed = false;
      if (id != 0 && id != static_cast<UINT>(-1)) {
         try {
            removed = gApp->UpdateMenuItemState(popup, static_cast<CommandId>(id), kSourceVMPopup, vmPath);
         } catch (const cui::Error &error) {
            Warning("CZOLTStatusTeam::OnContextMenu: item %u: %s\n", id, error.what());
         }
      }
      if (!removed) {
         ++i;
      }
   }
   UINT chosen = static_cast<UINT>(
      ::TrackPopupMenu(popup, TPM_RETURNCMD | TPM_RIGHTBUTTON, screen.x, screen.y, 0, m_hWnd, nullptr));
   ::DestroyMenu(menu);
   if (chosen) {
      gApp->MenuButtonClicked(static_cast<CommandId>(chosen), vmPath, kSourceVMPopup);
   }
   return 0;
}

LRESULT CZOLTStatusTeam::OnPowerTeam(WORD, WORD, HWND, BOOL &)
{
   cui::Team *team = FindTeam(cfgPath_);
   if (!team) {
      return 0;
   }
   Log("CZOLTStatusTeam::OnPowerTeam clicked\n");
   if (gApp) {
      _bstr_t file(BstrFromUtf8(team->GetFilename()), false);
      gApp->OnTeamCommand(IDM_TEAM_POWER_ON, file, kSourceMenuBar);
   }
   return 0;
}

LRESULT CZOLTStatusTeam::OnEditTeam(WORD, WORD, HWND, BOOL &)
{
   cui::Team *team = FindTeam(cfgPath_);
   if (!team) {
      return 0;
   }
   Log("CZOLTStatusTeam::OnEditTeam clicked\n");
   if (gApp) {
      gApp->EditTeam(team);
   }
   return 0;
}

void CZOLTStatusTeam::StretchWidth(HWND window, LONG clientWidth)
{
   if (!window) {
      return;
   }
   RECT rect = ChildRect(m_hWnd, window);
   LONG right = statuspage::StretchedEdge(rect.left, clientWidth);
   ::SetWindowPos(window, nullptr, 0, 0, right - rect.left, rect.bottom - rect.top,
                  SWP_NOMOVE | SWP_NOZORDER | SWP_NOOWNERZORDER);
}

void CZOLTStatusTeam::StretchHeight(HWND window, LONG clientHeight)
{
   if (!window) {
      return;
   }
   RECT rect = ChildRect(m_hWnd, window);
   LONG bottom = statuspage::StretchedEdge(rect.top, clientHeight);
   ::SetWindowPos(window, nullptr, 0, 0, rect.right - rect.left, bottom - rect.top,
                  SWP_NOMOVE | SWP_NOZORDER | SWP_NOOWNERZORDER);
}

LRESULT CZOLTStatusTeam::OnSize(UINT, WPARAM, LPARAM lParam, BOOL &)
{
   LONG width = LOWORD(lParam);
   LONG height = HIWORD(lParam);
   for (HWND window : {title_, powerValue_, currentValue_, fileValue_, membersValue_, Item(kTopologyLabel)}) {
      StretchWidth(window, width);
   }
   StretchHeight(notesEdit_, height);
   StretchHeight(Item(kSeparator), height);
   if (HWND list = topology_.GetWindow()) {
      RECT rect = ChildRect(m_hWnd, list);
      LONG right = statuspage::StretchedEdge(rect.left, width);
      LONG bottom = statuspage::StretchedEdge(rect.top, height);
      ::SetWindowPos(list, nullptr, 0, 0, right - rect.left, bottom - rect.top,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOOWNERZORDER);
   }
   return 0;
}

LRESULT CZOLTStatusTeam::OnDestroy(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL &bHandled)
{
   notify_callbacks();
   currentObjConnection_.disconnect();
   SaveNotes();
   OnTeamChange("");
   greyBrush_.reset();
   slateBrush_.reset();
   return Base::OnDestroy(uMsg, wParam, lParam, bHandled);
}
