// The wizard logic of the model library and its property-sheet face: the page flow (next, back,
// skip, finish, cancel), a page that refuses to be left, a check that answers later, and the sheet
// that shows it, which changes pages only when the library says and deletes the wizard once.
#include "SheetSteps.h"

#include <gtest/gtest.h>

#include <commctrl.h>
#include <prsht.h>

#include <memory>
#include <string>
#include <vector>

#include "cui/Wizard.h"
#include "res/teamwz.h"
#include "zoltSymbolButton.h"
#include "zoltWizard.h"

namespace {

using cui::wizard::BUTTON_BACK;
using cui::wizard::BUTTON_CANCEL;
using cui::wizard::BUTTON_FINISH;
using cui::wizard::BUTTON_NEXT;
using cui::wizard::ValidateSlot;

// A library wizard of `count` plain pages that records what it asks of its window.
class FlowWizard : public cui::wizard::Wizard {
public:
   explicit FlowWizard(int count) : count_(count) {}

   void Begin() { Init(); }
   RepliedAction Press(int button)
   {
      SetChoice(button);
      return Reply();
   }
   int Current() const { return GetPageIndex(GetCurrentPage()); }

   void OnInit() override
   {
      std::vector<cui::wizard::Page *> pages;
      for (int i = 0; i < count_; ++i) {
         pages.push_back(new cui::wizard::Page());
      }
      SetPages(pages);
      Start();
   }
   void ShowPage(cui::wizard::Page *page) override { shown.push_back(GetPageIndex(page)); }
   void SetButtonSensitive(cui::wizard::WizardButton button, bool on) override { sensitive[button] = on; }
   void SetButtonVisible(cui::wizard::WizardButton button, bool on) override { visible[button] = on; }
   void Close() override { ++closes; }
   void OnFinished() override { ++finishes; }
   void OnCancelled() override { ++cancels; }
   void Reenable() override { ++reenables; }

   bool Offered(cui::wizard::WizardButton button) const { return visible[button] && sensitive[button]; }

   std::vector<int> shown;
   bool sensitive[cui::wizard::kButtonCount] = {};
   bool visible[cui::wizard::kButtonCount] = {};
   int closes = 0;
   int finishes = 0;
   int cancels = 0;
   int reenables = 0;
   std::vector<std::string> refusals;

protected:
   cui::DlgMgr *GetWizardDlgMgr() override { return nullptr; }
   void ShowInvalid(const std::string &message) override { refusals.push_back(message); }

private:
   int count_;
};

TEST(WizardFlow, NextBackAndFinishWalkThePagesAndOfferEachPageItsButtons)
{
   FlowWizard wizard(3);
   wizard.Begin();
   EXPECT_EQ(std::vector<int>({0}), wizard.shown);
   EXPECT_FALSE(wizard.Offered(BUTTON_BACK));
   EXPECT_TRUE(wizard.Offered(BUTTON_NEXT));
   EXPECT_FALSE(wizard.Offered(BUTTON_FINISH));

   EXPECT_EQ(cui::Dlg::ENABLE, wizard.Press(BUTTON_NEXT));
   EXPECT_EQ(1, wizard.Current());
   EXPECT_TRUE(wizard.Offered(BUTTON_BACK));
   // Finish is not offered before the last page, and pressing it there changes nothing.
   EXPECT_EQ(cui::Dlg::ENABLE, wizard.Press(BUTTON_FINISH));
   EXPECT_EQ(0, wizard.finishes);
   EXPECT_EQ(cui::Dlg::ENABLE, wizard.Press(BUTTON_NEXT));
   EXPECT_EQ(2, wizard.Current());
   EXPECT_FALSE(wizard.Offered(BUTTON_NEXT));
   EXPECT_TRUE(wizard.Offered(BUTTON_FINISH));
   EXPECT_EQ(cui::Dlg::ENABLE, wizard.Press(BUTTON_NEXT));
   EXPECT_EQ(2, wizard.Current());

   EXPECT_EQ(cui::Dlg::ENABLE, wizard.Press(BUTTON_BACK));
   EXPECT_EQ(1, wizard.Current());
   EXPECT_EQ(cui::Dlg::ENABLE, wizard.Press(BUTTON_BACK));
   EXPECT_EQ(0, wizard.Current());
   EXPECT_FALSE(wizard.Offered(BUTTON_BACK));
   EXPECT_EQ(std::vector<int>({0, 1, 2, 1, 0}), wizard.shown);

   wizard.Press(BUTTON_NEXT);
   wizard.Press(BUTTON_NEXT);
   EXPECT_EQ(cui::Dlg::DESTROY, wizard.Press(BUTTON_FINISH));
   EXPECT_TRUE(wizard.IsFinished());
   EXPECT_EQ(1, wizard.finishes);
   EXPECT_EQ(1, wizard.closes);
   // A press that reaches an ended wizard ends nothing twice.
   EXPECT_EQ(cui::Dlg::DESTROY, wizard.Press(BUTTON_CANCEL));
   EXPECT_EQ(0, wizard.cancels);
   EXPECT_EQ(1, wizard.closes);
}

TEST(WizardFlow, SkippedPagesArePassedOverBothWaysAsTheirRuleSaysAtTheTime)
{
   FlowWizard wizard(4);
   bool skip = true;
   wizard.Begin();
   wizard.GetPage(1)->SetSkipRule([&skip]() { return skip; });
   wizard.Press(BUTTON_NEXT);
   EXPECT_EQ(2, wizard.Current());
   wizard.Press(BUTTON_BACK);
   EXPECT_EQ(0, wizard.Current());

   skip = false;
   wizard.Press(BUTTON_NEXT);
   EXPECT_EQ(1, wizard.Current());
   wizard.Press(BUTTON_NEXT);
   wizard.Press(BUTTON_NEXT);
   EXPECT_EQ(3, wizard.Current());
   // The page was shown on the way forward, then its rule changed: Back passes it over.
   skip = true;
   wizard.Press(BUTTON_BACK);
   wizard.Press(BUTTON_BACK);
   EXPECT_EQ(0, wizard.Current());

   // A skipped last page: Finish moves to the page before it.
   wizard.GetPage(3)->SetSkipRule([]() { return true; });
   wizard.Press(BUTTON_NEXT);
   EXPECT_EQ(2, wizard.Current());
   EXPECT_TRUE(wizard.Offered(BUTTON_FINISH));
   EXPECT_FALSE(wizard.Offered(BUTTON_NEXT));
}

TEST(WizardFlow, APageThatRefusesKeepsTheWizardOnItAndSaysWhy)
{
   FlowWizard wizard(3);
   wizard.Begin();
   int asked = 0;
   bool accept = false;
   wizard.GetPage(0)->SetValidateRule([&](ValidateSlot done) {
      ++asked;
      done(accept, accept ? "" : "@&!*@*@(msg.test.refused)Not yet.");
   });
   EXPECT_EQ(cui::Dlg::ENABLE, wizard.Press(BUTTON_NEXT));
   EXPECT_EQ(0, wizard.Current());
   EXPECT_EQ(std::vector<std::string>({"@&!*@*@(msg.test.refused)Not yet."}), wizard.refusals);
   EXPECT_EQ(0, wizard.reenables);
   // Back is not checked: only leaving forward is.
   accept = true;
   EXPECT_EQ(cui::Dlg::ENABLE, wizard.Press(BUTTON_NEXT));
   EXPECT_EQ(1, wizard.Current());
   wizard.Press(BUTTON_BACK);
   EXPECT_EQ(2, asked);

   // The last page refuses Finish the same way.
   wizard.Press(BUTTON_NEXT);
   wizard.Press(BUTTON_NEXT);
   wizard.GetPage(2)->SetValidateRule([](ValidateSlot done) { done(false, "@&!*@*@(msg.test.last)No."); });
   EXPECT_EQ(cui::Dlg::ENABLE, wizard.Press(BUTTON_FINISH));
   EXPECT_FALSE(wizard.IsFinished());
   EXPECT_EQ(0, wizard.closes);
}

TEST(WizardFlow, ACheckThatAnswersLaterKeepsTheSheetDisabledUntilItsAnswer)
{
   FlowWizard wizard(3);
   wizard.Begin();
   std::vector<ValidateSlot> waiting;
   wizard.GetPage(0)->SetValidateRule([&](ValidateSlot done) { waiting.push_back(done); });
   EXPECT_EQ(cui::Dlg::KEEP_DISABLED, wizard.Press(BUTTON_NEXT));
   EXPECT_TRUE(wizard.IsValidating());
   // Presses meanwhile start nothing.
   EXPECT_EQ(cui::Dlg::KEEP_DISABLED, wizard.Press(BUTTON_NEXT));
   EXPECT_EQ(cui::Dlg::KEEP_DISABLED, wizard.Press(BUTTON_CANCEL));
   ASSERT_EQ(1u, waiting.size());
   EXPECT_EQ(0, wizard.cancels);

   waiting[0](false, "@&!*@*@(msg.test.later)Later no.");
   EXPECT_EQ(0, wizard.Current());
   EXPECT_EQ(1, wizard.reenables);
   EXPECT_EQ(1u, wizard.refusals.size());

   EXPECT_EQ(cui::Dlg::KEEP_DISABLED, wizard.Press(BUTTON_NEXT));
   ASSERT_EQ(2u, waiting.size());
   waiting[1](true, "");
   EXPECT_EQ(1, wizard.Current());
   EXPECT_EQ(2, wizard.reenables);
   // A late second answer of the same check changes nothing.
   waiting[1](true, "");
   EXPECT_EQ(1, wizard.Current());
}

TEST(WizardFlow, CancelEndsTheWizardOnceFromAnyPage)
{
   FlowWizard wizard(3);
   wizard.Begin();
   wizard.Press(BUTTON_NEXT);
   EXPECT_EQ(cui::Dlg::DESTROY, wizard.Press(BUTTON_CANCEL));
   EXPECT_TRUE(wizard.IsCancelled());
   EXPECT_FALSE(wizard.IsFinished());
   EXPECT_EQ(1, wizard.cancels);
   EXPECT_EQ(1, wizard.closes);
   EXPECT_EQ(0, wizard.finishes);
   EXPECT_EQ(cui::Dlg::DESTROY, wizard.Press(BUTTON_CANCEL));
   EXPECT_EQ(1, wizard.cancels);
}

// The sheet face over three of the team wizard's templates; the first page is skipped, so the
// sheet must open on the page the library asked for before the sheet existed.
struct Counts {
   int deleted = 0;
   int finishes = 0;
   int cancels = 0;
};

class SheetWizard : public wui::wizard::Wizard {
public:
   explicit SheetWizard(Counts *counts) : counts_(counts) { Init(); }
   ~SheetWizard() override { ++counts_->deleted; }

   void OnInit() override
   {
      SetPages({new wui::wizard::Page(this, IDD_TEAMWZ_WELCOME, nullptr, nullptr),
                new wui::wizard::Page(this, IDD_TEAMWZ_ADD_VMS, "Title", nullptr),
                new wui::wizard::Page(this, IDD_TEAMWZ_ADD_LANS, nullptr, "Only a subtitle")});
      GetPage(0)->SetSkipRule([]() { return true; });
      GetPage(1)->SetValidateRule([this](cui::wizard::ValidateSlot done) {
         ++checks;
         done(checks > 1, "@&!*@*@(msg.test.first)Not the first time.");
      });
      Start();
   }
   void OnFinished() override { ++counts_->finishes; }
   void OnCancelled() override { ++counts_->cancels; }

   int checks = 0;
   int refusals = 0;

protected:
   void ShowInvalid(const std::string &) override { ++refusals; }

private:
   Counts *counts_;
};

const wchar_t kCaption[] = L"New Team Wizard";
const int kSheetNext = 0x3024;
const int kSheetFinish = 0x3025;
const int kSheetBack = 0x3023;

bool Enabled(HWND sheet, int id)
{
   HWND button = GetDlgItem(sheet, id);
   return button && IsWindowVisible(button) && IsWindowEnabled(button);
}

TEST(WizardSheet, TheSheetFollowsTheLibraryAndTheWizardIsDeletedOnceWhenFinished)
{
   Counts counts;
   auto wizard = std::make_unique<SheetWizard>(&counts);
   SheetWizard *seen = wizard.get();
   bool startedOnSecond = false;
   bool stayedAfterRefusal = false;
   DWORD lastFlags = 0;
   DWORD disabledFinish = 0;
   wiztest::SheetSteps steps(
      kCaption,
      {
         {"the start page", [](HWND sheet) { return wiztest::OnSheetPage(sheet, IDD_TEAMWZ_ADD_VMS); },
          [&](HWND sheet) {
             startedOnSecond = !Enabled(sheet, kSheetBack) && Enabled(sheet, kSheetNext);
             wiztest::PressSheet(sheet, PSBTN_NEXT);
          }},
         {"the refusal", [seen](HWND sheet) { return seen->refusals == 1 && IsWindowEnabled(sheet); },
          [&](HWND sheet) {
             stayedAfterRefusal = wiztest::OnSheetPage(sheet, IDD_TEAMWZ_ADD_VMS);
             wiztest::PressSheet(sheet, PSBTN_NEXT);
          }},
         {"the last page",
          [](HWND sheet) { return wiztest::OnSheetPage(sheet, IDD_TEAMWZ_ADD_LANS) && Enabled(sheet, kSheetFinish); },
          [&](HWND) {
             lastFlags = seen->GetButtonFlags();
             seen->SetButtonSensitive(cui::wizard::BUTTON_FINISH, false);
             disabledFinish = seen->GetButtonFlags();
             seen->SetButtonSensitive(cui::wizard::BUTTON_FINISH, true);
          }},
         {"finish", [](HWND sheet) { return Enabled(sheet, kSheetFinish); },
          [](HWND sheet) { wiztest::PressSheet(sheet, PSBTN_FINISH); }},
      });
   const bool finished = wui::wizard::Wizard::Run(std::move(wizard), nullptr);
   EXPECT_TRUE(steps.Finished()) << "stuck at: " << steps.Stuck();
   EXPECT_TRUE(finished);
   EXPECT_TRUE(startedOnSecond);
   EXPECT_TRUE(stayedAfterRefusal);
   EXPECT_EQ(static_cast<DWORD>(PSWIZB_BACK | PSWIZB_FINISH), lastFlags);
   EXPECT_EQ(static_cast<DWORD>(PSWIZB_BACK | PSWIZB_DISABLEDFINISH), disabledFinish);
   EXPECT_EQ(1, counts.finishes);
   EXPECT_EQ(0, counts.cancels);
   EXPECT_EQ(1, counts.deleted);
}

TEST(WizardSheet, CancelAndTheCloseBoxAreButtonsOfTheLibraryAndTheWizardIsDeletedOnce)
{
   Counts counts;
   auto wizard = std::make_unique<SheetWizard>(&counts);
   wiztest::SheetSteps steps(kCaption,
                             {
                                {"the start page",
                                 [](HWND sheet) { return wiztest::OnSheetPage(sheet, IDD_TEAMWZ_ADD_VMS); },
                                 [&](HWND sheet) { PostMessageW(sheet, WM_SYSCOMMAND, SC_CLOSE, 0); }},
                             });
   // The steps end with the close box; the sheet goes only because the library closes it.
   const bool finished = wui::wizard::Wizard::Run(std::move(wizard), nullptr);
   EXPECT_TRUE(steps.Finished()) << "stuck at: " << steps.Stuck();
   EXPECT_FALSE(finished);
   EXPECT_EQ(1, counts.cancels);
   EXPECT_EQ(0, counts.finishes);
   EXPECT_EQ(1, counts.deleted);
}

TEST(SymbolButton, TheGlyphSitsByItsAlignmentAndMarginAndMovesWhenPressed)
{
   const RECT client = {0, 0, 84, 23};
   auto x = [&](CSymbolButton::Alignment alignment, int margin, bool pressed) {
      RECT square = CSymbolButton::GlyphRect(client, 11, alignment, margin, pressed);
      EXPECT_EQ(11, square.right - square.left);
      EXPECT_EQ(pressed ? 7 : 6, square.top) << "centred in the height";
      return square.left;
   };
   EXPECT_EQ(3, x(CSymbolButton::ALIGN_LEFT, 3, false));
   EXPECT_EQ(36, x(CSymbolButton::ALIGN_CENTER, 3, false));
   EXPECT_EQ(70, x(CSymbolButton::ALIGN_RIGHT, 3, false));
   // A negative margin is half the glyph's side.
   EXPECT_EQ(68, x(CSymbolButton::ALIGN_RIGHT, -1, false));
   EXPECT_EQ(69, x(CSymbolButton::ALIGN_RIGHT, -1, true));
}

}  // namespace
