#include "zoltFrame.h"

#include "CommandLineParser.h"
#include "zoltApp.h"
#include "zoltCommandLine.h"
#include "zoltMsg.h"
#include "zoltResources.h"

#include "cui/cui.h"
#include "tremorybase/Log.h"
#include "tremorybase/Poll.h"

#include <cstring>

namespace {

const char kPlacement[] = "val/zolt/placement/";
const char kNavbarWidth[] = "val/zolt/view/navBar/width";

struct Placement {
   long left, top, right, bottom;
};

Placement ReadPlacement(const vmdb::Ctx &ctx, const std::string &root)
{
   std::string base = root + kPlacement;
   return Placement{ctx.GetInt(base + "left", 0), ctx.GetInt(base + "top", 0), ctx.GetInt(base + "right", 0),
                    ctx.GetInt(base + "bottom", 0)};
}

}  // namespace

bool ReadCopyDataText(const COPYDATASTRUCT *data, std::string &text)
{
   if (!data || !data->lpData || data->cbData == 0) {
      return false;
   }
   // A sender's text must end within the bytes it says it sent: never read past cbData.
   const char *bytes = static_cast<const char *>(data->lpData);
   const void *end = memchr(bytes, '\0', data->cbData);
   if (!end) {
      return false;
   }
   text.assign(bytes, static_cast<const char *>(end) - bytes);
   return true;
}

LRESULT AnswerHandOff(ULONG_PTR dwData, const std::string &commandLine)
{
   if (dwData != 0 && dwData != 1) {
      return 0;
   }
   CommandLineOptions options;
   if (ParseCommandLine(commandLine.c_str(), false, options) != PARSE_GO_ON || !gApp) {
      return 0;
   }
   if (dwData == 0) {
      return gApp->CanHandleCommandLine(options) ? 1 : 0;
   }
   return gApp->OpenFromOptions(options, true) ? 1 : 0;
}

CZOLTFrame::CZOLTFrame() = default;

CZOLTFrame::~CZOLTFrame()
{
   DestroyImages(largeIcon_, smallIcon_);
}

HWND CZOLTFrame::CreateFrame(const char *title)
{
   // The layer's default rectangle gives CW_USEDEFAULT for position and size.
   return Create(nullptr, &CWindow::rcDefault, title, kStyle, 0);
}

bool CZOLTFrame::HasOtherFrame() const
{
   for (HWND wnd = FindWindowExA(nullptr, nullptr, "ZOLTFrame", nullptr); wnd;
        wnd = FindWindowExA(nullptr, wnd, "ZOLTFrame", nullptr)) {
      if (wnd != m_hWnd) {
         return true;
      }
   }
   return false;
}

void CZOLTFrame::RestorePlacement()
{
   WINDOWPLACEMENT placement = {};
   placement.length = sizeof placement;
   ::GetWindowPlacement(m_hWnd, &placement);
   if (cui::Prefs *prefs = cui::GetPrefs()) {
      Placement saved = ReadPlacement(prefs->GetCtx(), prefs->GetRequestPath());
      RECT rect = {saved.left, saved.top, saved.right, saved.bottom};
      if (!IsRectEmpty(&rect)) {
         RECT &normal = placement.rcNormalPosition;
         if (HasOtherFrame()) {
            // Another frame already stands there: keep the system's position, take the size.
            normal.right = normal.left + (rect.right - rect.left);
            normal.bottom = normal.top + (rect.bottom - rect.top);
         } else {
            normal = rect;
         }
      }
   }
   placement.flags = 0;
   placement.showCmd = SW_SHOWNORMAL;
   ::SetWindowPlacement(m_hWnd, &placement);
}

void CZOLTFrame::SavePlacement(bool keepSize)
{
   WINDOWPLACEMENT placement = {};
   placement.length = sizeof placement;
   cui::Prefs *prefs = cui::GetPrefs();
   if (!prefs || !::GetWindowPlacement(m_hWnd, &placement)) {
      return;
   }
   vmdb::Ctx &ctx = prefs->GetCtx();
   const std::string root = prefs->GetRequestPath();
   RECT rect = placement.rcNormalPosition;
   if (keepSize) {
      Placement saved = ReadPlacement(ctx, root);
      rect.right = rect.left + (saved.right - saved.left);
      rect.bottom = rect.top + (saved.bottom - saved.top);
   }
   // No side bar yet: its width stays what the preferences hold.
   long navbarWidth = ctx.GetInt(root + kNavbarWidth, kDefaultNavbarWidth);
   vmdb::Batch batch(ctx);
   std::string base = root + kPlacement;
   ctx.Set(base + "left", vmdb::Value(static_cast<long>(rect.left)));
   ctx.Set(base + "top", vmdb::Value(static_cast<long>(rect.top)));
   ctx.Set(base + "right", vmdb::Value(static_cast<long>(rect.right)));
   ctx.Set(base + "bottom", vmdb::Value(static_cast<long>(rect.bottom)));
   ctx.Set(root + kNavbarWidth, vmdb::Value(navbarWidth));
}

BOOL CZOLTFrame::PreTranslateMessage(MSG *msg)
{
   wui::DlgMgr *dlgMgr = wui::GetDlgMgr();
   return dlgMgr && dlgMgr->PreTranslateMessage(msg, false);
}

void CZOLTFrame::CallConsoleCtl()
{
   // There is no view with a console control yet: nothing to call.
}

void CZOLTFrame::RecalcLayout(bool, bool)
{
   if (inLayout_ || !created_ || IsIconic()) {
      return;
   }
   inLayout_ = true;
   // There are no children to place yet; the window is always in its normal mode.
   canFitWindow_ = !IsZoomed();
   // Only a shown window has a placement worth keeping: the sizes seen while it is created
   // would overwrite the saved placement before RestorePlacement reads it.
   if (IsWindowVisible()) {
      SavePlacement(false);
   }
   inLayout_ = false;
}

LRESULT CZOLTFrame::OnCreate(UINT, WPARAM, LPARAM, BOOL &)
{
   if (gApp && gApp->GetContext()) {
      ctx_ = gApp->GetContext()->GetDatabase()->NewContext();
   }
   LoadEditionImage(largeIcon_, smallIcon_);
   SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(largeIcon_));
   SendMessage(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon_));
   created_ = true;
   RecalcLayout(false, true);
   return 0;
}

LRESULT CZOLTFrame::OnDestroy(UINT, WPARAM, LPARAM, BOOL &)
{
   notify_callbacks();
   ReleaseEventSource();
   ctx_ = nullptr;
   KillTimer(kPollTimer);
   created_ = false;
   return 0;
}

LRESULT CZOLTFrame::OnClose(UINT, WPARAM, LPARAM, BOOL &)
{
   // The application ends the session and then destroys this window.
   if (gApp) {
      gApp->Exit();
   }
   return 0;
}

LRESULT CZOLTFrame::OnSize(UINT, WPARAM, LPARAM, BOOL &)
{
   RecalcLayout(false, true);
   return 0;
}

LRESULT CZOLTFrame::OnCopyData(UINT, WPARAM, LPARAM lParam, BOOL &)
{
   const COPYDATASTRUCT *data = reinterpret_cast<const COPYDATASTRUCT *>(lParam);
   std::string text;
   if (!ReadCopyDataText(data, text)) {
      Warning("CZOLTFrame::OnCopyData: refused data without a terminating zero\n");
      return 0;
   }
   // A password given with -w never reaches the log.
   std::string shown = data->dwData == 1 ? CommandLineParser::TextForLog(text.c_str()) : std::string();
   Warning("CZOLTFrame::OnCopyData %s\n", shown.c_str());
   return AnswerHandOff(data->dwData, text);
}

LRESULT CZOLTFrame::OnEnable(UINT, WPARAM wParam, LPARAM, BOOL &)
{
   enabled_ = wParam != 0;
   // A modal dialog runs its own loop: keep the poll loop's timers and callbacks going.
   if (enabled_) {
      KillTimer(kPollTimer);
   } else {
      SetTimer(kPollTimer, kPollTimerMs);
   }
   return 0;
}

LRESULT CZOLTFrame::OnPollStep(UINT, WPARAM, LPARAM, BOOL &)
{
   // Inside another loop: run what is due without sleeping.
   Poll_Step(0);
   return 0;
}

LRESULT CZOLTFrame::OnTimer(UINT, WPARAM wParam, LPARAM, BOOL &bHandled)
{
   if (wParam == kPollTimer) {
      PostMessage(WM_POLL_STEP);
   } else {
      bHandled = FALSE;
   }
   return 0;
}
