#include "cui/Prefs.h"

#include "cui/Registry.h"
#include "cui/ZephroServerMgr.h"

#include <algorithm>
#include <cstdio>

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

void Prefs::SetAutofitWindow(bool on)
{
   SetBool("val/zolt/view/autofitWindow", on);
}

void Prefs::SetAutofitGuest(bool on)
{
   SetBool("val/zolt/view/autofitGuest", on);
}

bool Prefs::GetCanEnableAllHints() const
{
   return GetBool("val/zolt/hints/canEnableAll", false);
}

bool Prefs::GetShowEnabledHints() const
{
   return GetBool("val/zolt/hints/showEnabled", false);
}

void Prefs::SetShowEnabledHints(bool on)
{
   SetBool("val/zolt/hints/showEnabled", on);
}

void Prefs::EnableAllHints()
{
   ctx_.Remove(request_ + "val/hints", true);
   SetBool("val/zolt/hints/canEnableAll", false);
}

namespace {
const char kQuenServerMRU[] = "val/zolt/quenServer/mru";
}

std::vector<Prefs::QuenServerMRUEntry> Prefs::GetQuenServerMRUEntries() const
{
   std::vector<QuenServerMRUEntry> entries;
   for (const std::string &element : ctx_.Elements(request_ + kQuenServerMRU + "/#")) {
      QuenServerMRUEntry entry;
      entry.address = ctx_.Get(element + "address");
      entry.second = ctx_.Get(element + "second");
      entry.directory = ctx_.Get(element + "directory");
      entry.port = static_cast<int>(ctx_.GetInt(element + "port", 0));
      entry.flag = ctx_.GetBool(element + "flag", false);
      if (!entry.address.empty()) {
         entries.push_back(entry);
      }
   }
   return entries;
}

// The list is written whole, so its elements keep the order given.
void Prefs::WriteQuenServerMRU(const std::vector<QuenServerMRUEntry> &entries)
{
   vmdb::Batch batch(ctx_);
   ctx_.Remove(request_ + kQuenServerMRU, true);
   for (size_t i = 0; i < entries.size(); ++i) {
      char name[16];
      snprintf(name, sizeof name, "/#%04x/", static_cast<unsigned>(i));
      const std::string element = request_ + kQuenServerMRU + name;
      ctx_.Set(element + "address", vmdb::Value(entries[i].address));
      ctx_.Set(element + "second", vmdb::Value(entries[i].second));
      ctx_.Set(element + "directory", vmdb::Value(entries[i].directory));
      ctx_.Set(element + "port", vmdb::Value(entries[i].port));
      ctx_.Set(element + "flag", vmdb::Value(entries[i].flag));
   }
}

void Prefs::SetQuenServerMRUEntry(const std::string &address, const std::string &second,
                                  const std::string &directory, bool flag, int port)
{
   std::vector<QuenServerMRUEntry> entries = GetQuenServerMRUEntries();
   entries.erase(std::remove_if(entries.begin(), entries.end(),
                                [&](const QuenServerMRUEntry &e) { return e.address == address; }),
                 entries.end());
   QuenServerMRUEntry entry;
   entry.address = address;
   entry.second = second;
   entry.directory = directory;
   entry.port = port;
   entry.flag = flag;
   entries.insert(entries.begin(), entry);
   WriteQuenServerMRU(entries);
}

void Prefs::RemoveQuenServerMRUEntry(const std::string &address)
{
   std::vector<QuenServerMRUEntry> entries = GetQuenServerMRUEntries();
   const size_t before = entries.size();
   // The entry goes by its address alone or by the whole address text of a server.
   entries.erase(std::remove_if(entries.begin(), entries.end(),
                                [&](const QuenServerMRUEntry &e) {
                                   return e.address == address ||
                                          zephroutil::AddressToString(e.address, e.port, e.flag) == address;
                                }),
                 entries.end());
   if (entries.size() != before) {
      WriteQuenServerMRU(entries);
   }
}

void Prefs::SetQuickSwitch(bool on)
{
   SetBool("val/zolt/view/quickSwitch", on);
}

}  // namespace cui
