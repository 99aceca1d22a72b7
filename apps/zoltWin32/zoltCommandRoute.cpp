#include "zoltCommandRoute.h"

#include "cui/MVMTMgr.h"
#include "tremorybase/Log.h"
#include "cui/Team.h"
#include "cui/VM.h"

#include <windows.h>
#include <comdef.h>

#include <algorithm>
#include <exception>
#include <iterator>

namespace {

struct RouteRange {
   CommandId first;
   CommandId last;
   CommandGroup group;
};

// Every fixed id the dispatcher hands on, in ascending order; ids between the ranges go nowhere.
const RouteRange kRoutes[] = {
   {165, 166, CommandGroup::VM},            // remove from the inventory, close the machine
   {168, 169, CommandGroup::Power},         // guest shut down, guest suspend
   {171, 172, CommandGroup::Power},         // guest start up, guest restart
   {347, 347, CommandGroup::HotFix},        // close the hot-fix request tab
   {429, 429, CommandGroup::VM},            // open the machine
   {430, 430, CommandGroup::Zephro},        // open the managed template
   {431, 431, CommandGroup::Team},          // open the team
   {436, 437, CommandGroup::Zephro},        // rename the template, policies
   {446, 446, CommandGroup::Zephro},        // close the managed template
   {449, 449, CommandGroup::File},          // new Zephro template
   {450, 450, CommandGroup::Zephro},        // new package
   {455, 455, CommandGroup::Zephro},        // new portable package
   {468, 470, CommandGroup::View},          // Zephro, power and view toolbars
   {476, 476, CommandGroup::Zephro},        // preview the template
   {481, 481, CommandGroup::View},          // snapshot toolbar
   {513, 513, CommandGroup::VM},            // clone
   {532, 532, CommandGroup::VM},            // fork clones
   {613, 613, CommandGroup::Team},          // close the team
   {617, 617, CommandGroup::Home},          // close the home tab
   {618, 618, CommandGroup::File},          // import
   {620, 620, CommandGroup::View},          // replay toolbar
   {621, 624, CommandGroup::VM},            // record and replay (625 is not one of them)
   {626, 631, CommandGroup::VM},
   {681, 683, CommandGroup::Server},        // connect to, close, forget a Zephro server
   {40002, 40003, CommandGroup::File},      // exit, connect to a Zephro server
   {40009, 40009, CommandGroup::File},      // open
   {40010, 40010, CommandGroup::VM},        // guest tools
   {40018, 40018, CommandGroup::Edit},      // preferences
   {40019, 40021, CommandGroup::Power},     // power off, suspend, reset
   {40022, 40026, CommandGroup::View},      // full screen, autofit and fit
   {40028, 40028, CommandGroup::View},      // home tab
   {40030, 40030, CommandGroup::View},      // status bar
   {40033, 40033, CommandGroup::Help},      // help topics
   {40037, 40039, CommandGroup::Help},      // hints, tip of the day
   {40041, 40041, CommandGroup::Help},      // about
   {40043, 40043, CommandGroup::File},      // new virtual machine
   {40046, 40048, CommandGroup::VM},        // settings, capture the screen, capture a movie
   {40049, 40049, CommandGroup::File},      // close the current tab
   {40051, 40051, CommandGroup::Snapshot},  // revert
   {40052, 40054, CommandGroup::Help},      // web links
   {40057, 40057, CommandGroup::Help},
   {40058, 40058, CommandGroup::VM},        // upgrade the virtual hardware
   {40059, 40060, CommandGroup::Snapshot},  // take a snapshot, snapshot manager
   {40062, 40062, CommandGroup::Power},     // power on or resume
   {40063, 40063, CommandGroup::Host},      // virtual network settings
   {40064, 40065, CommandGroup::View},      // database viewer, sidebar
   {40067, 40067, CommandGroup::Snapshot},  // remove the snapshot
   {40068, 40068, CommandGroup::View},      // quick switch
   {40070, 40072, CommandGroup::VM},        // (no item), Ctrl+Alt+Del, grab input
   {40074, 40074, CommandGroup::Host},      // host settings
   {40077, 40077, CommandGroup::View},      // tabs
   {40078, 40078, CommandGroup::VM},        // favourites: machine
   {40079, 40079, CommandGroup::Team},      // favourites: team
   {40080, 40080, CommandGroup::Zephro},    // favourites: template
   {40084, 40084, CommandGroup::File},      // favourites: the current object
   {40190, 40192, CommandGroup::Help},      // manuals, check for updates
   {40194, 40196, CommandGroup::View},      // summary, appliance and console view
   {40199, 40200, CommandGroup::Host},      // switch host, disconnect
   {40203, 40203, CommandGroup::VM},        // connected users
   {40206, 40206, CommandGroup::File},      // new window
   {40217, 40220, CommandGroup::Edit},      // cut, copy, paste, virtual network settings
   {40245, 40245, CommandGroup::File},      // virtual disks
   {40721, 40721, CommandGroup::VM},        // delete the machine from disk
   {40722, 40722, CommandGroup::Team},      // delete the team from disk
   {40723, 40723, CommandGroup::VM},        // remove the machine from its team
   {40730, 40730, CommandGroup::VM},        // message log
   {41400, 41400, CommandGroup::File},      // new team
   {41402, 41405, CommandGroup::Team},      // team power
   {41410, 41410, CommandGroup::Team},      // team settings
   {41899, 41899, CommandGroup::Zephro},    // package settings
   {41902, 41904, CommandGroup::Zephro},    // Zephro server, clone and delete the template
   {41960, 41960, CommandGroup::VM},        // clone to a Zephro template
   {41989, 41989, CommandGroup::Help},      // manual
};

// The object a source names by its path, before it is narrowed to a machine.
struct Found {
   cui::VM *object = nullptr;
   cui::Team *team = nullptr;
};

Found TeamAndItsCurrentVM(cui::Team *team)
{
   return Found{team ? team->GetCurrentVM() : nullptr, team};
}

}  // namespace

CommandGroup RouteCommand(CommandId id)
{
   auto range = std::lower_bound(std::begin(kRoutes), std::end(kRoutes), id,
                                 [](const RouteRange &r, CommandId value) { return r.last < value; });
   return range != std::end(kRoutes) && range->first <= id ? range->group : CommandGroup::None;
}

const char *CommandGroupName(CommandGroup group)
{
   switch (group) {
   case CommandGroup::None: return "none";
   case CommandGroup::File: return "File";
   case CommandGroup::Edit: return "Edit";
   case CommandGroup::View: return "View";
   case CommandGroup::Host: return "Host";
   case CommandGroup::Help: return "Help";
   case CommandGroup::Home: return "home";
   case CommandGroup::Server: return "server";
   case CommandGroup::Zephro: return "Zephro";
   case CommandGroup::VM: return "VM";
   case CommandGroup::Team: return "team";
   case CommandGroup::Power: return "power";
   case CommandGroup::Snapshot: return "snapshot";
   case CommandGroup::HotFix: return "hot-fix";
   }
   return "?";
}

CommandTarget ResolveCommandTarget(CommandSource source, const std::string &path, CommandTargetLookup &lookup)
{
   Found found;
   switch (source) {
   case kSourceTeamEntry:
      found = TeamAndItsCurrentVM(lookup.GetTeamByCfgPath(path));
      break;
   case kSourceVMEntry:
      found.object = lookup.GetVMByCfgPath(path);
      break;
   case kSourceVMPopup:
      found.object = lookup.GetVMByVMPath(path);
      if (found.object) {
         found.team = lookup.GetTeamByVMPath(found.object->GetVmPath());
      }
      break;
   case kSourceVMEntryOther:
   case kSourceTemplateEntryAlt:
      if (lookup.HasZephroExtension() && lookup.HasTemplateMgr()) {
         found.object = lookup.GetMVMTByFilename(path);
      }
      if (!found.object) {
         found.object = lookup.GetVMByCfgPath(path);
      }
      if (!found.object) {
         found = TeamAndItsCurrentVM(lookup.GetTeamByCfgPath(path));
      }
      break;
   case kSourceTemplateEntry:
      if (lookup.HasTemplateMgr()) {
         found.object = lookup.GetMVMTByFilename(path);
      }
      break;
   default:
      found.object = lookup.GetCurrentVM();
      if (found.object && found.object->GetInTeam()) {
         found.team = lookup.GetTeamByVMPath(found.object->GetVmPath());
      }
      break;
   }

   CommandTarget target;
   target.vm = dynamic_cast<wui::VM *>(found.object);
   if (!target.vm) {
      // A template stands for the open machine with its database path, never for itself.
      if (auto *mvmt = dynamic_cast<cui::MVMTemplate *>(found.object)) {
         target.vm = dynamic_cast<wui::VM *>(lookup.GetVMByVMPath(mvmt->GetVmPath()));
      }
   }
   target.team = dynamic_cast<wui::Team *>(found.team);
   return target;
}

bool RunCommandGuarded(const std::function<void()> &command)
{
   const char *const format = "CZOLTApp::MenuButtonClicked failed: %s\n";
   try {
      command();
      return true;
   } catch (const _com_error &e) {
      _bstr_t description = e.Description();
      Warning(format, description.length() ? static_cast<const char *>(description) : e.ErrorMessage());
   } catch (const std::exception &e) {
      Warning(format, e.what());
   } catch (...) {
      Warning(format, "unknown exception");
   }
   return false;
}
