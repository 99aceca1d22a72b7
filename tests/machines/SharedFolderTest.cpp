// Shared folders the host disables at boot: the state in the database, and the notification the
// machine's manager raises through the dialog factory the program registered.
#include "MachineTestSupport.h"

#include "cui/DlgMgr.h"
#include "cui/Prefs.h"
#include "cui/Registry.h"
#include "cui/SharedFolderMgr.h"
#include "cui/VM.h"
#include "tremorybase/Poll.h"

namespace {

class FakeHint : public cui::DlgHint {
public:
   bool IsSuppressed() const override { return suppressed; }
   // Answers as the user would; DESTROY deletes it, as the end of a program's window does.
   void Press(bool suppress)
   {
      suppressed = suppress;
      if (Reply() == cui::Dlg::DESTROY) {
         delete this;
      }
   }
   bool suppressed = false;
};

// Makes hints only; records what each one was asked to show.
class HintFactory : public cui::DlgMgr {
public:
   cui::DlgHint *NewHint(const std::string &text, const std::string &title) override
   {
      texts.push_back(text);
      titles.push_back(title);
      last = new FakeHint;
      last->destroyed.connect([this]() { last = nullptr; });
      return last;
   }
   bool Implements(Slot slot) const override { return slot == SLOT_HINT; }

   std::vector<std::string> texts;
   std::vector<std::string> titles;
   FakeHint *last = nullptr;
};

const std::vector<KeyValueEntry> kShared = {
   {"configVersion", "8"},
   {"displayName", "Shares"},
   {"guestOS", "winxp"},
   {"memoryMB", "256"},
   {"sharedFolder.defaultDisabled", "TRUE"},
   {"sharedFolder3.present", "TRUE"},
   {"sharedFolder3.hostPath", "C:\\data"},
   {"sharedFolder3.guestName", "data"},
};

class SharedFolderTest : public MachineTest {
protected:
   void SetUp() override
   {
      MachineTest::SetUp();
      cui::SetDlgMgr(&factory);
   }
   void TearDown() override
   {
      if (factory.last) {
         factory.last->Press(false);
      }
      cui::SetDlgMgr(nullptr);
      MachineTest::TearDown();
   }
   bool PowerTo(cui::VM *vm, cui::VM::PowerState state)
   {
      Outcome outcome;
      vm->SetPowerState(state, cui::VM::POWEROP_DEFAULT, outcome.Abort(), outcome.Done());
      return Until([&]() { return outcome.finished; }) && outcome.done;
   }
   std::string Disabled(cui::VM *vm) const
   {
      return run_->ctx.Get(vm->GetVmPath() + "vmx/execState/sharedFolders/disabled");
   }
   // Runs poll steps for a while, so a notification that should not come has had its chance.
   static void Settle()
   {
      Poll_RunUntil([]() { return false; }, 300);
   }

   HintFactory factory;
};

}  // namespace

TEST_F(SharedFolderTest, EachBootDisablesTheFoldersAndShowsTheGivenTextsOnce)
{
   cui::VM *vm = Open(WriteVmx("shares.vmx", kShared));
   ASSERT_NE(nullptr, vm);
   cui::SharedFolderMgr *folders = vm->GetSharedFolderMgr();
   ASSERT_NE(nullptr, folders);
   folders->SetNotificationText("Folders are off.", "Turn them on in the settings.");
   int changes = 0;
   folders->disabledChanged.connect([&changes]() { ++changes; });
   EXPECT_EQ("0", Disabled(vm));

   ASSERT_TRUE(PowerTo(vm, cui::VM::POWERED_ON));
   ASSERT_TRUE(Until([&]() { return factory.last != nullptr; }));
   EXPECT_TRUE(folders->GetDisabled());
   EXPECT_EQ("1", Disabled(vm));
   EXPECT_EQ(1, changes);
   ASSERT_EQ(1u, factory.texts.size());
   EXPECT_EQ("Folders are off.\n\nTurn them on in the settings.", factory.texts[0]);
   EXPECT_EQ("Shares", factory.titles[0]) << "the machine's name tells which one";
   EXPECT_EQ(factory.last, folders->GetNotification());
   factory.last->Press(false);
   EXPECT_EQ(nullptr, folders->GetNotification());

   // Suspend and resume keep the running machine's state: nothing new to say.
   ASSERT_TRUE(PowerTo(vm, cui::VM::SUSPENDED));
   ASSERT_TRUE(PowerTo(vm, cui::VM::POWERED_ON));
   Settle();
   EXPECT_EQ(1u, factory.texts.size());
   EXPECT_TRUE(folders->GetDisabled());

   // Power off clears it; the next boot disables them again and says so again.
   ASSERT_TRUE(PowerTo(vm, cui::VM::POWERED_OFF));
   EXPECT_EQ("0", Disabled(vm));
   EXPECT_FALSE(folders->GetDisabled());
   EXPECT_EQ(2, changes);
   ASSERT_TRUE(PowerTo(vm, cui::VM::POWERED_ON));
   ASSERT_TRUE(Until([&]() { return factory.texts.size() == 2u; }));

   // Suspended and opened in the next run: still disabled, and not news to that run.
   ASSERT_TRUE(PowerTo(vm, cui::VM::SUSPENDED));
   factory.last->Press(false);
   std::string cfg = vm->GetFilename();
   NewRun();
   cui::VM *again = Open(cfg);
   ASSERT_NE(nullptr, again);
   EXPECT_TRUE(again->GetSharedFolderMgr()->GetDisabled());
   ASSERT_TRUE(PowerTo(again, cui::VM::POWERED_ON));
   Settle();
   EXPECT_EQ(2u, factory.texts.size());
}

TEST_F(SharedFolderTest, NothingIsDisabledWithoutFoldersOrWithoutTheHostDefault)
{
   std::vector<KeyValueEntry> noDefault = kShared;
   noDefault[4].value = "FALSE";
   std::vector<KeyValueEntry> noFolder = kShared;
   noFolder[5].value = "FALSE";
   for (const auto &machine : {std::make_pair("nodefault.vmx", noDefault), std::make_pair("nofolder.vmx", noFolder)}) {
      SCOPED_TRACE(machine.first);
      cui::VM *vm = Open(WriteVmx(machine.first, machine.second));
      ASSERT_NE(nullptr, vm);
      ASSERT_TRUE(PowerTo(vm, cui::VM::POWERED_ON));
      Settle();
      EXPECT_EQ("0", Disabled(vm));
      EXPECT_FALSE(vm->GetSharedFolderMgr()->GetDisabled());
   }
   EXPECT_TRUE(factory.texts.empty());
}

TEST_F(SharedFolderTest, WithoutTextsTheLibrarySaysItsOwnAndATickedBoxTurnsTheHintOff)
{
   cui::VM *vm = Open(WriteVmx("shares.vmx", kShared));
   ASSERT_NE(nullptr, vm);
   ASSERT_TRUE(PowerTo(vm, cui::VM::POWERED_ON));
   ASSERT_TRUE(Until([&]() { return factory.last != nullptr; }));
   EXPECT_EQ(0u, factory.texts[0].find("Shared folders are disabled.\n\n")) << factory.texts[0];

   factory.last->Press(true);
   const std::string off = std::string(cui::kPrefsRequestPath) + "val/hints/sharedFoldersDisabled/disabled";
   EXPECT_TRUE(run_->ctx.GetBool(off, false));
   ASSERT_TRUE(PowerTo(vm, cui::VM::POWERED_OFF));
   ASSERT_TRUE(PowerTo(vm, cui::VM::POWERED_ON));
   Settle();
   EXPECT_TRUE(vm->GetSharedFolderMgr()->GetDisabled());
   EXPECT_EQ(1u, factory.texts.size()) << "turned off for good";
}
