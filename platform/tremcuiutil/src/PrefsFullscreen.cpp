// The preferences of quick switch, full screen and the console's key combination.
#include "cui/Prefs.h"
#include "cui/WuiPrefs.h"

#include <cstdlib>

namespace cui {

namespace {

const char kFsToolbar[] = "val/zolt/fsToolbar/";
const char kMKSModifiers[] = "val/zolt/hotkeys/modifiers";

long ReadLong(const Prefs &prefs, const std::string &valPath, long defaultValue)
{
   std::string text = prefs.GetString(valPath);
   if (text.empty()) {
      return defaultValue;
   }
   char *end = nullptr;
   long value = std::strtol(text.c_str(), &end, 10);
   return end && *end == '\0' ? value : defaultValue;
}

}  // namespace

int Prefs::GetQuickSwitchMenuDelay() const
{
   return static_cast<int>(ReadLong(*this, std::string(kFsToolbar) + "quickSwitchDelay", 400));
}

int Prefs::GetFullScreenShowDelay() const
{
   return static_cast<int>(ReadLong(*this, std::string(kFsToolbar) + "showDelay", 400));
}

int Prefs::GetFullScreenHideDelay() const
{
   return static_cast<int>(ReadLong(*this, std::string(kFsToolbar) + "hideDelay", 1000));
}

int Prefs::GetFullScreenToolbarPixels() const
{
   return static_cast<int>(ReadLong(*this, std::string(kFsToolbar) + "pixels", 0));
}

int Prefs::GetFullScreenTipDelay() const
{
   return static_cast<int>(ReadLong(*this, std::string(kFsToolbar) + "tipDelay", 4000));
}

int Prefs::GetFullScreenAutofitMode() const
{
   long mode = ReadLong(*this, std::string(kFsToolbar) + "autofitMode", FS_AUTOFIT_GUEST);
   return mode == FS_STRETCH_GUEST || mode == FS_CENTER_GUEST ? static_cast<int>(mode) : FS_AUTOFIT_GUEST;
}

void Prefs::SetFullScreenAutofitMode(int mode)
{
   if (mode != FS_STRETCH_GUEST && mode != FS_CENTER_GUEST) {
      mode = FS_AUTOFIT_GUEST;
   }
   ctx_.Set(request_ + kFsToolbar + "autofitMode", vmdb::Value(static_cast<long>(mode)));
}

Prefs::MKSKeys Prefs::GetMKSKeys() const
{
   MKSKeys keys;
   keys.ctrl = MKS_DOWN;
   keys.alt = MKS_DOWN;
   // An unreadable setting keeps the default rather than leaving the console without a way out.
   ParseMKSKeys(GetString(kMKSModifiers), keys);
   return keys;
}

std::string Prefs::GetMKSKeySequence() const
{
   return MKSKeySequence(GetMKSKeys());
}

}  // namespace cui

namespace wui {

bool Prefs::GetFullScreenPin() const
{
   return GetBool("val/zolt/fsToolbar/pin", false);
}

void Prefs::SetFullScreenPin(bool on)
{
   SetBool("val/zolt/fsToolbar/pin", on);
}

bool Prefs::GetTopmostEnabled() const
{
   return GetBool("val/zolt/fsToolbar/topmost", true);
}

}  // namespace wui
