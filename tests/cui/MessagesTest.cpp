#include "cui/Error.h"
#include "cui/LocalizedString.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

// Built at static initialisation, as the program's message globals are.
const cui::LocalizedString gConverterBusy("@&!*@*@(msg.zoltApp.Exit.converterBusy)A conversion is running.");
const cui::LocalizedString gEmptyText("@&!*@*@(msg.cloneToZephroMasterWz.progress.subTitle)");

}  // namespace

TEST(CuiMessages, LiteralsGiveTheirIdAndDefaultTextAndPlainTextsPassUnchanged)
{
   EXPECT_EQ("msg.zoltApp.Exit.converterBusy", gConverterBusy.GetId());
   EXPECT_EQ("A conversion is running.", gConverterBusy.GetText());
   EXPECT_EQ("msg.cloneToZephroMasterWz.progress.subTitle", gEmptyText.GetId());
   EXPECT_EQ("", gEmptyText.GetText());

   EXPECT_EQ("(a) b", cui::GetLocalString("@&!*@*@(msg.x.y)(a) b"));
   EXPECT_EQ("plain (text)", cui::GetLocalString("plain (text)"));
   EXPECT_EQ("", cui::GetLocalString(static_cast<const char *>(nullptr)));
   // A marker without the end of its id is no literal: the text is shown as it is.
   EXPECT_EQ("@&!*@*@(msg.broken", cui::GetLocalString("@&!*@*@(msg.broken"));
   EXPECT_EQ("", cui::LocalizedString("@&!*@*@(msg.broken").GetId());
   EXPECT_EQ("x @&!*@*@(msg.a)b", cui::GetLocalString("x @&!*@*@(msg.a)b"));
}

TEST(CuiMessages, FormatFillsTheInsertsOfTheLocalizedText)
{
   EXPECT_EQ("the 3 chosen instances of srv are gone",
             cui::Format("@&!*@*@(msg.zolt.statusQuen.badInstances)the %d chosen instances of %s are gone", 3, "srv"));
   EXPECT_EQ("team - vm", cui::Format("%s - %s", "team", "vm"));
   std::string big(5000, 'x');
   EXPECT_EQ(big + "!", cui::Format("@&!*@*@(msg.t)%s!", big.c_str()));
}

TEST(CuiMessages, SanitizeMessageTrimsCollapsesBlankLinesAndBoundsTheText)
{
   EXPECT_EQ("Cannot open the file.\n\nIt is locked.",
             cui::SanitizeMessage("\r\n  Cannot open the file.  \r\n\r\n\r\n \t\nIt is locked.\n\n"));
   EXPECT_EQ("a b\nc", cui::SanitizeMessage("a\tb\rc\x01"));
   EXPECT_EQ("", cui::SanitizeMessage(" \n \n"));

   std::string many;
   for (int i = 0; i < 100; ++i) {
      many += "line " + std::to_string(i) + "\n";
   }
   std::string cut = cui::SanitizeMessage(many);
   EXPECT_EQ(cui::kMaxMessageLines - 1, static_cast<size_t>(std::count(cut.begin(), cut.end(), '\n')));
   EXPECT_EQ("...", cut.substr(cut.size() - 3));

   // Long text is cut on a character boundary: "é" is two bytes and never split.
   std::string accents;
   for (int i = 0; i < 3000; ++i) {
      accents += "\xC3\xA9";
   }
   std::string bounded = cui::SanitizeMessage(accents);
   EXPECT_LE(bounded.size(), cui::kMaxMessageChars);
   EXPECT_EQ(0u, (bounded.size() - 3) % 2);
   EXPECT_EQ("...", bounded.substr(bounded.size() - 3));
}

TEST(CuiSlots, CancelHandsTheAbortSlotACancelAndBlockedOrEmptySlotsAreNotCalled)
{
   std::vector<std::string> calls;
   cui::AbortSlot abort = [&calls](bool cancelled, cui::Error error) {
      calls.push_back(std::string(cancelled ? "cancelled" : "failed") + ":" + error.what());
   };
   cui::Cancel(abort);
   EXPECT_EQ(std::vector<std::string>{"cancelled:"}, calls);

   EXPECT_TRUE(cui::CallSlot(abort, false, cui::Error("disk full")));
   abort.block();
   cui::Cancel(abort);
   EXPECT_FALSE(cui::CallSlot(abort, false, cui::Error("ignored")));
   EXPECT_FALSE(cui::CallSlot(cui::DoneSlot()));
   cui::Cancel(cui::AbortSlot());
   EXPECT_EQ((std::vector<std::string>{"cancelled:", "failed:disk full"}), calls);

   cui::Error error("The machine is locked.");
   EXPECT_STREQ("The machine is locked.", error.what());
   try {
      throw error;
   } catch (const std::exception &e) {
      EXPECT_STREQ("The machine is locked.", e.what());
   }
}
