// The message dialog's decisions without a window: line ends, choices, button sets and where the
// controls go.
#include "zoltDlgLayout.h"

#include "res/resource.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::string Label(unsigned id)
{
   switch (id) {
   case IDS_DLG_OK: return "OK";
   case IDS_DLG_CANCEL: return "Cancel";
   case IDS_DLG_RETRY: return "Retry";
   case IDS_DLG_ABORT: return "Abort";
   case IDS_DLG_YES: return "Yes";
   case IDS_DLG_NO: return "No";
   case IDS_DLG_HINT_SUPPRESS: return "hint box";
   case IDS_DLG_QUESTION_SUPPRESS: return "question box";
   }
   return "?";
}

ButtonPlan Plan(const std::string &set, const std::string &kind, const std::vector<std::string> &choices,
                int defaultIndex, int cancelIndex)
{
   ButtonPlan plan;
   plan.set = set;
   plan.kind = kind;
   plan.defaultIndex = defaultIndex;
   plan.cancelIndex = cancelIndex;
   plan.choices = BuildChoiceRecords(choices, nullptr);
   LayoutButtons(plan, Label);
   return plan;
}

int VisibleChoices(const ButtonPlan &plan)
{
   int n = 0;
   for (const auto &c : plan.choices) {
      n += c.visible > 0;
   }
   return n;
}

RECT Rect(int l, int t, int r, int b)
{
   RECT rc = {l, t, r, b};
   return rc;
}

}  // namespace

TEST(DlgText, LineEndsBecomeCrLfWithoutAnEmptyLastLine)
{
   EXPECT_EQ(ConvertLineEnds("one\ntwo\n"), "one\r\ntwo");
   EXPECT_EQ(ConvertLineEnds("one\r\ntwo"), "one\r\ntwo") << "an existing CRLF stays one line end";
   EXPECT_EQ(ConvertLineEnds("a\r\nb\nc\r\n"), "a\r\nb\r\nc");
   EXPECT_EQ(ConvertLineEnds("\n\nx"), "\r\n\r\nx");
   EXPECT_EQ(ConvertLineEnds(""), "");
   EXPECT_EQ(ConvertLineEnds("\n"), "");
}

TEST(DlgChoices, EmptyChoicesAreSkippedButKeepTheOthersAnswers)
{
   size_t overflow = 99;
   auto records = BuildChoiceRecords({"", "_Keep", "Re_place_all"}, &overflow);
   ASSERT_EQ(records.size(), 2u);
   EXPECT_EQ(overflow, 0u);
   EXPECT_EQ(records[0].id, 1);
   EXPECT_EQ(records[0].text, "&Keep");
   EXPECT_EQ(records[1].id, 2);
   EXPECT_EQ(records[1].text, "Re&place_all") << "only the first underscore is the access key";
   EXPECT_EQ(FindChoiceRecord(records, 2), 1);
   EXPECT_EQ(FindChoiceRecord(records, 0), -1);

   std::vector<std::string> many;
   for (int i = 0; i < 13; ++i) {
      many.push_back("c" + std::to_string(i));
   }
   records = BuildChoiceRecords(many, &overflow);
   EXPECT_EQ(records.size(), kMaxChoiceButtons);
   EXPECT_EQ(overflow, 13u) << "more choices than buttons are reported, not dropped silently";
}

TEST(DlgButtons, StandardPairsFoldIntoTheirSets)
{
   ButtonPlan yesNo = Plan("custom", "question", {"_Yes", "_No"}, 0, -1);
   EXPECT_EQ(yesNo.set, "yesNo");
   EXPECT_EQ(VisibleChoices(yesNo), 0);
   EXPECT_EQ(yesNo.buttons[0].text, "Yes");
   EXPECT_EQ(yesNo.buttons[0].id, 0);
   EXPECT_EQ(yesNo.buttons[1].text, "No");
   EXPECT_EQ(yesNo.buttons[1].id, 1);

   EXPECT_EQ(Plan("custom", "question", {"OK", "cancel"}, 0, 1).set, "okCancel");
   EXPECT_EQ(Plan("custom", "question", {"&Retry", "Abort"}, 0, 1).set, "retryAbort");
   EXPECT_EQ(Plan("custom", "question", {"retry", "Cancel"}, 0, 1).set, "retryCancel");
   EXPECT_EQ(Plan("custom", "question", {"No", "Yes"}, 0, 1).set, "custom") << "order matters";

   ButtonPlan shifted = Plan("custom", "question", {"", "Yes", "No"}, 1, -1);
   EXPECT_EQ(shifted.set, "yesNo");
   EXPECT_EQ(shifted.buttons[0].id, 1) << "a folded pair answers its choices' own positions";
   EXPECT_EQ(shifted.buttons[1].id, 2);
}

TEST(DlgButtons, CustomChoicesWithACancelChoice)
{
   ButtonPlan plan = Plan("custom", "question", {"Keep", "Replace", "Cancel"}, 0, 2);
   EXPECT_EQ(plan.set, "custom");
   EXPECT_EQ(VisibleChoices(plan), 2) << "the cancel choice is the Cancel button, not a choice";
   EXPECT_EQ(plan.buttons[0].text, "OK");
   EXPECT_EQ(plan.buttons[0].id, 0);
   EXPECT_EQ(plan.buttons[1].text, "Cancel");
   EXPECT_EQ(plan.buttons[1].id, 2);
   EXPECT_TRUE(plan.buttons[1].visible);

   ButtonPlan noCancel = Plan("custom", "question", {"A", "B", "C"}, 0, -1);
   EXPECT_FALSE(noCancel.buttons[1].visible);
   EXPECT_FALSE(noCancel.buttons[1].enabled);
   EXPECT_EQ(noCancel.buttons[1].id, -1);

   ButtonPlan one = Plan("custom", "question", {"", "Only"}, 0, -1);
   EXPECT_EQ(one.buttons[0].text, "Only");
   EXPECT_EQ(one.buttons[0].id, 1);
   EXPECT_EQ(VisibleChoices(one), 0);

   ButtonPlan two = Plan("custom", "question", {"Keep", "Drop"}, 0, -1);
   EXPECT_EQ(two.buttons[0].text, "Keep");
   EXPECT_EQ(two.buttons[1].text, "Drop");
   EXPECT_EQ(two.buttons[1].id, 1);
   EXPECT_EQ(VisibleChoices(two), 0);
}

TEST(DlgButtons, StandardSetsAndTheirDefaults)
{
   ButtonPlan ok = Plan("ok", "info", {}, -1, -1);
   EXPECT_EQ(ok.buttons[0].text, "OK");
   EXPECT_FALSE(ok.buttons[1].visible);
   EXPECT_EQ(ok.defaultIndex, 0);
   EXPECT_EQ(ok.cancelIndex, 0) << "closing an OK box answers OK";
   EXPECT_FALSE(ok.checkBox.visible);

   ButtonPlan retry = Plan("retryCancel", "warning", {}, -1, -1);
   EXPECT_EQ(retry.buttons[0].text, "Retry");
   EXPECT_EQ(retry.buttons[1].text, "Cancel");
   EXPECT_EQ(retry.cancelIndex, 1);

   ButtonPlan password = Plan("password", "question", {}, -1, -1);
   EXPECT_EQ(password.buttons[0].text, "OK");
   EXPECT_EQ(password.buttons[1].text, "Cancel");

   EXPECT_EQ(Plan("ok", "hint", {}, -1, -1).checkBox.text, "hint box");
   ButtonPlan sq = Plan("custom", "hintQuestion", {"A", "B", "C"}, 0, -1);
   EXPECT_EQ(sq.checkBox.text, "question box");
   EXPECT_TRUE(sq.checkBox.visible);
}

TEST(DlgLayout, ControlsStackBelowTheText)
{
   DlgLayoutInput in;
   in.icon = Rect(10, 10, 42, 42);
   in.text = Rect(60, 10, 400, 150);
   in.textHeight = 60;
   in.lineCount = 4;
   in.choices = {Rect(80, 180, 400, 196), Rect(80, 200, 400, 216)};
   in.checkBoxVisible = true;
   in.checkBox = Rect(60, 300, 200, 316);
   in.first = Rect(300, 340, 375, 363);
   in.second = Rect(385, 340, 460, 363);
   in.firstLabelWidth = 20;
   in.secondLabelWidth = 30;
   DlgLayoutOutput out = ComputeDlgLayout(in);
   EXPECT_EQ(out.text.top, 10);
   EXPECT_EQ(out.text.bottom, 70);
   EXPECT_EQ(out.choices[0].top, 85);
   EXPECT_EQ(out.choices[1].top, out.choices[0].bottom + 5);
   EXPECT_EQ(out.checkBox.top, out.choices[1].bottom + 20);
   EXPECT_EQ(out.first.top, out.checkBox.bottom + 15);
   EXPECT_EQ(out.first.left, 300) << "labels that fit leave the buttons alone";
   EXPECT_EQ(out.clientHeight, out.first.bottom + 15);
   EXPECT_FALSE(out.textScrolls);

   in.lineCount = 1;
   in.textHeight = 16;
   out = ComputeDlgLayout(in);
   EXPECT_EQ(out.text.top, 10 + 16 - 8) << "one line is centred beside the icon";

   in.secondLabelWidth = 100;  // 33 wider than the button allows
   in.okOnly = false;
   out = ComputeDlgLayout(in);
   EXPECT_EQ(out.second.left, 385 - 33);
   EXPECT_EQ(out.first.left, 300 - 33);
   EXPECT_EQ(out.first.right, 375 - 33);

   in.okOnly = true;
   in.secondLabelWidth = 0;
   out = ComputeDlgLayout(in);
   EXPECT_EQ(out.first.left, in.second.left) << "a single OK stands at the right";
}

TEST(DlgLayout, ATextTallerThanTheWorkAreaIsClampedAndScrolls)
{
   DlgLayoutInput in;
   in.icon = Rect(10, 10, 42, 42);
   in.text = Rect(60, 10, 400, 150);
   in.textHeight = 5000;
   in.lineCount = 300;
   in.first = Rect(300, 340, 375, 363);
   in.second = Rect(385, 340, 460, 363);
   in.maxClientHeight = 700;
   DlgLayoutOutput out = ComputeDlgLayout(in);
   EXPECT_TRUE(out.textScrolls);
   EXPECT_EQ(out.clientHeight, 700);
   EXPECT_LT(out.text.bottom, out.first.top);

   in.password = true;
   in.passwordField = Rect(100, 86, 300, 106);
   in.passwordLabel = Rect(30, 86, 90, 106);
   in.confirmField = Rect(100, 110, 300, 130);
   in.confirmLabel = Rect(30, 110, 90, 130);
   in.textHeight = 30;
   in.lineCount = 2;
   out = ComputeDlgLayout(in);
   EXPECT_FALSE(out.textScrolls);
   EXPECT_EQ(out.passwordField.top, 42 + 15);
   EXPECT_EQ(out.passwordLabel.top, out.passwordField.top);
   EXPECT_EQ(out.confirmField.top, out.passwordField.bottom + 5);
   EXPECT_EQ(out.first.top, out.confirmField.bottom + 5 + 15);
}
