#include "zoltStatusBase.h"

#include "zoltApp.h"
#include "zoltCommandId.h"
#include "zoltWndUtil.h"
#include "resource.h"

#include "cui/MVMTMgr.h"
#include "cui/VM.h"
#include "cui/VMMgr.h"
#include "cui/WuiPrefs.h"
#include "tremorybase/Log.h"
#include "tremorybase/Text.h"

#include <algorithm>
#include <vector>

namespace statuspage {

COLORREF TextColorFor(int controlId)
{
   switch (controlId) {
   case kTitleId:
   case kHeadingId:
   case kHintId:
   case kSectionId:
      return kHeadingColor;
   case kWarningId:
      return kWarningColor;
   default:
      return RGB(0, 0, 0);
   }
}

FontHeights BoldFontHeights(LONG h)
{
   // Integer division of C++ truncates toward zero, as the heights must.
   return FontHeights{h, (h * 3) / 2, (h * 6) / 5};
}

void GrowExtent(SIZE &extent, const RECT &child)
{
   extent.cx = std::max<LONG>(extent.cx, child.right);
   extent.cy = std::max<LONG>(extent.cy, child.bottom);
}

LONG StretchedEdge(LONG nearEdge, LONG clientSize)
{
   return std::max<LONG>(clientSize - 10, nearEdge + 100);
}

PageCommand CommandOfButton(int controlId)
{
   switch (controlId) {
   case 1055:
   case 1261:
      return PageCommand::kNewVMAndOpen;
   case 1056:
      return PageCommand::kOpenVM;
   case 1057:
      return PageCommand::kConnectToHost;
   case 1058:
      return PageCommand::kEditHostSettings;
   case 1064:
      return PageCommand::kVMSettings;
   case 1096:
   case 1262:
      return PageCommand::kNewTeam;
   case 1106:
      return PageCommand::kNewZephroTemplate;
   case 1107:
   case 1214:
      return PageCommand::kOpenFile;
   default:
      return PageCommand::kNone;
   }
}

bool IsPageButton(int controlId)
{
   static const int kIds[] = {1055, 1096, 1056, 1214, 1057, 1058, 1064, 1106, 1261, 1262, 1107, 1073, 274};
   return std::find(std::begin(kIds), std::end(kIds), controlId) != std::end(kIds);
}

bool IsKeyLeftToControl(const MSG &msg)
{
   return msg.message == WM_KEYDOWN && (msg.wParam == VK_RETURN || msg.wParam == VK_SPACE);
}

namespace {

// The machine whose settings button 1064 opens: the current machine, or the machine of the
// current managed template.
cui::VM *SettingsMachine()
{
   wui::Prefs *prefs = wui::GetPrefs();
   if (!prefs || prefs->GetCurrentObj().empty()) {
      return nullptr;
   }
   std::string type = prefs->GetCurrentObjType();
   std::string path = prefs->GetCurrentObjPath();
   if (type == "vm") {
      cui::VMMgr *vmMgr = cui::GetVMMgr();
      return vmMgr ? vmMgr->GetVMByVMPath(path) : nullptr;
   }
   if (type == "mvmt") {
      cui::MVMTMgr *mvmtMgr = cui::GetMVMTMgr();
      return mvmtMgr ? mvmtMgr->GetMVMTByFilename(path) : nullptr;
   }
   return nullptr;
}

void RunCommand(CommandId id, const std::string &path, CommandSource source)
{
   _bstr_t target(path.c_str());
   gApp->MenuButtonClicked(id, target, source);
}

}  // namespace

void RunPageButton(int controlId)
{
   Log("CZOLTStatusBase::OnButton %d\n", controlId);
   if (!gApp) {
      return;
   }
   switch (CommandOfButton(controlId)) {
   case PageCommand::kNewVMAndOpen:
      RunCommand(IDM_FILE_NEW_VM, "", kSourceMenuBar);
      break;
   case PageCommand::kOpenVM:
   case PageCommand::kOpenFile:
      RunCommand(IDM_FILE_OPEN, "", kSourceMenuBar);
      break;
   case PageCommand::kConnectToHost: {
      _bstr_t dest(""), user(""), password("");
      gApp->ConnectToHost(dest, user, password, false);
      break;
   }
   case PageCommand::kEditHostSettings:
      RunCommand(IDM_HOST_SETTINGS, "", kSourceMenuBar);
      break;
   case PageCommand::kVMSettings:
      if (cui::VM *vm = SettingsMachine()) {
         if (vm->GetCanDoVMSettings()) {
            RunCommand(IDM_VM_SETTINGS, vm->GetVmPath(), kSourceVMPopup);
         }
      }
      break;
   case PageCommand::kNewTeam:
      RunCommand(IDM_FILE_NEW_TEAM, "", kSourceMenuBar);
      break;
   case PageCommand::kNewZephroTemplate:
      RunCommand(IDM_FILE_NEW_ZEPHRO_TEMPLATE, "", kSourceMenuBar);
      break;
   case PageCommand::kNone:
      break;
   }
}

void SetTextAndFit(HWND window, const std::string &text)
{
   if (!window) {
      return;
   }
   SIZE size = {};
   const std::wstring wide = WideFromUtf8(text);
   {
      atl::ScopedWindowDC dc(window);
      atl::ScopedSelection font(dc, reinterpret_cast<HGDIOBJ>(::SendMessageW(window, WM_GETFONT, 0, 0)));
      ::GetTextExtentPoint32W(dc, wide.c_str(), static_cast<int>(wide.size()), &size);
   }
   ::SetWindowTextW(window, wide.c_str());
   ::SetWindowPos(window, nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void SetWrappedText(HWND window, const std::string &text)
{
   if (!window) {
      return;
   }
   RECT client = {};
   ::GetClientRect(window, &client);
   RECT bounds = {0, 0, client.right, 0};
   {
      atl::ScopedWindowDC dc(window);
      atl::ScopedSelection font(dc, reinterpret_cast<HGDIOBJ>(::SendMessageW(window, WM_GETFONT, 0, 0)));
      DrawTextUtf8(dc, text, &bounds, DT_WORDBREAK | DT_CALCRECT | DT_EDITCONTROL);
   }
   SetWindowTextUtf8(window, text);
   ::SetWindowPos(window, nullptr, 0, 0, 450, bounds.bottom - bounds.top, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

IVmdbContextPtr NewPageContext()
{
   if (!gApp) {
      return nullptr;
   }
   IVmdbContextPtr appCtx = gApp->GetContext();
   if (!appCtx) {
      return nullptr;
   }
   IVmdbDatabasePtr db = appCtx->GetDatabase();
   return db ? db->NewContext() : nullptr;
}

}  // namespace statuspage
