#include "zoltCommandRoute.h"
#include "zoltAppDb.h"

#include "res/resource.h"

#include "cui/MVMTMgr.h"
#include "cui/Team.h"
#include "cui/VM.h"
#include "tremorybase/Log.h"

#include <windows.h>
#include <comdef.h>

#include <algorithm>
#include <exception>
#include <iterator>

namespace {

struct CommandRow {
   CommandId first;
   CommandId last;
   CommandGroup group;
   MenuRule rule;
};

// Every fixed command id: where the dispatcher hands it and which rule sets its menu item, in
// ascending order. Ids between the rows go nowhere and keep their state.
constexpr CommandRow kCommands[] = {
   {IDM_VM_REMOVE, IDM_VM_CLOSE, CommandGroup::VM, MenuRule::VM},
   {IDM_VM_SHUT_DOWN_GUEST, IDM_VM_SUSPEND_GUEST, CommandGroup::Power, MenuRule::Power},
   {IDM_VM_START_GUEST, IDM_VM_RESTART_GUEST, CommandGroup::Power, MenuRule::Power},
   {IDM_HOTFIX_CLOSE, IDM_HOTFIX_CLOSE, CommandGroup::HotFix, MenuRule::HotFix},
   {IDM_VM_RENAME, IDM_VM_RENAME, CommandGroup::None, MenuRule::VM},
   {IDM_VM_OPEN, IDM_VM_OPEN, CommandGroup::VM, MenuRule::VM},
   {IDM_MVMT_OPEN, IDM_MVMT_OPEN, CommandGroup::Zephro, MenuRule::Zephro},
   {IDM_TEAM_OPEN, IDM_TEAM_OPEN, CommandGroup::Team, MenuRule::Team},
   {IDM_MVMT_RENAME, IDM_ZEPHRO_POLICIES, CommandGroup::Zephro, MenuRule::Zephro},
   {IDM_MVMT_CLOSE, IDM_MVMT_CLOSE, CommandGroup::Zephro, MenuRule::Zephro},
   {IDM_FILE_NEW_ZEPHRO_TEMPLATE, IDM_FILE_NEW_ZEPHRO_TEMPLATE, CommandGroup::File, MenuRule::File},
   {IDM_ZEPHRO_NEW_PACKAGE, IDM_ZEPHRO_NEW_PACKAGE, CommandGroup::Zephro, MenuRule::Zephro},
   {IDM_ZEPHRO_NEW_PORTABLE_PACKAGE, IDM_ZEPHRO_NEW_PORTABLE_PACKAGE, CommandGroup::Zephro, MenuRule::Zephro},
   {IDM_VIEW_TOOLBAR_ZEPHRO, IDM_VIEW_TOOLBAR_VIEW, CommandGroup::View, MenuRule::View},
   {IDM_ZEPHRO_PREVIEW, IDM_ZEPHRO_PREVIEW, CommandGroup::Zephro, MenuRule::Zephro},
   {IDM_VIEW_TOOLBAR_SNAPSHOT, IDM_VIEW_TOOLBAR_SNAPSHOT, CommandGroup::View, MenuRule::View},
   {IDM_VM_CLONE, IDM_VM_CLONE, CommandGroup::VM, MenuRule::VM},
   {IDM_TEAM_RENAME, IDM_TEAM_RENAME, CommandGroup::None, MenuRule::Team},
   {IDM_VM_FORK, IDM_VM_FORK, CommandGroup::VM, MenuRule::VM},
   {IDM_TEAM_CLOSE, IDM_TEAM_CLOSE, CommandGroup::Team, MenuRule::Team},
   {IDM_HOME_CLOSE, IDM_HOME_CLOSE, CommandGroup::Home, MenuRule::None},
   {IDM_FILE_IMPORT, IDM_FILE_IMPORT, CommandGroup::File, MenuRule::File},
   {IDM_VIEW_TOOLBAR_REPLAY, IDM_VIEW_TOOLBAR_REPLAY, CommandGroup::View, MenuRule::View},
   {IDM_VM_REPLAY_OPTIONS, IDM_VM_REPLAY_PLAY, CommandGroup::VM, MenuRule::VM},
   // Record and replay ids without an item of their own (625 is none of them).
   {623, 624, CommandGroup::VM, MenuRule::None},
   {626, 627, CommandGroup::VM, MenuRule::None},
   {IDM_VM_REPLAY_RECORD, IDM_VM_REPLAY_RECORD, CommandGroup::VM, MenuRule::VM},
   {629, 629, CommandGroup::VM, MenuRule::None},
   {IDM_VM_REPLAY_GO_LIVE, IDM_VM_REPLAY_STOP, CommandGroup::VM, MenuRule::VM},
   {IDM_VM_REPLAY_MENU, IDM_VM_REPLAY_MENU, CommandGroup::None, MenuRule::VM},
   {IDM_SERVER_CONNECT, IDM_SERVER_FORGET, CommandGroup::Server, MenuRule::Server},
   {IDM_FILE_EXIT, IDM_FILE_CONNECT_ZEPHRO_SERVER, CommandGroup::File, MenuRule::File},
   {IDM_FILE_OPEN, IDM_FILE_OPEN, CommandGroup::File, MenuRule::File},
   {IDM_VM_TOOLS, IDM_VM_TOOLS, CommandGroup::VM, MenuRule::VM},
   {IDM_EDIT_PREFERENCES, IDM_EDIT_PREFERENCES, CommandGroup::Edit, MenuRule::Edit},
   {IDM_VM_POWER_OFF, IDM_VM_RESET, CommandGroup::Power, MenuRule::Power},
   {IDM_VIEW_FULL_SCREEN, IDM_VIEW_FIT_GUEST, CommandGroup::View, MenuRule::View},
   {IDM_VIEW_HOME, IDM_VIEW_HOME, CommandGroup::View, MenuRule::None},
   {IDM_VIEW_STATUS_BAR, IDM_VIEW_STATUS_BAR, CommandGroup::View, MenuRule::View},
   {IDM_HELP_TOPICS, IDM_HELP_TOPICS, CommandGroup::Help, MenuRule::Help},
   {IDM_HELP_ENABLE_ALL_HINTS, IDM_HELP_TIP_OF_THE_DAY, CommandGroup::Help, MenuRule::Help},
   {IDM_HELP_ABOUT, IDM_HELP_ABOUT, CommandGroup::Help, MenuRule::Help},
   {IDM_FILE_NEW_VM, IDM_FILE_NEW_VM, CommandGroup::File, MenuRule::File},
   {IDM_VM_SETTINGS, IDM_VM_CAPTURE_MOVIE, CommandGroup::VM, MenuRule::VM},
   {IDM_FILE_CLOSE, IDM_FILE_CLOSE, CommandGroup::File, MenuRule::File},
   {IDM_VM_SNAPSHOT_REVERT, IDM_VM_SNAPSHOT_REVERT, CommandGroup::Snapshot, MenuRule::Snapshot},
   {IDM_HELP_HOME_PAGE, IDM_HELP_PRODUCTS, CommandGroup::Help, MenuRule::Help},
   {IDM_HELP_REPORT, IDM_HELP_REPORT, CommandGroup::Help, MenuRule::Help},
   {IDM_VM_UPGRADE_HARDWARE, IDM_VM_UPGRADE_HARDWARE, CommandGroup::VM, MenuRule::VM},
   {IDM_VM_SNAPSHOT_TAKE, IDM_VM_SNAPSHOT_MANAGER, CommandGroup::Snapshot, MenuRule::Snapshot},
   {IDM_VM_POWER_ON, IDM_VM_POWER_ON, CommandGroup::Power, MenuRule::Power},
   {IDM_HOST_NETWORK_SETTINGS, IDM_HOST_NETWORK_SETTINGS, CommandGroup::Host, MenuRule::Host},
   {IDM_VIEW_DATABASE_VIEWER, IDM_VIEW_SIDEBAR, CommandGroup::View, MenuRule::View},
   {IDM_VM_SNAPSHOT_DELETE, IDM_VM_SNAPSHOT_DELETE, CommandGroup::Snapshot, MenuRule::Snapshot},
   {IDM_VIEW_QUICK_SWITCH, IDM_VIEW_QUICK_SWITCH, CommandGroup::View, MenuRule::View},
   {IDM_VM_DEVICES_MENU, IDM_VM_GRAB_INPUT, CommandGroup::VM, MenuRule::VM},
   {IDM_VM_POWER_MENU, IDM_VM_POWER_MENU, CommandGroup::None, MenuRule::VM},
   {IDM_HOST_SETTINGS, IDM_HOST_SETTINGS, CommandGroup::Host, MenuRule::Host},
   {IDM_VIEW_TABS, IDM_VIEW_TABS, CommandGroup::View, MenuRule::View},
   {IDM_VM_FAVORITES, IDM_VM_FAVORITES, CommandGroup::VM, MenuRule::VM},
   {IDM_TEAM_FAVORITES, IDM_TEAM_FAVORITES, CommandGroup::Team, MenuRule::Team},
   {IDM_MVMT_FAVORITES, IDM_MVMT_FAVORITES, CommandGroup::Zephro, MenuRule::Zephro},
   {IDM_FILE_FAVORITES, IDM_FILE_FAVORITES, CommandGroup::File, MenuRule::File},
   {IDM_WINDOW_NEXT_TAB, IDM_WINDOW_LAST_TAB, CommandGroup::None, MenuRule::Windows},
   {IDM_HELP_GUIDE, IDM_HELP_CHECK_UPDATES, CommandGroup::Help, MenuRule::Help},
   {IDM_VIEW_CURRENT_MENU, IDM_VIEW_CURRENT_MENU, CommandGroup::None, MenuRule::View},
   {IDM_VIEW_SUMMARY, IDM_VIEW_CONSOLE, CommandGroup::View, MenuRule::View},
   {IDM_HOST_SWITCH, IDM_HOST_DISCONNECT, CommandGroup::Host, MenuRule::Host},
   {IDM_VM_CONNECTED_USERS, IDM_VM_CONNECTED_USERS, CommandGroup::VM, MenuRule::VM},
   {IDM_FILE_NEW_WINDOW, IDM_FILE_NEW_WINDOW, CommandGroup::File, MenuRule::File},
   {IDM_EDIT_CUT, IDM_EDIT_NETWORK_SETTINGS, CommandGroup::Edit, MenuRule::Edit},
   {IDM_FILE_MAP_DISKS, IDM_FILE_MAP_DISKS, CommandGroup::File, MenuRule::File},
   {IDM_VM_SNAPSHOT_MENU, IDM_VM_SNAPSHOT_MENU, CommandGroup::None, MenuRule::VM},
   {IDM_VM_SNAPSHOT_RECENT_FIRST, IDM_VM_SNAPSHOT_RECENT_LAST, CommandGroup::None, MenuRule::Snapshot},
   {IDM_TEAM_ADD_CLONE, IDM_TEAM_ADD_CLONE, CommandGroup::None, MenuRule::TeamAdd},
   {IDM_VM_DELETE, IDM_VM_DELETE, CommandGroup::VM, MenuRule::VM},
   {IDM_TEAM_DELETE, IDM_TEAM_DELETE, CommandGroup::Team, MenuRule::Team},
   {IDM_VM_REMOVE_FROM_TEAM, IDM_VM_REMOVE_FROM_TEAM, CommandGroup::VM, MenuRule::VM},
   {IDM_VM_MESSAGE_LOG, IDM_VM_MESSAGE_LOG, CommandGroup::VM, MenuRule::VM},
   {IDM_FILE_NEW_TEAM, IDM_FILE_NEW_TEAM, CommandGroup::File, MenuRule::File},
   {IDM_TEAM_POWER_MENU, IDM_TEAM_POWER_MENU, CommandGroup::None, MenuRule::Team},
   {IDM_TEAM_POWER_ON, IDM_TEAM_RESET, CommandGroup::Team, MenuRule::TeamPower},
   {IDM_TEAM_ADD_MENU, IDM_TEAM_ADD_MENU, CommandGroup::None, MenuRule::Team},
   {IDM_TEAM_ADD_NEW_VM, IDM_TEAM_ADD_LAN, CommandGroup::None, MenuRule::TeamAdd},
   {IDM_TEAM_SETTINGS, IDM_TEAM_SETTINGS, CommandGroup::Team, MenuRule::Team},
   {IDM_TEAM_SWITCH_MENU, IDM_TEAM_SWITCH_LAST_VM, CommandGroup::None, MenuRule::Team},
   {IDM_TEAM_NEXT_VM, IDM_TEAM_REMOVE_LAST_VM, CommandGroup::None, MenuRule::Team},
   {IDM_TEAM_REMOVE_FIRST_LAN, IDM_TEAM_REMOVE_LAST_LAN, CommandGroup::None, MenuRule::Team},
   {IDM_ZEPHRO_PACKAGE_SETTINGS, IDM_ZEPHRO_PACKAGE_SETTINGS, CommandGroup::Zephro, MenuRule::Zephro},
   {IDM_ZEPHRO_SERVER, IDM_ZEPHRO_DELETE, CommandGroup::Zephro, MenuRule::Zephro},
   {IDM_VM_CLONE_TO_ZEPHRO, IDM_VM_CLONE_TO_ZEPHRO, CommandGroup::VM, MenuRule::VM},
   {IDM_HELP_ZEPHRO_GUIDE, IDM_HELP_ZEPHRO_GUIDE, CommandGroup::Help, MenuRule::Help},
};

// The rows are searched by halves: a renumbered resource id must not leave them out of order.
constexpr bool RowsAscend()
{
   for (size_t i = 0; i < sizeof kCommands / sizeof kCommands[0]; ++i) {
      if (kCommands[i].first > kCommands[i].last || (i > 0 && kCommands[i - 1].last >= kCommands[i].first)) {
         return false;
      }
   }
   return true;
}
static_assert(RowsAscend(), "the command rows must ascend without overlapping");

const CommandRow *FindRow(CommandId id)
{
   auto row = std::lower_bound(std::begin(kCommands), std::end(kCommands), id,
                               [](const CommandRow &r, CommandId value) { return r.last < value; });
   return row != std::end(kCommands) && row->first <= id ? &*row : nullptr;
}

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
   const CommandRow *row = FindRow(id);
   return row ? row->group : CommandGroup::None;
}

MenuRule MenuRuleOf(CommandId id)
{
   const CommandRow *row = FindRow(id);
   return row ? row->rule : MenuRule::None;
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
      Warning(format, zoltdb::ComText(e).c_str());
   } catch (const std::exception &e) {
      Warning(format, e.what());
   } catch (...) {
      Warning(format, "unknown exception");
   }
   return false;
}
