#include "cui/Prefs.h"

#include "cui/Registry.h"

namespace cui {

const char kPrefsRequestPath[] = "/user/prefState/req/#ZOLT/";

Prefs::Prefs() : Prefs(GetNewVmdbCtx()) {}

Prefs::Prefs(const vmdb::Ctx &ctx) : ctx_(ctx.NewCtx()), request_(kPrefsRequestPath) {}

Prefs::~Prefs()
{
   if (GetPrefs() == this) {
      SetPrefs(nullptr);
   }
}

void Prefs::SetUIMode(int mode)
{
   uiMode_ = mode == UI_MODE_REMOTE ? UI_MODE_REMOTE : UI_MODE_LOCAL;
}

bool Prefs::GetBool(const std::string &valPath, bool defaultValue) const
{
   return ctx_.GetBool(request_ + valPath, defaultValue);
}

void Prefs::SetBool(const std::string &valPath, bool on)
{
   ctx_.Set(request_ + valPath, vmdb::Value(on));
}

std::string Prefs::GetString(const std::string &valPath) const
{
   return ctx_.Get(request_ + valPath);
}

void Prefs::SetString(const std::string &valPath, const std::string &value)
{
   ctx_.Set(request_ + valPath, vmdb::Value(value));
}

bool Prefs::GetTrayIconEnabled() const
{
   return GetBool("val/zolt/trayIcon/enabled", false);
}

bool Prefs::GetBackgroundOnClose() const
{
   return GetBool("val/zolt/backgroundOnClose", false);
}

bool Prefs::GetFullScreenV5() const
{
   return GetBool("val/zolt/view/fullScreenV5", false);
}

bool Prefs::GetSidebar() const
{
   return GetBool("val/zolt/view/sidebar", true);
}

void Prefs::SetSidebar(bool on)
{
   SetBool("val/zolt/view/sidebar", on);
}

bool Prefs::GetStatusBarShow() const
{
   return GetBool("val/zolt/view/statusBar", true);
}

void Prefs::SetStatusBarShow(bool on)
{
   SetBool("val/zolt/view/statusBar", on);
}

bool Prefs::GetQuickSwitch() const
{
   return GetBool("val/zolt/view/quickSwitch", false);
}

bool Prefs::GetQuickSwitchEnabled() const
{
   return GetBool("val/zolt/view/quickSwitchEnabled", true);
}

bool Prefs::GetAutofitWindow() const
{
   return GetBool("val/zolt/view/autofitWindow", false);
}

bool Prefs::GetAutofitGuest() const
{
   return GetBool("val/zolt/view/autofitGuest", false);
}

bool Prefs::GetCanEnableAllHints() const
{
   return GetBool("val/zolt/hints/canEnableAll", false);
}

bool Prefs::GetShowEnabledHints() const
{
   return GetBool("val/zolt/hints/showEnabled", false);
}

void Prefs::SetQuickSwitch(bool on)
{
   SetBool("val/zolt/view/quickSwitch", on);
}

}  // namespace cui
