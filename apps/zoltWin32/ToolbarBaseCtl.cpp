#include "ToolbarBaseCtl.h"

#include "zoltAppDb.h"
#include "zoltResources.h"
#include "zoltWndUtil.h"

#include "cui/Error.h"
#include "cui/Registry.h"
#include "cui/Team.h"
#include "cui/TeamMgr.h"
#include "cui/VM.h"
#include "cui/VMMgr.h"
#include "cui/WuiPrefs.h"
#include "tremorybase/Log.h"
#include "tremorybase/Text.h"

#include <comdef.h>

#include <algorithm>
#include <cwchar>

void CopyTruncated(wchar_t *buffer, size_t size, const std::string &text)
{
   if (!buffer || size == 0) {
      return;
   }
   std::wstring wide = WideFromUtf8(text);
   size_t count = std::min(wide.size(), size - 1);
   if (count > 0 && count < wide.size() && IS_HIGH_SURROGATE(wide[count - 1])) {
      --count;
   }
   wmemcpy(buffer, wide.data(), count);
   buffer[count] = L'\0';
}

std::vector<int> RepairToolbarItems(const std::vector<int> &stored, const std::vector<int> &known,
                                    const std::vector<int> &defaults)
{
   std::vector<int> repaired;
   bool anyButton = false;
   for (int item : stored) {
      if (item == CToolbarBaseCtl::kSeparatorItem) {
         repaired.push_back(item);
         continue;
      }
      bool isKnown = std::find(known.begin(), known.end(), item) != known.end();
      bool seen = std::find(repaired.begin(), repaired.end(), item) != repaired.end();
      if (isKnown && !seen) {
         repaired.push_back(item);
         anyButton = true;
      }
   }
   return anyButton ? repaired : defaults;
}

CToolbarBaseCtl::CToolbarBaseCtl() = default;

CToolbarBaseCtl::~CToolbarBaseCtl()
{
   // The window normally goes first (WM_DESTROY frees these); a toolbar never shown frees them here.
   for (HIMAGELIST *list : {&normalImages_, &disabledImages_, &hotImages_}) {
      if (*list) {
         ImageList_Destroy(*list);
         *list = nullptr;
      }
   }
}

HWND CToolbarBaseCtl::CreateToolbar(HWND parent, DWORD style)
{
   HWND toolbar = CreateWindowExW(0, TOOLBARCLASSNAMEW, nullptr, style, 0, 0, 0, 0, parent, nullptr,
                                  GetResourceInstance(), nullptr);
   if (!toolbar) {
      return nullptr;
   }
   ::SendMessage(toolbar, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
   ::SendMessage(toolbar, TB_SETEXTENDEDSTYLE, 0, TBSTYLE_EX_DRAWDDARROWS | TBSTYLE_EX_MIXEDBUTTONS);
   if (!SubclassWindow(toolbar)) {
      ::DestroyWindow(toolbar);
      return nullptr;
   }
   return toolbar;
}

void CToolbarBaseCtl::SetImageLists(const UINT *normal, const UINT *disabled, const UINT *hot, int count)
{
   HINSTANCE module = GetResourceInstance();
   if (normal && (normalImages_ = CreateIconImageList(module, normal, count))) {
      SendMessage(TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(normalImages_));
   }
   if (disabled && (disabledImages_ = CreateIconImageList(module, disabled, count))) {
      SendMessage(TB_SETDISABLEDIMAGELIST, 0, reinterpret_cast<LPARAM>(disabledImages_));
   }
   if (hot && (hotImages_ = CreateIconImageList(module, hot, count))) {
      SendMessage(TB_SETHOTIMAGELIST, 0, reinterpret_cast<LPARAM>(hotImages_));
   }
}

ToolbarButton *CToolbarBaseCtl::AddButton(CommandId command, int item, int image, UINT stringId)
{
   ToolbarButton *button = AddButton(command, item, image, nullptr, 0);
   button->text = LoadResString(stringId);
   return button;
}

ToolbarButton *CToolbarBaseCtl::AddButton(CommandId command, int item, int image, const char *text, BYTE style)
{
   auto record = std::make_unique<ToolbarButton>();
   record->command = command;
   record->item = item;
   record->text = text ? text : "";
   record->button.iBitmap = image;
   record->button.idCommand = command;
   record->button.fsState = TBSTATE_ENABLED;
   record->button.fsStyle = style;
   record->button.dwData = reinterpret_cast<DWORD_PTR>(record.get());
   record->button.iString = 0;
   if ((style & BTNS_SHOWTEXT) && m_hWnd) {
      // TB_ADDSTRING takes a list ended by two zeros.
      std::wstring list = WideFromUtf8(record->text);
      list.push_back(L'\0');
      record->button.iString =
          static_cast<INT_PTR>(SendMessage(TB_ADDSTRINGW, 0, reinterpret_cast<LPARAM>(list.c_str())));
   }
   buttons_.push_back(std::move(record));
   return buttons_.back().get();
}

void CToolbarBaseCtl::InsertItem(int position, int item)
{
   if (!m_hWnd) {
      return;
   }
   if (item == kSeparatorItem) {
      TBBUTTON separator = {};
      separator.iBitmap = kSeparatorWidth;
      separator.idCommand = -1;
      separator.fsStyle = TBSTYLE_SEP;
      separator.iString = -1;
      SendMessage(TB_INSERTBUTTONW, position, reinterpret_cast<LPARAM>(&separator));
      return;
   }
   ToolbarButton *record = FindItem(item);
   if (!record) {
      return;
   }
   if (SendMessage(TB_INSERTBUTTONW, position, reinterpret_cast<LPARAM>(&record->button))) {
      record->position = position;
   }
}

int CToolbarBaseCtl::GetToolbarWidth(HWND toolbar)
{
   if (!toolbar) {
      return 0;
   }
   int width = 0;
   int count = static_cast<int>(::SendMessage(toolbar, TB_BUTTONCOUNT, 0, 0));
   for (int i = 0; i < count; ++i) {
      RECT rect = {};
      if (::SendMessage(toolbar, TB_GETITEMRECT, i, reinterpret_cast<LPARAM>(&rect))) {
         width += rect.right - rect.left;
      }
   }
   return width;
}

void CToolbarBaseCtl::AutoSizeBand()
{
   HWND rebar = m_hWnd ? GetParent() : nullptr;
   if (!rebar) {
      return;
   }
   int index = static_cast<int>(::SendMessage(rebar, RB_IDTOINDEX, GetToolbarType(), 0));
   if (index < 0) {
      return;
   }
   REBARBANDINFOW band = {};
   band.cbSize = sizeof band;
   band.fMask = RBBIM_CHILDSIZE;
   band.cxMinChild = GetToolbarWidth(m_hWnd);
   band.cyMinChild = kBandHeight;
   band.cyChild = kBandHeight;
   band.cyMaxChild = kBandHeight;
   band.cyIntegral = 1;
   ::SendMessageW(rebar, RB_SETBANDINFOW, index, reinterpret_cast<LPARAM>(&band));
}

void CToolbarBaseCtl::SaveItems()
{
   wui::Prefs *prefs = wui::GetPrefs();
   if (customizing_ || GetToolbarType() == wui::Prefs::TOOLBAR_QUICK_SWITCH || !m_hWnd || !prefs) {
      return;
   }
   std::vector<int> items;
   int count = static_cast<int>(SendMessage(TB_BUTTONCOUNT));
   for (int i = 0; i < count; ++i) {
      TBBUTTON button = {};
      if (!SendMessage(TB_GETBUTTON, i, reinterpret_cast<LPARAM>(&button))) {
         continue;
      }
      auto *record = reinterpret_cast<ToolbarButton *>(button.dwData);
      if ((button.fsStyle & TBSTYLE_SEP) || !record) {
         items.push_back(kSeparatorItem);
      } else {
         items.push_back(record->item);
         record->position = i;
      }
   }
   try {
      prefs->SetToolbarItems(GetToolbarType(), items);
   } catch (const cui::Error &error) {
      Warning("CToolbarBaseCtl::SaveItems failed: %s\n", error.what());
   }
   AutoSizeBand();
}

bool CToolbarBaseCtl::OwnsCommand(CommandId command) const
{
   return FindButton(command) != nullptr;
}

ToolbarButton *CToolbarBaseCtl::FindButton(CommandId command) const
{
   for (const auto &record : buttons_) {
      if (record->command == command) {
         return record.get();
      }
   }
   return nullptr;
}

ToolbarButton *CToolbarBaseCtl::FindItem(int item) const
{
   for (const auto &record : buttons_) {
      if (record->item == item) {
         return record.get();
      }
   }
   return nullptr;
}

void CToolbarBaseCtl::SetButtonState(CommandId command, bool enabled, bool pushed)
{
   ToolbarButton *record = FindButton(command);
   if (!m_hWnd || !record) {
      return;
   }
   WORD state = record->state != ToolbarButton::kComputedState
                    ? record->state
                    : static_cast<WORD>((pushed ? TBSTATE_CHECKED : 0) | (enabled ? TBSTATE_ENABLED : 0));
   SendMessage(TB_SETSTATE, command, MAKELONG(state, 0));
}

bool CToolbarBaseCtl::GetTooltipText(CommandId command, std::string &text)
{
   if (!OwnsCommand(command)) {
      return false;
   }
   text = LoadResString(command);
   return true;
}

bool CToolbarBaseCtl::FillTooltip(NMTTDISPINFOW *info)
{
   std::string text;
   if (!info || !GetTooltipText(static_cast<CommandId>(info->hdr.idFrom), text)) {
      return false;
   }
   info->lpszText = info->szText;
   info->hinst = nullptr;
   CopyTruncated(info->szText, sizeof info->szText / sizeof info->szText[0], text);
   return true;
}

HWND CToolbarBaseCtl::CreateWithItems(HWND rebar, DWORD style, const UINT *normal, const UINT *disabled,
                                      const UINT *hot, int imageCount, const std::vector<int> &defaults)
{
   if (!CreateToolbar(rebar, style)) {
      return nullptr;
   }
   SetImageLists(normal, disabled, hot, imageCount);
   AddButtons();
   std::vector<int> known;
   for (const auto &record : buttons_) {
      known.push_back(record->item);
   }
   defaults_ = defaults;
   for (const auto &record : buttons_) {
      record->isDefault = std::find(defaults.begin(), defaults.end(), record->item) != defaults.end();
   }
   std::vector<int> items = defaults;
   if (wui::Prefs *prefs = wui::GetPrefs()) {
      std::vector<int> stored;
      prefs->GetToolbarItems(GetToolbarType(), stored);
      if (!stored.empty()) {
         items = RepairToolbarItems(stored, known, defaults);
      }
   }
   for (size_t i = 0; i < items.size(); ++i) {
      InsertItem(static_cast<int>(i), items[i]);
   }
   return m_hWnd;
}

void CToolbarBaseCtl::EmitClicked(ToolbarButtonCode code, const char *who)
{
   try {
      clicked.emit(code);
   } catch (const _com_error &error) {
      Warning("%s::OnCommand failed: %s\n", who, zoltdb::ComText(error).c_str());
   }
}

cui::VM *CToolbarBaseCtl::FindCurrentVM(cui::Team **team, bool *isTeam)
{
   if (team) {
      *team = nullptr;
   }
   if (isTeam) {
      *isTeam = false;
   }
   wui::Prefs *prefs = wui::GetPrefs();
   cui::VMMgr *vmMgr = cui::GetVMMgr();
   if (!prefs || !vmMgr || prefs->GetCurrentObj().empty()) {
      return nullptr;
   }
   std::string type = prefs->GetCurrentObjType();
   std::string path = prefs->GetCurrentObjPath();
   if (type == "vm") {
      return vmMgr->GetVMByVMPath(path);
   }
   if (type == "team") {
      if (isTeam) {
         *isTeam = true;
      }
      cui::TeamMgr *teamMgr = cui::GetTeamMgr();
      cui::Team *found = teamMgr ? teamMgr->GetTeamByCfgPath(path) : nullptr;
      if (team) {
         *team = found;
      }
      cui::VM *current = found ? found->GetCurrentVM() : nullptr;
      return current ? vmMgr->GetVMByVMPath(current->GetVmPath()) : nullptr;
   }
   return nullptr;
}

void CToolbarBaseCtl::TrackCurrentObject()
{
   DisconnectAll(connections_);
   vm_ = FindCurrentVM(&team_, &isTeam_);
   if (team_) {
      connections_.push_back(team_->changed.connect(sigc::mem_fun(*this, &CToolbarBaseCtl::UpdateButtons)));
   }
   if (vm_) {
      connections_.push_back(vm_->changed.connect(sigc::mem_fun(*this, &CToolbarBaseCtl::UpdateButtons)));
      connections_.push_back(vm_->actionStateChanged.connect(sigc::mem_fun(*this, &CToolbarBaseCtl::UpdateButtons)));
   }
   if (cui::VMMgr *vmMgr = cui::GetVMMgr()) {
      // The machine may go before the next current-object change: never keep a pointer to it.
      connections_.push_back(vmMgr->vmRemoved.connect([this](cui::VM *removed) {
         if (removed == vm_ || (team_ && removed == team_->GetCurrentVM())) {
            ForgetVM();
            UpdateButtons();
         }
      }));
   }
   UpdateButtons();
}

void CToolbarBaseCtl::ForgetVM()
{
   DisconnectAll(connections_);
   vm_ = nullptr;
   team_ = nullptr;
}

void CToolbarBaseCtl::FollowCurrentObject()
{
   if (wui::Prefs *prefs = wui::GetPrefs()) {
      currentObjConnection_ =
          prefs->currentObjChanged.connect(sigc::mem_fun(*this, &CToolbarBaseCtl::TrackCurrentObject));
   }
   TrackCurrentObject();
}

LRESULT CToolbarBaseCtl::OnReflectedNotify(UINT, WPARAM, LPARAM lParam, BOOL &bHandled)
{
   auto *header = reinterpret_cast<NMHDR *>(lParam);
   if (header->hwndFrom != m_hWnd) {
      bHandled = FALSE;
      return 0;
   }
   switch (header->code) {
   case TBN_QUERYINSERT:
   case TBN_QUERYDELETE:
      UpdateButtons();
      return TRUE;
   case TBN_INITCUSTOMIZE:
      return TBNRF_HIDEHELP;
   case TBN_GETBUTTONINFOW: {
      auto *info = reinterpret_cast<NMTOOLBARW *>(lParam);
      if (info->iItem < 0 || static_cast<size_t>(info->iItem) >= buttons_.size()) {
         return FALSE;
      }
      ToolbarButton *record = buttons_[info->iItem].get();
      info->tbButton = record->button;
      if (info->pszText && info->cchText > 0) {
         CopyTruncated(info->pszText, static_cast<size_t>(info->cchText), record->text);
      }
      return TRUE;
   }
   case TBN_BEGINADJUST:
      for (auto &record : buttons_) {
         record->position = -1;
      }
      customizing_ = true;
      return 0;
   case TBN_ENDADJUST:
      customizing_ = false;
      SaveItems();
      UpdateButtons();
      return 0;
   case TBN_RESET: {
      for (int i = static_cast<int>(SendMessage(TB_BUTTONCOUNT)) - 1; i >= 0; --i) {
         SendMessage(TB_DELETEBUTTON, i);
      }
      int position = 0;
      for (auto &record : buttons_) {
         if (!record->isDefault) {
            continue;
         }
         if (record->item == 6 || record->item == 19) {
            InsertItem(position++, kSeparatorItem);
         }
         InsertItem(position++, record->item);
      }
      return 0;
   }
   case TBN_TOOLBARCHANGE:
      SaveItems();
      return 0;
   default:
      bHandled = FALSE;
      return 0;
   }
}

LRESULT CToolbarBaseCtl::OnDestroy(UINT, WPARAM, LPARAM, BOOL &bHandled)
{
   ForgetVM();
   currentObjConnection_.disconnect();
   notify_callbacks();
   for (HIMAGELIST *list : {&normalImages_, &disabledImages_, &hotImages_}) {
      if (*list) {
         ImageList_Destroy(*list);
         *list = nullptr;
      }
   }
   buttons_.clear();
   // The toolbar's own procedure still has to destroy its buttons.
   bHandled = FALSE;
   return 0;
}
