#include "cui/Dlg.h"

#include <utility>

namespace cui {

namespace {

// A handler whose object went away (its slot emptied by sigc tracking) lets the dialog go.
template <class Slot, class... Args>
Dlg::RepliedAction CallHandler(const Slot &slot, Args &&...args)
{
   if (slot.empty()) {
      return Dlg::DESTROY;
   }
   return slot(std::forward<Args>(args)...);
}

}  // namespace

Dlg::~Dlg()
{
   destroyed.emit();
}

DlgMgr *Dlg::GetDlgMgr() const
{
   return dlgMgr_;
}

void Dlg::DeleteDlg()
{
   delete this;
}

void Dlg::Reenable()
{
   HWND window = GetDlgWindow();
   if (window && IsWindow(window)) {
      EnableWindow(window, TRUE);
   }
}

bool Dlg::IsEnabled() const
{
   HWND window = GetDlgWindow();
   if (window && IsWindow(window)) {
      return IsWindowEnabled(window) != FALSE;
   }
   return true;
}

void Dlg::Hide()
{
   HWND window = GetDlgWindow();
   if (window && IsWindow(window)) {
      ShowWindow(window, SW_HIDE);
   }
}

void Dlg::Show()
{
   HWND window = GetDlgWindow();
   if (window && IsWindow(window)) {
      ShowWindow(window, SW_SHOW);
   }
}

HWND Dlg::GetDlgWindow() const
{
   return nullptr;
}

sigc::connection Dlg::ConnectReply(const ReplySlot &slot)
{
   return replied.connect([slot]() { return CallHandler(slot); });
}

Dlg::RepliedAction Dlg::Reply()
{
   return replied.emit();
}

sigc::connection DlgSuppress::ConnectReply(const sigc::slot<RepliedAction, bool> &slot)
{
   return replied.connect([this, slot]() { return CallHandler(slot, IsSuppressed()); });
}

sigc::connection DlgChoice::ConnectReply(const sigc::slot<RepliedAction, int> &slot)
{
   return replied.connect([this, slot]() { return CallHandler(slot, GetChoice()); });
}

sigc::connection DlgSQuestion::ConnectReply(const sigc::slot<RepliedAction, int, bool> &slot)
{
   return replied.connect([this, slot]() { return CallHandler(slot, GetChoice(), IsSuppressed()); });
}

sigc::connection DlgPassword::ConnectReply(const sigc::slot<RepliedAction, int, std::string, std::string> &slot)
{
   return replied.connect([this, slot]() { return CallHandler(slot, GetChoice(), GetPassword(), GetConfirmation()); });
}

sigc::connection DlgActivate::ConnectReply(const sigc::slot<RepliedAction, int, std::string> &slot)
{
   return replied.connect([this, slot]() { return CallHandler(slot, GetChoice(), GetKey()); });
}

sigc::connection DlgAuthenticate::ConnectReply(
   const sigc::slot<RepliedAction, bool, std::string, std::string, std::string> &slot)
{
   return replied.connect([this, slot]() {
      std::string user, password, domain;
      GetCredentials(user, password, domain);
      return CallHandler(slot, IsCancelled(), user, password, domain);
   });
}

sigc::connection DlgChangePassword::ConnectReply(
   const sigc::slot<RepliedAction, int, std::string, std::string, std::string> &slot)
{
   return replied.connect([this, slot]() {
      return CallHandler(slot, GetChoice(), GetOldPassword(), GetNewPassword(), GetConfirmation());
   });
}

sigc::connection DlgConnectTo::ConnectReply(const sigc::slot<RepliedAction, bool, std::string, int, bool> &slot)
{
   return replied.connect(
      [this, slot]() { return CallHandler(slot, IsCancelled(), GetAddress(), GetPort(), GetAddressFlag()); });
}

sigc::connection DlgFileBrowser::ConnectReply(const sigc::slot<RepliedAction, bool, std::string> &slot)
{
   return replied.connect([this, slot]() {
      bool cancelled = IsCancelled();
      return CallHandler(slot, cancelled, cancelled ? std::string() : GetPath());
   });
}

}  // namespace cui
