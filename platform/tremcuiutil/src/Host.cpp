#include "cui/Host.h"

#include "PathText.h"
#include "cui/Registry.h"

namespace cui {

namespace {

const char kRegisteredVMs[] = "vms/registeredvms";

}  // namespace

Host::Host(Cnx *cnx, const vmdb::Ctx &ctx, const std::string &hostPath) : cnx_(cnx), ctx_(ctx)
{
   SetPath(hostPath);
}

Host::~Host()
{
   watch_.disconnect();
   registeredWatch_.disconnect();
   if (GetClientHost() == this) {
      SetClientHost(nullptr);
   }
   if (wui::GetCurrentHost() == this) {
      wui::SetCurrentHost(nullptr);
   }
}

void Host::SetPath(const std::string &hostPath)
{
   watch_.disconnect();
   registeredWatch_.disconnect();
   path_ = cuiutil::WithSlash(hostPath);
   if (!path_.empty()) {
      watch_ = ctx_.Watch(cuiutil::WithoutSlash(path_), vmdb::Ctx::kWatchSubtree,
                          [this](const std::string &) { changed.emit(); });
      registeredWatch_ = ctx_.Watch(path_ + kRegisteredVMs, vmdb::Ctx::kWatchSubtree,
                                    [this](const std::string &) { registeredVMsChanged.emit(); });
   }
}

std::string Host::GetProductName() const
{
   return path_.empty() ? std::string() : ctx_.Get(path_ + "setup/product/name");
}

std::string Host::GetProductVersion() const
{
   return path_.empty() ? std::string() : ctx_.Get(path_ + "setup/product/versionDotted");
}

bool Host::CapNewVM() const
{
   return GetCap("newVM");
}

bool Host::CapEditSettings() const
{
   return GetCap("editSettings");
}

bool Host::CapUnregisterVM() const
{
   return GetCap("unregisterVM");
}

bool Host::CapEditVmStartStop() const
{
   return GetCap("editVmStartStop");
}

int Host::GetOSType() const
{
   if (path_.empty()) {
      return 0;
   }
   std::string type = ctx_.Get(path_ + "setup/osType");
   if (type.empty() || type == "1" || type == "windows") {
      return 1;
   }
   return type == "2" || type == "linux" ? 2 : 0;
}

bool Host::GetCap(const char *name) const
{
   if (path_.empty()) {
      return true;
   }
   std::string value = ctx_.Get(path_ + "cap/" + name);
   return value != "0" && value != "false";
}

std::vector<std::string> Host::GetRegisteredVMs() const
{
   std::vector<std::string> files;
   if (path_.empty()) {
      return files;
   }
   for (const std::string &element : ctx_.Elements(path_ + kRegisteredVMs + "/#")) {
      std::string file = ctx_.Get(element + "cfgPath");
      if (!file.empty()) {
         files.push_back(file);
      }
   }
   return files;
}

}  // namespace cui
