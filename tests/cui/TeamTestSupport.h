// Teams over the simulated host, in-process: the machine test's run with a team manager beside its
// machine manager, machine files in folders of their own and team files beside them.
#pragma once

#include "MachineTestSupport.h"

#include <memory>
#include <string>
#include <vector>

#include "cui/Dlg.h"
#include "cui/DlgMgr.h"
#include "cui/Registry.h"
#include "cui/Team.h"
#include "cui/TeamMgr.h"
#include "tremorybase/Config.h"
#include "tremorybase/File.h"
#include "tremorybase/Poll.h"

// Answers every question with `choice` from the next poll step, and keeps the texts asked.
class AnsweringDlgMgr : public cui::DlgMgr {
public:
   explicit AnsweringDlgMgr(int choice) : choice_(choice) {}

   cui::DlgQuestion *NewQuestion(const std::string &text, const std::vector<std::string> &, int, int,
                                 const std::string &, cui::DlgQuestion::Icon) override
   {
      asked.push_back(text);
      Question *question = new Question(choice_);
      Poll_Post([question]() {
         if (question->Press() == cui::Dlg::DESTROY) {
            question->DeleteDlg();
         }
      });
      return question;
   }

   std::vector<std::string> asked;

private:
   class Question : public cui::DlgQuestion {
   public:
      explicit Question(int choice) : choice_(choice) {}
      int GetChoice() const override { return choice_; }
      RepliedAction Press() { return Reply(); }

   private:
      int choice_;
   };
   int choice_;
};

class TeamTest : public MachineTest {
protected:
   void SetUp() override
   {
      MachineTest::SetUp();
      Config_Set("test.host.teamSecondMs", "40");
      teams_.reset(new wui::TeamMgr);
      cui::SetTeamMgr(teams_.get());
   }
   void TearDown() override
   {
      teams_.reset();
      Config_Set("test.host.teamSecondMs", "");
      MachineTest::TearDown();
   }

   // "<folder>\<name>\<name>.vmx", with an adapter on `pvn` when one is given.
   std::string WriteMachine(const std::string &name, const std::string &pvn = std::string())
   {
      std::string folder = Path(name);
      EXPECT_TRUE(File_MakeFolders(folder));
      std::vector<KeyValueEntry> entries = {{"configVersion", "8"}, {"displayName", name}, {"guestOS", "winxp"},
                                            {"memoryMB", "256"}};
      if (!pvn.empty()) {
         entries.push_back({"net0.present", "TRUE"});
         entries.push_back({"net0.network", "pvn"});
         entries.push_back({"net0.pvnID", pvn});
      }
      std::string path = folder + "\\" + name + ".vmx";
      std::string error;
      EXPECT_TRUE(KeyValueFile::Write(path, entries, error)) << error;
      return path;
   }
   std::string WriteTeam(const std::string &name, const std::vector<KeyValueEntry> &entries)
   {
      std::string path = Path(name + ".vmtm");
      std::string error;
      EXPECT_TRUE(KeyValueFile::Write(path, entries, error)) << error;
      return path;
   }
   static std::string FileText(const std::string &path)
   {
      std::string text;
      std::string error;
      EXPECT_TRUE(File_Read(path, text, error)) << error;
      return text;
   }
   // Opens through the manager and waits; the team, or null with `error` telling why.
   cui::Team *OpenTeam(const std::string &cfgPath, std::string *error = nullptr)
   {
      bool answered = false;
      cui::Team *opened = nullptr;
      std::string why;
      teams_->OpenTeam(
         nullptr, cfgPath, nullptr, [&why](bool, cui::Error e) { why = e.what(); },
         [&](cui::Team *team, bool ok) {
            EXPECT_FALSE(answered) << "opened twice";
            answered = true;
            opened = ok ? team : nullptr;
         },
         false);
      EXPECT_FALSE(answered) << "the open answered inside the call";
      EXPECT_TRUE(Until([&]() { return answered; })) << "the open of " << cfgPath << " never answered";
      if (error) {
         *error = why;
      } else {
         EXPECT_NE(nullptr, opened) << why;
      }
      return opened;
   }
   Outcome Wait(const std::function<void(cui::AbortSlot, cui::DoneSlot)> &start)
   {
      Outcome outcome;
      start(outcome.Abort(), outcome.Done());
      EXPECT_FALSE(outcome.finished) << "answered inside the call";
      EXPECT_TRUE(Until([&]() { return outcome.finished; }));
      return outcome;
   }

   std::unique_ptr<wui::TeamMgr> teams_;
};
