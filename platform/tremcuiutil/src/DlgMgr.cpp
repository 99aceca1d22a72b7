#include "cui/DlgMgr.h"

#include <algorithm>

#include "RegistryInternal.h"
#include "tremorybase/Log.h"

namespace cui {

namespace {

template <class T>
T *NotMade(DlgMgr::Slot slot)
{
   Log("cui::DlgMgr: %s is not made by this factory\n", DlgMgr::SlotName(slot));
   return nullptr;
}

}  // namespace

DlgMgr::~DlgMgr()
{
   destroyed.emit();
}

DlgInfo *DlgMgr::NewInfo(const std::string &, const std::string &)
{
   return NotMade<DlgInfo>(SLOT_INFO);
}

DlgWarning *DlgMgr::NewWarning(const std::string &, const std::string &)
{
   return NotMade<DlgWarning>(SLOT_WARNING);
}

DlgError *DlgMgr::NewError(const std::string &, const std::string &)
{
   return NotMade<DlgError>(SLOT_ERROR);
}

DlgHint *DlgMgr::NewHint(const std::string &, const std::string &)
{
   return NotMade<DlgHint>(SLOT_HINT);
}

DlgQuestion *DlgMgr::NewQuestion(const std::string &, const std::vector<std::string> &, int, int,
                                 const std::string &, DlgQuestion::Icon)
{
   return NotMade<DlgQuestion>(SLOT_QUESTION);
}

DlgSQuestion *DlgMgr::NewSQuestion(const std::string &, const std::vector<std::string> &, int, int,
                                   const std::string &)
{
   return NotMade<DlgSQuestion>(SLOT_SQUESTION);
}

DlgPassword *DlgMgr::NewPassword(const std::string &)
{
   return NotMade<DlgPassword>(SLOT_PASSWORD);
}

DlgActivate *DlgMgr::NewActivate(DlgActivate::Type, const std::string &, const std::string &)
{
   return NotMade<DlgActivate>(SLOT_ACTIVATE);
}

DlgAuthenticate *DlgMgr::NewAuthenticate(int, const std::string &, const std::string &)
{
   return NotMade<DlgAuthenticate>(SLOT_AUTHENTICATE);
}

DlgChangePassword *DlgMgr::NewChangePassword(const std::string &)
{
   return NotMade<DlgChangePassword>(SLOT_CHANGE_PASSWORD);
}

DlgConnectTo *DlgMgr::NewConnectTo(const std::string &, const std::string &)
{
   return NotMade<DlgConnectTo>(SLOT_CONNECT_TO);
}

DlgProgress *DlgMgr::NewProgress(const std::string &)
{
   return NotMade<DlgProgress>(SLOT_PROGRESS);
}

DlgFileBrowser *DlgMgr::NewFileBrowser(Host *, const std::string &, const std::string &, const std::string &,
                                       const DlgFileBrowser::FilterList &, int)
{
   return NotMade<DlgFileBrowser>(SLOT_FILE_BROWSER);
}

DlgCloseRoamingVM *DlgMgr::NewCloseRoamingVM(bool)
{
   return NotMade<DlgCloseRoamingVM>(SLOT_CLOSE_ROAMING_VM);
}

bool DlgMgr::Implements(Slot) const
{
   return false;
}

const char *DlgMgr::SlotName(Slot slot)
{
   static const char *const names[] = {
      "",           "NewInfo",          "NewWarning",        "NewError",       "NewHint",
      "NewQuestion", "NewSQuestion",    "NewPassword",       "NewActivate",    "NewAuthenticate",
      "NewChangePassword", "NewConnectTo", "NewProgress",    "NewFileBrowser", "NewCloseRoamingVM",
   };
   int index = static_cast<int>(slot);
   return index >= 1 && index <= kSlotCount ? names[index] : "?";
}

}  // namespace cui

namespace wui {

DlgMgr::DlgMgr(cui::DlgMgr *appDlgMgr) : DlgMgrImpl(appDlgMgr) {}

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
      return IsDialogMessageW(entry.window, msg) != FALSE;
   }
   return PreTranslateOwn(msg);
}

}  // namespace wui
