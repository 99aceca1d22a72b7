#include "tremsim/SimMachineHistory.h"
#include "SimHostPath.h"

#include "cui/PathText.h"
#include "tremorybase/Log.h"
#include "tremsim/SimVmxConfig.h"

namespace cuisim {

namespace {

std::string ParentOf(const std::string &childCfg, const std::string &parent)
{
   return IsAbsolutePath(parent) ? parent : SimVmxConfig::Folder(childCfg) + parent;
}

}  // namespace

std::vector<SimAncestor> ReadAncestors(const SimVmxConfig &config)
{
   std::vector<SimAncestor> ancestors;
   std::vector<std::string> seen = {config.GetPath()};
   std::string parent = config.Get("cloneOf0");
   std::string child = config.GetPath();
   while (!parent.empty() && ancestors.size() < kMaxAncestors) {
      std::string cfgPath = ParentOf(child, parent);
      for (const std::string &path : seen) {
         if (cuiutil::SameFilePath(path, cfgPath)) {
            Warning("SimHost: %s is its own ancestor\n", cfgPath.c_str());
            return ancestors;
         }
      }
      seen.push_back(cfgPath);
      SimAncestor ancestor = {cfgPath, SimVmxConfig::BaseName(cfgPath)};
      SimVmxConfig parentConfig;
      std::string error;
      // A parent that has gone keeps its place in the chain under its file's name.
      bool loaded = parentConfig.Load(cfgPath, error);
      if (loaded) {
         ancestor.name = parentConfig.GetDisplayName();
      }
      ancestors.push_back(ancestor);
      parent = loaded ? parentConfig.Get("cloneOf0") : std::string();
      child = cfgPath;
   }
   return ancestors;
}

void MirrorHistory(vmdb::Ctx &ctx, const std::string &valPath, const SimVmxConfig &config)
{
   std::string val = cuiutil::WithSlash(valPath);
   ctx.Remove(val + "clone", true);
   for (const SimAncestor &ancestor : ReadAncestors(config)) {
      std::string element = ctx.Append(val + "clone/ancestor/#");
      ctx.Set(element + "name", ancestor.name);
      ctx.Set(element + "cfgPath", ancestor.cfgPath);
   }
}

}  // namespace cuisim
