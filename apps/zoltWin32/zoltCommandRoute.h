// Where a command goes: the handler group of each fixed command id, the rule that sets its menu
// item's state, and the machine (and team) a command from a given source is aimed at. One table
// holds both answers for every id. Pure logic: no windows, the managers behind an interface.
#pragma once

#include "zoltCommandId.h"

#include <functional>
#include <string>

namespace cui {
class MVMTemplate;
class Team;
class VM;
}  // namespace cui
namespace wui {
class Team;
class VM;
}  // namespace wui

// The handler groups of the application object; None for ids the dispatcher leaves to the part
// that built the item (dynamic lists, next and previous tab, Team > Add, ...).
enum class CommandGroup {
   None,
   File,
   Edit,
   View,
   Host,
   Help,
   Home,
   Server,
   Zephro,
   VM,
   Team,
   Power,
   Snapshot,
   HotFix,
};

// The rules of the menu item state (CZOLTApp::UpdateMenuItemState), one per menu; None for ids
// whose items keep the state they have.
enum class MenuRule {
   None,
   File,
   Edit,
   View,
   Host,
   Help,
   Power,
   Snapshot,
   VM,
   Team,
   TeamPower,
   TeamAdd,
   Zephro,
   Server,
   HotFix,
   Windows,
};

CommandGroup RouteCommand(CommandId id);
MenuRule MenuRuleOf(CommandId id);
const char *CommandGroupName(CommandGroup group);

// What the resolution of a command's target looks up; each answers null when nothing matches.
class CommandTargetLookup {
public:
   virtual ~CommandTargetLookup() = default;
   virtual cui::VM *GetVMByCfgPath(const std::string &cfgPath) = 0;
   virtual cui::VM *GetVMByVMPath(const std::string &vmPath) = 0;
   virtual cui::Team *GetTeamByCfgPath(const std::string &cfgPath) = 0;
   // The open team that holds the machine at that database path.
   virtual cui::Team *GetTeamByVMPath(const std::string &vmPath) = 0;
   virtual bool HasTemplateMgr() = 0;
   virtual cui::MVMTemplate *GetMVMTByFilename(const std::string &filename) = 0;
   virtual bool HasZephroExtension() = 0;
   // The current object's machine: the current machine, or the current team's current machine.
   virtual cui::VM *GetCurrentVM() = 0;
};

struct CommandTarget {
   wui::VM *vm = nullptr;
   wui::Team *team = nullptr;
};

// The machine a command from `source` with object path `path` is aimed at, and its team.
CommandTarget ResolveCommandTarget(CommandSource source, const std::string &path, CommandTargetLookup &lookup);

// Runs a command's resolution and handler so that nothing it throws goes further: a COM error,
// a model-library error or anything else is written to the warning log as
// "CZOLTApp::MenuButtonClicked failed: <text>". False when the command failed so.
bool RunCommandGuarded(const std::function<void()> &command);
