// Which handler group each command id reaches, and which machine a command from each source is
// aimed at.
#include "zoltCommandRoute.h"

#include "cui/MVMTMgr.h"
#include "cui/Team.h"
#include "cui/VM.h"
#include "cui/VmdbCtx.h"
#include "vmdb/Store.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

struct IdRange {
   CommandId first;
   CommandId last;
   CommandGroup group;
};

// The routing as the menus document it, one row per command or run of commands.
const IdRange kExpectedRoutes[] = {
   {165, 166, CommandGroup::VM},        {168, 169, CommandGroup::Power},     {171, 172, CommandGroup::Power},
   {347, 347, CommandGroup::HotFix},    {429, 429, CommandGroup::VM},        {430, 430, CommandGroup::Zephro},
   {431, 431, CommandGroup::Team},      {436, 436, CommandGroup::Zephro},    {437, 437, CommandGroup::Zephro},
   {446, 446, CommandGroup::Zephro},    {449, 449, CommandGroup::File},      {450, 450, CommandGroup::Zephro},
   {455, 455, CommandGroup::Zephro},    {468, 468, CommandGroup::View},      {469, 469, CommandGroup::View},
   {470, 470, CommandGroup::View},      {476, 476, CommandGroup::Zephro},    {481, 481, CommandGroup::View},
   {513, 513, CommandGroup::VM},        {532, 532, CommandGroup::VM},        {613, 613, CommandGroup::Team},
   {617, 617, CommandGroup::Home},      {618, 618, CommandGroup::File},      {620, 620, CommandGroup::View},
   {621, 624, CommandGroup::VM},        {626, 631, CommandGroup::VM},        {681, 683, CommandGroup::Server},
   {40002, 40002, CommandGroup::File},  {40003, 40003, CommandGroup::File},  {40009, 40009, CommandGroup::File},
   {40010, 40010, CommandGroup::VM},    {40018, 40018, CommandGroup::Edit},  {40019, 40021, CommandGroup::Power},
   {40022, 40022, CommandGroup::View},  {40023, 40026, CommandGroup::View},  {40028, 40028, CommandGroup::View},
   {40030, 40030, CommandGroup::View},  {40033, 40033, CommandGroup::Help},  {40037, 40038, CommandGroup::Help},
   {40039, 40039, CommandGroup::Help},  {40041, 40041, CommandGroup::Help},  {40043, 40043, CommandGroup::File},
   {40046, 40046, CommandGroup::VM},    {40047, 40047, CommandGroup::VM},    {40048, 40048, CommandGroup::VM},
   {40049, 40049, CommandGroup::File},  {40051, 40051, CommandGroup::Snapshot}, {40052, 40054, CommandGroup::Help},
   {40057, 40057, CommandGroup::Help},  {40058, 40058, CommandGroup::VM},    {40059, 40059, CommandGroup::Snapshot},
   {40060, 40060, CommandGroup::Snapshot}, {40062, 40062, CommandGroup::Power}, {40063, 40063, CommandGroup::Host},
   {40064, 40064, CommandGroup::View},  {40065, 40065, CommandGroup::View},  {40067, 40067, CommandGroup::Snapshot},
   {40068, 40068, CommandGroup::View},  {40070, 40070, CommandGroup::VM},    {40071, 40071, CommandGroup::VM},
   {40072, 40072, CommandGroup::VM},    {40074, 40074, CommandGroup::Host},  {40077, 40077, CommandGroup::View},
   {40078, 40078, CommandGroup::VM},    {40079, 40079, CommandGroup::Team},  {40080, 40080, CommandGroup::Zephro},
   {40084, 40084, CommandGroup::File},  {40190, 40191, CommandGroup::Help},  {40192, 40192, CommandGroup::Help},
   {40194, 40196, CommandGroup::View},  {40199, 40199, CommandGroup::Host},  {40200, 40200, CommandGroup::Host},
   {40203, 40203, CommandGroup::VM},    {40206, 40206, CommandGroup::File},  {40217, 40219, CommandGroup::Edit},
   {40220, 40220, CommandGroup::Edit},  {40245, 40245, CommandGroup::File},  {40721, 40721, CommandGroup::VM},
   {40722, 40722, CommandGroup::Team},  {40723, 40723, CommandGroup::VM},    {40730, 40730, CommandGroup::VM},
   {41400, 41400, CommandGroup::File},  {41402, 41405, CommandGroup::Team},  {41410, 41410, CommandGroup::Team},
   {41899, 41899, CommandGroup::Zephro}, {41902, 41902, CommandGroup::Zephro}, {41903, 41903, CommandGroup::Zephro},
   {41904, 41904, CommandGroup::Zephro}, {41960, 41960, CommandGroup::VM},   {41989, 41989, CommandGroup::Help},
};

std::map<CommandId, CommandGroup> ExpectedRoutes()
{
   std::map<CommandId, CommandGroup> routes;
   for (const IdRange &range : kExpectedRoutes) {
      for (unsigned id = range.first; id <= range.last; id++) {
         routes[static_cast<CommandId>(id)] = range.group;
      }
   }
   return routes;
}

}  // namespace

TEST(CommandRoute, EveryRoutedIdReachesItsGroupAndNoOtherIdReachesAny)
{
   const std::map<CommandId, CommandGroup> expected = ExpectedRoutes();
   // The whole id space: an id missing from the table, or one routed by mistake, shows here.
   int routed = 0;
   for (unsigned id = 0; id <= 0xFFFF; id++) {
      auto it = expected.find(static_cast<CommandId>(id));
      CommandGroup want = it == expected.end() ? CommandGroup::None : it->second;
      CommandGroup got = RouteCommand(static_cast<CommandId>(id));
      if (got != want) {
         ADD_FAILURE() << "id " << id << " goes to " << CommandGroupName(got) << ", not " << CommandGroupName(want);
      }
      routed += got != CommandGroup::None;
   }
   EXPECT_EQ(static_cast<int>(expected.size()), routed);
}

namespace {

struct RuleRange {
   CommandId first;
   CommandId last;
   MenuRule rule;
};

// The rule that sets each item's state, as the menus document it.
const RuleRange kExpectedRules[] = {
   {449, 449, MenuRule::File},          {618, 618, MenuRule::File},          {40002, 40003, MenuRule::File},
   {40009, 40009, MenuRule::File},      {40043, 40043, MenuRule::File},      {40049, 40049, MenuRule::File},
   {40084, 40084, MenuRule::File},      {40206, 40206, MenuRule::File},      {40245, 40245, MenuRule::File},
   {41400, 41400, MenuRule::File},      {40018, 40018, MenuRule::Edit},      {40217, 40220, MenuRule::Edit},
   {468, 470, MenuRule::View},          {481, 481, MenuRule::View},          {620, 620, MenuRule::View},
   {40022, 40026, MenuRule::View},      {40030, 40030, MenuRule::View},      {40064, 40065, MenuRule::View},
   {40068, 40068, MenuRule::View},      {40077, 40077, MenuRule::View},      {40193, 40196, MenuRule::View},
   {40063, 40063, MenuRule::Host},      {40074, 40074, MenuRule::Host},      {40199, 40200, MenuRule::Host},
   {40033, 40033, MenuRule::Help},      {40037, 40039, MenuRule::Help},      {40041, 40041, MenuRule::Help},
   {40052, 40054, MenuRule::Help},      {40057, 40057, MenuRule::Help},      {40190, 40192, MenuRule::Help},
   {41989, 41989, MenuRule::Help},      {168, 169, MenuRule::Power},         {171, 172, MenuRule::Power},
   {40019, 40021, MenuRule::Power},     {40062, 40062, MenuRule::Power},     {40051, 40051, MenuRule::Snapshot},
   {40059, 40060, MenuRule::Snapshot},  {40067, 40067, MenuRule::Snapshot},  {40493, 40502, MenuRule::Snapshot},
   {165, 166, MenuRule::VM},            {417, 417, MenuRule::VM},            {429, 429, MenuRule::VM},
   {513, 513, MenuRule::VM},            {532, 532, MenuRule::VM},            {621, 622, MenuRule::VM},
   {628, 628, MenuRule::VM},            {630, 632, MenuRule::VM},            {40010, 40010, MenuRule::VM},
   {40046, 40048, MenuRule::VM},        {40058, 40058, MenuRule::VM},        {40070, 40073, MenuRule::VM},
   {40078, 40078, MenuRule::VM},        {40203, 40203, MenuRule::VM},        {40492, 40492, MenuRule::VM},
   {40721, 40721, MenuRule::VM},        {40723, 40723, MenuRule::VM},        {40730, 40730, MenuRule::VM},
   {41960, 41960, MenuRule::VM},        {431, 431, MenuRule::Team},          {528, 528, MenuRule::Team},
   {613, 613, MenuRule::Team},          {40079, 40079, MenuRule::Team},      {40722, 40722, MenuRule::Team},
   {41401, 41401, MenuRule::Team},      {41406, 41406, MenuRule::Team},      {41410, 41410, MenuRule::Team},
   {41500, 41589, MenuRule::Team},      {41598, 41689, MenuRule::Team},      {41701, 41789, MenuRule::Team},
   {41402, 41405, MenuRule::TeamPower}, {40714, 40714, MenuRule::TeamAdd},   {41407, 41409, MenuRule::TeamAdd},
   {430, 430, MenuRule::Zephro},        {436, 437, MenuRule::Zephro},        {446, 446, MenuRule::Zephro},
   {450, 450, MenuRule::Zephro},        {455, 455, MenuRule::Zephro},        {476, 476, MenuRule::Zephro},
   {40080, 40080, MenuRule::Zephro},    {41899, 41899, MenuRule::Zephro},    {41902, 41904, MenuRule::Zephro},
   {681, 683, MenuRule::Server},        {347, 347, MenuRule::HotFix},        {40087, 40188, MenuRule::Windows},
};

}  // namespace

TEST(CommandRoute, EveryIdHasTheMenuRuleOfItsMenuAndNoOtherIdHasOne)
{
   std::map<CommandId, MenuRule> expected;
   for (const RuleRange &range : kExpectedRules) {
      for (unsigned id = range.first; id <= range.last; id++) {
         EXPECT_TRUE(expected.emplace(static_cast<CommandId>(id), range.rule).second) << "listed twice: " << id;
      }
   }
   // The one table answers both questions: a routed id whose rule went missing shows here too.
   int ruled = 0;
   for (unsigned id = 0; id <= 0xFFFF; id++) {
      auto it = expected.find(static_cast<CommandId>(id));
      MenuRule want = it == expected.end() ? MenuRule::None : it->second;
      MenuRule got = MenuRuleOf(static_cast<CommandId>(id));
      if (got != want) {
         ADD_FAILURE() << "id " << id << " has rule " << static_cast<int>(got) << ", not " << static_cast<int>(want);
      }
      ruled += got != MenuRule::None;
   }
   EXPECT_EQ(static_cast<int>(expected.size()), ruled);
   EXPECT_EQ(MenuRuleOf(617), MenuRule::None) << "the home tab's close item keeps its state";
   EXPECT_EQ(RouteCommand(617), CommandGroup::Home);
}

TEST(CommandRoute, ItemsServedByTheirOwnersReachNoGroup)
{
   // Next and previous tab, the Windows menu, recent snapshots, the Favorites and Inventory
   // placeholders, Team > Add, the team switch and remove lists, the device lists, replay's 625.
   const std::vector<unsigned> ownerServed = {40087, 40088, 40089, 40150, 40188, 40493, 40502, 40221, 175,   41407,
                                              41408, 41409, 40714, 41500, 41501, 41589, 41598, 41599, 41600, 41601,
                                              41689, 41701, 41789, 50001, 50099, 50100, 50199, 625,   40055, 40056};
   for (unsigned id : ownerServed) {
      EXPECT_EQ(CommandGroup::None, RouteCommand(static_cast<CommandId>(id))) << id;
   }
}

namespace {

// A machine follows its database node: the configuration file and, for a team's member, the team file.
std::shared_ptr<vmdbstore::Store> MachineStore()
{
   std::shared_ptr<vmdbstore::Store> store = vmdbstore::Store::Create();
   std::unique_ptr<vmdbstore::Context> c = store->NewContext();
   const char *machines[][3] = {{"/vm/#0001/", "a.vmx", ""},       {"/vm/#0002/", "b.vmx", ""},
                                {"/vm/#0003/", "t1.vmx", "team.vmtm"}, {"/vm/#0004/", "t2.vmx", "team.vmtm"},
                                {"/vm/#0005/", "plain.vmx", ""},   {"/vm/#0009/", "orphan.vmx", ""}};
   for (const auto &m : machines) {
      c->Write(std::string(m[0]) + "cfgFile", m[1]);
      if (*m[2]) {
         c->Write(std::string(m[0]) + "vmx/cfgState/val/teamFile", m[2]);
      }
   }
   return store;
}

// A machine of the library's own kind, not the Windows side's.
class PlainVM : public cui::VM {
public:
   using cui::VM::VM;
};

class TestTeam : public wui::Team {
public:
   explicit TestTeam(const std::string &cfg) : wui::Team(cfg, cfg) {}
   void Add(cui::VM *vm)
   {
      vms_.push_back(vm);
      current_ = vm;
   }
};

class FakeLookup : public CommandTargetLookup {
public:
   cui::VM *GetVMByCfgPath(const std::string &cfgPath) override
   {
      for (cui::VM *vm : vms) {
         if (vm->GetFilename() == cfgPath) {
            return vm;
         }
      }
      return nullptr;
   }
   cui::VM *GetVMByVMPath(const std::string &vmPath) override
   {
      for (cui::VM *vm : vms) {
         if (vm->GetVmPath() == vmPath) {
            return vm;
         }
      }
      return nullptr;
   }
   cui::Team *GetTeamByCfgPath(const std::string &cfgPath) override
   {
      for (cui::Team *team : teams) {
         if (team->GetFilename() == cfgPath) {
            return team;
         }
      }
      return nullptr;
   }
   cui::Team *GetTeamByVMPath(const std::string &vmPath) override
   {
      for (cui::Team *team : teams) {
         if (team->HasVM(vmPath)) {
            return team;
         }
      }
      return nullptr;
   }
   bool HasTemplateMgr() override { return templateMgr; }
   cui::MVMTemplate *GetMVMTByFilename(const std::string &filename) override
   {
      auto it = templates.find(filename);
      return it == templates.end() ? nullptr : it->second;
   }
   bool HasZephroExtension() override { return zephro; }
   cui::VM *GetCurrentVM() override { return current; }

   std::vector<cui::VM *> vms;
   std::vector<cui::Team *> teams;
   std::map<std::string, cui::MVMTemplate *> templates;
   bool templateMgr = true;
   bool zephro = true;
   cui::VM *current = nullptr;
};

// Two machines outside teams, a team of two, a template opened as machine b, a library-only
// machine; machine b is current.
class ResolveTest : public ::testing::Test {
protected:
   ResolveTest()
      : a(ctx, "/vm/#0001/", nullptr), b(ctx, "/vm/#0002/", nullptr), t1(ctx, "/vm/#0003/", nullptr),
        t2(ctx, "/vm/#0004/", nullptr), plain(ctx, "/vm/#0005/", nullptr), team("team.vmtm"),
        mvmt(ctx, "/vm/#0002/", nullptr), orphan(ctx, "/vm/#0009/", nullptr)
   {
      team.Add(&t2);
      team.Add(&t1);   // t1 is the team's current machine
      lookup.vms = {&a, &b, &t1, &t2, &plain};
      lookup.teams = {&team};
      lookup.templates = {{"tmpl.vmxa", &mvmt}, {"orphan.vmxa", &orphan}};
      lookup.current = &b;
   }

   CommandTarget Resolve(CommandSource source, const std::string &path)
   {
      return ResolveCommandTarget(source, path, lookup);
   }

   std::shared_ptr<vmdbstore::Store> store = MachineStore();
   std::unique_ptr<vmdbstore::Context> raw = store->NewContext();
   vmdb::Ctx ctx{reinterpret_cast<intptr_t>(raw.get()), true, vmdb::Ctx::kAll};
   wui::VM a, b, t1, t2;
   PlainVM plain;
   TestTeam team;
   // Templates opened as machine b and as a machine that is not open.
   cui::MVMTemplate mvmt, orphan;
   FakeLookup lookup;
};

}  // namespace

TEST_F(ResolveTest, EntriesNamingTheirObjectByPathResolveThatObject)
{
   // A sidebar team entry: the team's current machine; a team that is not open: nothing.
   CommandTarget target = Resolve(kSourceTeamEntry, "team.vmtm");
   EXPECT_EQ(&t1, target.vm);
   EXPECT_EQ(&team, target.team);
   target = Resolve(kSourceTeamEntry, "closed.vmtm");
   EXPECT_EQ(nullptr, target.vm);
   EXPECT_EQ(nullptr, target.team);

   // A sidebar machine entry names the configuration file; the status-page popup the database path.
   EXPECT_EQ(&a, Resolve(kSourceVMEntry, "a.vmx").vm);
   EXPECT_EQ(nullptr, Resolve(kSourceVMEntry, "/vm/#0001/").vm);
   EXPECT_EQ(&a, Resolve(kSourceVMPopup, "/vm/#0001/").vm);
   EXPECT_EQ(nullptr, Resolve(kSourceVMPopup, "a.vmx").vm);
   target = Resolve(kSourceVMPopup, "/vm/#0004/");
   EXPECT_EQ(&t2, target.vm);
   EXPECT_EQ(&team, target.team) << "a popup machine in a team brings its team";
   EXPECT_EQ(nullptr, Resolve(kSourceVMPopup, "/vm/#0001/").team);

   // A machine of the library's own kind is no target.
   EXPECT_EQ(nullptr, Resolve(kSourceVMEntry, "plain.vmx").vm);
   EXPECT_EQ(nullptr, Resolve(kSourceVMPopup, "/vm/#0005/").vm);
}

TEST_F(ResolveTest, TemplatesStandForTheOpenMachineWithTheirDatabasePath)
{
   // Source 10 finds the template without the extension test and hands on its machine.
   lookup.zephro = false;
   EXPECT_EQ(&b, Resolve(kSourceTemplateEntry, "tmpl.vmxa").vm);
   EXPECT_EQ(nullptr, Resolve(kSourceTemplateEntry, "orphan.vmxa").vm) << "its machine is not open";
   EXPECT_EQ(nullptr, Resolve(kSourceTemplateEntry, "a.vmx").vm) << "no fall-back to machines";

   // Sources 9 and 12 look for a template only with the extension, then a machine, then a team.
   for (CommandSource source : {kSourceVMEntryOther, kSourceTemplateEntryAlt}) {
      lookup.zephro = true;
      EXPECT_EQ(&b, Resolve(source, "tmpl.vmxa").vm) << source;
      EXPECT_EQ(&a, Resolve(source, "a.vmx").vm) << source;
      CommandTarget target = Resolve(source, "team.vmtm");
      EXPECT_EQ(&t1, target.vm) << source;
      EXPECT_EQ(&team, target.team) << source;
      EXPECT_EQ(nullptr, Resolve(source, "nothing.vmx").vm) << source;
      lookup.zephro = false;
      EXPECT_EQ(nullptr, Resolve(source, "tmpl.vmxa").vm) << "without the extension no template is looked for";
      lookup.zephro = true;
      lookup.templateMgr = false;
      EXPECT_EQ(nullptr, Resolve(source, "tmpl.vmxa").vm) << "nor without a template manager";
      lookup.templateMgr = true;
   }
}

TEST_F(ResolveTest, EverySourceWithoutAPathOfItsOwnTakesTheCurrentMachine)
{
   const CommandSource others[] = {kSourceHomeTab,      kSourceTeamEntryAlt,        kSourceTeamTab,
                                   kSourceVMEntryAlt,   kSourceVMTab,               kSourceTemplatePopup,
                                   kSourceServerEntry,  kSourceServerTab,           kSourceHotFixTab,
                                   kSourceFavoritesBackground, kSourceInventoryBackground, kSourceCommandBar,
                                   kSourceMenuBar};
   for (CommandSource source : others) {
      // The path is not read: a path naming another machine changes nothing.
      lookup.current = &b;
      CommandTarget target = Resolve(source, "a.vmx");
      EXPECT_EQ(&b, target.vm) << source;
      EXPECT_EQ(nullptr, target.team) << source;

      // The current team's current machine, and the team found by that machine's path.
      lookup.current = &t1;
      target = Resolve(source, "");
      EXPECT_EQ(&t1, target.vm) << source;
      EXPECT_EQ(&team, target.team) << source;

      lookup.current = nullptr;
      EXPECT_EQ(nullptr, Resolve(source, "").vm) << source;
   }
}

TEST_F(ResolveTest, TheMenuBarAndThePowerToolbarAimAtTheSameMachine)
{
   for (cui::VM *current : std::vector<cui::VM *>{&a, &t1}) {
      lookup.current = current;
      EXPECT_EQ(Resolve(kSourceMenuBar, "").vm, Resolve(kSourceCommandBar, current->GetVmPath()).vm);
      EXPECT_EQ(current, Resolve(kSourceCommandBar, "").vm);
   }
}
