#include "cui/DlgMgr.h"

#include <algorithm>

#include "RegistryInternal.h"

namespace cui {

DlgMgr::~DlgMgr() = default;

}  // namespace cui

namespace wui {

DlgMgr::DlgMgr(cui::DlgMgr *appDlgMgr) : appDlgMgr_(appDlgMgr) {}

DlgMgr::~DlgMgr()
{
   cuiutil::ForgetLibDlgMgr(this);
}

void DlgMgr::Register(HWND window, const PreTranslateSlot &slot)
{
   for (Entry &e : modeless_) {
      if (e.window == window) {
         e.slot = slot;
         return;
      }
   }
   modeless_.push_back(Entry{window, slot});
}

void DlgMgr::UnRegister(HWND window)
{
   modeless_.erase(std::remove_if(modeless_.begin(), modeless_.end(),
                                  [window](const Entry &e) { return e.window == window; }),
                   modeless_.end());
}

bool DlgMgr::IsRegistered(HWND window) const
{
   return std::any_of(modeless_.begin(), modeless_.end(), [window](const Entry &e) { return e.window == window; });
}

bool DlgMgr::PreTranslateMessage(MSG *msg, bool keyboardOnly)
{
   if (!msg || !msg->hwnd) {
      return false;
   }
   if (keyboardOnly && (msg->message < WM_KEYFIRST || msg->message > WM_KEYLAST)) {
      return false;
   }
   // A window destroyed without UnRegister is forgotten here; its handle may be reused.
   modeless_.erase(std::remove_if(modeless_.begin(), modeless_.end(), [](const Entry &e) { return !IsWindow(e.window); }),
                   modeless_.end());
   for (size_t i = 0; i < modeless_.size(); ++i) {
      Entry entry = modeless_[i];   // a slot may register or unregister windows
      if (entry.window != msg->hwnd && !IsChild(entry.window, msg->hwnd)) {
         continue;
      }
      if (!entry.slot.empty() && !entry.slot.blocked()) {
         return entry.slot(msg);
      }
      return IsDialogMessageA(entry.window, msg) != FALSE;
   }
   return false;
}

}  // namespace wui
