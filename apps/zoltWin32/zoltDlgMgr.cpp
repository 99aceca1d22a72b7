#include "zoltDlgMgr.h"

#include "zoltAppDb.h"
#include "zoltDlgKinds.h"

#include "cui/Registry.h"
#include "res/resource.h"
#include "tremapputil/ResString.h"
#include "tremorybase/Log.h"

#include <new>

namespace {

HHOOK g_DlgMgrMsgHook = nullptr;
// The manager whose dialogs the hook serves.
DlgMgr *g_hookMgr = nullptr;

const char kSource[] = "zoltDlgMgr";
// The end of the key messages without WM_UNICHAR (WM_KEYLAST takes it in): a WM_UNICHAR the
// dialog handled still reaches the main loop.
constexpr UINT kLastKeyBeforeUnichar = WM_UNICHAR - 1;
static_assert(kLastKeyBeforeUnichar == 0x0108, "the key messages marked handled");

}  // namespace

DlgMgr::~DlgMgr()
{
   destroyed.emit();
   destroyed.clear();
   // Each dialog leaves the list before it is deleted, so one whose destroyed signal no longer
   // reaches us cannot keep this loop going.
   while (!dlgs_.empty()) {
      Entry entry = dlgs_.front();
      entry.destroyed.disconnect();
      dlgs_.pop_front();
      delete entry.dlg;
      OnDlgGone();
   }
   if (cui::GetDlgMgr() == this) {
      cui::SetDlgMgr(nullptr);
   }
}

void DlgMgr::SetDefaultTitle(const _bstr_t &title)
{
   title_ = zoltdb::Text(title);
}

std::string DlgMgr::FormatTitle(const std::string &title) const
{
   if (title.empty()) {
      return title_;
   }
   return tremapputil::ResString(IDS_DLG_TITLE).Format({title});
}

void DlgMgr::GetRestoreOwnerSlot(sigc::slot_base &slot)
{
   slot = sigc::slot<void>(sigc::bind(sigc::mem_fun(*this, &DlgMgr::SetDefaultOwner), owner_));
   slot.unblock();
}

bool DlgMgr::Implements(Slot slot) const
{
   switch (slot) {
   case SLOT_INFO:
   case SLOT_WARNING:
   case SLOT_ERROR:
   case SLOT_HINT:
   case SLOT_QUESTION:
   case SLOT_SQUESTION:
   case SLOT_PASSWORD:
   case SLOT_PROGRESS:
   case SLOT_FILE_BROWSER:
      return true;
   default:
      return false;
   }
}

HHOOK DlgMgr::GetMsgHook()
{
   return g_DlgMgrMsgHook;
}

template <class T>
T *DlgMgr::Added(T *dlg)
{
   AddDlg(dlg);
   return dlg;
}

cui::DlgInfo *DlgMgr::NewInfo(const std::string &text, const std::string &title)
{
   return Added(new (std::nothrow)::DlgInfo(text, FormatTitle(title), owner_));
}

cui::DlgWarning *DlgMgr::NewWarning(const std::string &text, const std::string &title)
{
   return Added(new (std::nothrow)::DlgWarning(text, FormatTitle(title), owner_));
}

cui::DlgError *DlgMgr::NewError(const std::string &text, const std::string &title)
{
   return Added(new (std::nothrow)::DlgError(text, FormatTitle(title), owner_));
}

cui::DlgHint *DlgMgr::NewHint(const std::string &text, const std::string &title)
{
   return Added(new (std::nothrow)::DlgHint(text, FormatTitle(title), owner_));
}

cui::DlgQuestion *DlgMgr::NewQuestion(const std::string &text, const std::vector<std::string> &choices,
                                      int cancelIndex, int defaultIndex, const std::string &title,
                                      cui::DlgQuestion::Icon icon)
{
   return Added(new (std::nothrow)::DlgQuestion(text, choices, FormatTitle(title), cancelIndex, defaultIndex, owner_,
                                                icon));
}

cui::DlgSQuestion *DlgMgr::NewSQuestion(const std::string &text, const std::vector<std::string> &choices,
                                        int cancelIndex, int defaultIndex, const std::string &title)
{
   return Added(
      new (std::nothrow)::DlgSQuestion(text, choices, FormatTitle(title), cancelIndex, defaultIndex, owner_));
}

cui::DlgPassword *DlgMgr::NewPassword(const std::string &text)
{
   return Added(new (std::nothrow)::DlgPassword(text, title_, owner_));
}

cui::DlgActivate *DlgMgr::NewActivate(cui::DlgActivate::Type, const std::string &, const std::string &)
{
   Panic("NOT_IMPLEMENTED %s:%d\n", kSource, 285);
}

cui::DlgAuthenticate *DlgMgr::NewAuthenticate(int, const std::string &, const std::string &)
{
   Panic("NOT_IMPLEMENTED %s:%d\n", kSource, 311);
}

cui::DlgChangePassword *DlgMgr::NewChangePassword(const std::string &)
{
   Panic("NOT_IMPLEMENTED %s:%d\n", kSource, 335);
}

cui::DlgConnectTo *DlgMgr::NewConnectTo(const std::string &, const std::string &)
{
   Panic("NOT_IMPLEMENTED %s:%d\n", kSource, 360);
}

cui::DlgProgress *DlgMgr::NewProgress(const std::string &text)
{
   return Added(new (std::nothrow)::DlgProgress(text, title_, owner_));
}

cui::DlgFileBrowser *DlgMgr::NewFileBrowser(cui::Host *, const std::string &initialDir, const std::string &title,
                                            const std::string &initialFile,
                                            const cui::DlgFileBrowser::FilterList &filters, int filterIndex)
{
   return Added(new (std::nothrow)::DlgFileBrowser(title, initialFile, filters, filterIndex, initialDir, owner_));
}

cui::DlgCloseRoamingVM *DlgMgr::NewCloseRoamingVM(bool)
{
   Panic("NOT_IMPLEMENTED %s:%d\n", kSource, 441);
}

void DlgMgr::AddDlg(cui::Dlg *dlg)
{
   if (!dlg) {
      return;
   }
   dlg->SetDlgMgr(this);
   dlgs_.push_back(Entry{dlg, sigc::connection()});
   Position position = std::prev(dlgs_.end());
   position->destroyed = dlg->destroyed.connect(sigc::bind(sigc::mem_fun(*this, &DlgMgr::OnDestroyed), position));
   if (modalState_) {
      modalState_(true);
   }
   if (dlgs_.size() == 1) {
      if (!g_DlgMgrMsgHook) {
         g_DlgMgrMsgHook = ::SetWindowsHookExW(WH_GETMESSAGE, DlgMgrMsgHookProc, nullptr, ::GetCurrentThreadId());
         g_hookMgr = this;
      } else {
         Log("DlgMgr::AddDlg: g_DlgMgrMsgHook != NULL!\n");
      }
   }
}

void DlgMgr::OnDestroyed(Position position)
{
   position->destroyed.disconnect();
   dlgs_.erase(position);
   OnDlgGone();
}

void DlgMgr::OnDlgGone()
{
   if (dlgs_.empty()) {
      if (g_DlgMgrMsgHook) {
         ::UnhookWindowsHookEx(g_DlgMgrMsgHook);
         g_DlgMgrMsgHook = nullptr;
         g_hookMgr = nullptr;
      } else {
         Log("DlgMgr::OnDestroyed: g_DlgMgrMsgHook == NULL!\n");
      }
   }
   if (modalState_) {
      modalState_(false);
   }
}

bool DlgMgr::PreTranslate(MSG *msg)
{
   for (const Entry &entry : dlgs_) {
      HWND window = entry.dlg->GetDlgWindow();
      if (window && ::IsWindow(window) && ::GetActiveWindow() == window && ::IsDialogMessageW(window, msg)) {
         return true;
      }
   }
   return false;
}

LRESULT CALLBACK DlgMgrMsgHookProc(int code, WPARAM removal, LPARAM lParam)
{
   MSG *msg = reinterpret_cast<MSG *>(lParam);
   // Only input is offered: IsDialogMessage dispatches whatever it takes, and a paint or timer
   // message dispatched here would be dispatched again by the main loop.
   const bool input = (msg->message >= WM_KEYFIRST && msg->message <= WM_KEYLAST) ||
                      (msg->message >= WM_MOUSEFIRST && msg->message <= WM_MOUSELAST);
   if (code >= 0 && removal == PM_REMOVE && g_hookMgr && input) {
      if (g_hookMgr->PreTranslate(msg) && msg->message >= WM_KEYFIRST && msg->message <= kLastKeyBeforeUnichar) {
         // Already handled by the dialog: the main loop must not handle it a second time.
         msg->message = WM_NULL;
      }
   }
   return ::CallNextHookEx(g_DlgMgrMsgHook, code, removal, lParam);
}
