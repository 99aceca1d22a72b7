#include "ModalDriver.h"

#include "tremorybase/Text.h"

#include <map>

namespace {

std::map<UINT_PTR, ModalDriver *> &Drivers()
{
   static std::map<UINT_PTR, ModalDriver *> drivers;
   return drivers;
}

}  // namespace

ModalDriver::ModalDriver(std::function<void(HWND)> step) : step_(std::move(step))
{
   timer_ = SetTimer(nullptr, 0, 40, &ModalDriver::OnTimer);
   Drivers()[timer_] = this;
}

ModalDriver::~ModalDriver()
{
   KillTimer(nullptr, timer_);
   Drivers().erase(timer_);
}

VOID CALLBACK ModalDriver::OnTimer(HWND, UINT, UINT_PTR id, DWORD)
{
   auto found = Drivers().find(id);
   if (found == Drivers().end() || found->second->busy_) {
      return;
   }
   ModalDriver *self = found->second;
   for (auto it = self->handled_.begin(); it != self->handled_.end();) {
      it = IsWindow(*it) ? std::next(it) : self->handled_.erase(it);
   }
   EnumThreadWindows(GetCurrentThreadId(), &ModalDriver::Look, reinterpret_cast<LPARAM>(self));
}

BOOL CALLBACK ModalDriver::Look(HWND wnd, LPARAM data)
{
   ModalDriver *self = reinterpret_cast<ModalDriver *>(data);
   char cls[32] = "";
   GetClassNameA(wnd, cls, sizeof cls);
   if (!IsWindowVisible(wnd) || std::string(cls) != "#32770" || self->handled_.count(wnd)) {
      return TRUE;
   }
   self->handled_.insert(wnd);
   ++self->seen_;
   // A step that runs a modal loop of its own must not be entered again from it.
   self->busy_ = true;
   self->step_(wnd);
   self->busy_ = false;
   return FALSE;
}

std::string ItemText(HWND dialog, int id)
{
   wchar_t text[1024] = L"";
   GetDlgItemTextW(dialog, id, text, 1024);
   return Utf8FromWide(text);
}

bool IsItemEnabled(HWND dialog, int id)
{
   HWND item = GetDlgItem(dialog, id);
   return item && IsWindowEnabled(item);
}

bool IsItemVisible(HWND dialog, int id)
{
   HWND item = GetDlgItem(dialog, id);
   return item && (GetWindowLongW(item, GWL_STYLE) & WS_VISIBLE);
}

void TypeInto(HWND dialog, int id, const std::string &text)
{
   HWND item = GetDlgItem(dialog, id);
   SetWindowTextW(item, WideFromUtf8(text).c_str());
   char cls[32] = "";
   GetClassNameA(item, cls, sizeof cls);
   if (std::string(cls) == "ComboBox") {
      SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, CBN_EDITCHANGE), reinterpret_cast<LPARAM>(item));
   }
}

void Click(HWND dialog, int id)
{
   SendMessageW(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}
