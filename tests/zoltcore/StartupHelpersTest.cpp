// Small pieces of the start-up road: text comparison, message literals, editions and Guard.
#include "zoltAppContext.h"
#include "zoltFrame.h"
#include "zoltMessages.h"
#include "zoltGuard.h"
#include "zoltKeyLocator.h"
#include "zoltResources.h"

#include "cui/LocalizedString.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <string>

namespace {

TEST(CompareTextNoCase, IgnoresCaseAndOrdersNullFirst)
{
   EXPECT_EQ(CompareTextNoCase(L"C:\\VMs\\A.vmx", L"c:\\vms\\a.VMX"), 0);
   EXPECT_LT(CompareTextNoCase(L"alpha", L"Beta"), 0);
   EXPECT_GT(CompareTextNoCase(L"GAMMA", L"beta"), 0);
   EXPECT_EQ(CompareTextNoCase(nullptr, nullptr), 0);
   EXPECT_LT(CompareTextNoCase(nullptr, L""), 0);
   EXPECT_GT(CompareTextNoCase(L"", nullptr), 0);
}

TEST(GlobalMessages, LiteralsCarryTheirIdsAndFormatTheirInserts)
{
   EXPECT_EQ(gMultimonFailTitle.GetId(), "msg.app.multimonFail.title");
   EXPECT_EQ(gMultimonFailFormat.GetId(), "msg.app.multimonFail.format");
   EXPECT_EQ(gMultimonFailReason.GetId(), "msg.app.multimonFail.reason");
   EXPECT_FALSE(gMultimonFailTitle.GetText().empty());
   EXPECT_EQ(gMultimonFailTitle.GetText().find("@&!*@*@("), std::string::npos) << "the marker is never shown";

   std::string reason = cui::Format(gMultimonFailReason.GetLiteral().c_str(), "no second monitor");
   EXPECT_EQ(reason, "- no second monitor\n");
   std::string text = cui::Format(gMultimonFailFormat.GetLiteral().c_str(), reason.c_str());
   EXPECT_NE(text.find("- no second monitor\n"), std::string::npos) << text;
}

TEST(GlobalMessages, EveryGlobalHoldsItsIdAndADefaultText)
{
   const struct {
      const cui::LocalizedString &message;
      const char *id;
   } globals[] = {
      {gZephroServerAdYes, "msg.cloneToZephroMasterWz.zephroServer.adYes"},
      {gZephroServerAdNo, "msg.cloneToZephroMasterWz.zephroServer.adNo"},
      {gPocketZephroDeployApp, "msg.wui.wizard.pkgWizard.pocketZephroDeployApp"},
      {gQuenBadInstance, "msg.zolt.statusQuen.badInstance"},
      {gQuenBadInstances, "msg.zolt.statusQuen.badInstances"},
      {gFullScreenVMText, "msg.fullScreen.vm.text"},
      {gFullScreenPinTooltip, "msg.fullScreen.pin.tooltip"},
      {gFullScreenUnpinTooltip, "msg.fullScreen.unpin.tooltip"},
      {gFullScreenAppTooltip, "msg.fullScreen.app.tooltip"},
      {gFullScreenMonitorTooltip, "msg.fullScreen.monitor.tooltip"},
      {gFullScreenNextTooltip, "msg.fullScreen.next.tooltip"},
      {gFullScreenMinimizeTooltip, "msg.fullScreen.minimize.tooltip"},
      {gFullScreenRestoreTooltip, "msg.fullScreen.restore.tooltip"},
      {gFullScreenCloseTooltip, "msg.fullScreen.close.tooltip"},
      {gFullScreenTeamVMFormat, "msg.fullScreen.teamVM.format"},
      {gFullScreenPinTip, "msg.fullScreen.pin.tip"},
      {gFullScreenUngrabTip, "msg.fullScreen.ungrab.tip"},
      {gFullScreenGrabTip, "msg.fullScreen.grab.tip"},
      {gCloneToMasterVMTitle, "msg.cloneToZephroMasterWz.vm.title"},
      {gCloneToMasterVMSubTitle, "msg.cloneToZephroMasterWz.vm.subTitle"},
      {gCloneToMasterVMPathTitle, "msg.cloneToZephroMasterWz.vmPath.title"},
      {gCloneToMasterVMPathSubTitle, "msg.cloneToZephroMasterWz.vmPath.subTitle"},
      {gCloneToMasterServerTitle, "msg.cloneToZephroMasterWz.server.title"},
      {gCloneToMasterServerSubTitle, "msg.cloneToZephroMasterWz.server.subTitle"},
      {gCloneToMasterAdTitle, "msg.cloneToZephroMasterWz.ad.title"},
      {gCloneToMasterAdSubTitle, "msg.cloneToZephroMasterWz.ad.subTitle"},
      {gCloneToMasterFinalTitle, "msg.cloneToZephroMasterWz.final.title"},
      {gCloneToMasterFinalSubTitle, "msg.cloneToZephroMasterWz.final.subTitle"},
      {gCloneToMasterProgressTitle, "msg.cloneToZephroMasterWz.progress.title"},
      {gCloneToMasterProgressSubTitle, "msg.cloneToZephroMasterWz.progress.subTitle"},
      {gCloneToMasterServerErrorNoAddress, "msg.cloneToZephroMasterWzServer.errorNoAddress"},
      {gCloneToMasterServerAdYes, "msg.cloneToZephroMasterWzServer.zephroServer.adYes"},
      {gCloneToMasterServerAdNo, "msg.cloneToZephroMasterWzServer.zephroServer.adNo"},
      {gCloneToMasterVMErrorNoVM, "msg.cloneToZephroMasterWzVM.errorNoVM"},
      {gCloneToMasterVMErrorCannotConvertZephroMaster, "msg.cloneToZephroMasterWzVM.errorCannotConvertZephroMaster"},
      {gCloneToMasterVMErrorNonVMFileSelected, "msg.cloneToZephroMasterWzVM.errorNonVMFileSelected"},
   };
   for (const auto &g : globals) {
      EXPECT_EQ(g.message.GetId(), g.id);
      EXPECT_FALSE(g.message.GetText().empty()) << g.id;
      EXPECT_EQ(g.message.GetLiteral(), std::string("@&!*@*@(") + g.id + ")" + g.message.GetText()) << g.id;
   }
   EXPECT_EQ(gCloneToMasterProgressSubTitle.GetText(), " ");
   EXPECT_EQ(gPocketZephroDeployApp.GetText(), "deploy.exe");
   EXPECT_EQ(cui::Format(gQuenBadInstances.GetLiteral().c_str(), 3).find("3 selected"), std::string("The ").size());
}

TEST(Editions, OnlyTheZephroEditionHasATitleOfItsOwn)
{
   EXPECT_EQ(gAppContext.GetEditionTitle(), "");
   EXPECT_EQ(gZephroAppContext.GetEditionTitle(), "Tremory Deskmoor Zephro Edition");
}

TEST(Guard, RunsCallbacksAndSwallowsWhatTheyThrow)
{
   int calls = 0;
   sigc::slot<void> counting = [&calls] { calls++; };
   Guard(counting);
   EXPECT_EQ(calls, 1);

   counting.block();
   Guard(counting);
   EXPECT_EQ(calls, 1) << "a blocked slot is not called";
   Guard(sigc::slot<void>());

   sigc::slot<void> throwing = [&calls] {
      calls++;
      throw std::runtime_error("broken callback");
   };
   EXPECT_NO_THROW(Guard(throwing));
   sigc::slot<void> throwingAnything = [&calls] {
      calls++;
      throw 42;
   };
   EXPECT_NO_THROW(Guard(throwingAnything));
   EXPECT_EQ(calls, 3);
}

// The provider's answer as a text; empty when it refused.
std::string Answer(unsigned type, unsigned store)
{
   KeyLocatorRequest request = {type, 0, store, "test"};
   char *text = reinterpret_cast<char *>(1);
   size_t length = 99;
   bool answered = KeyProviderCallback(&request, &text, &length);
   std::string result = answered && text ? std::string(text, length) : std::string();
   EXPECT_EQ(answered, text != nullptr);
   EXPECT_EQ(length, result.size());
   if (text) {
      EXPECT_EQ(strlen(text), length) << "a zero-terminated text, its length without the zero";
      free(text);
   }
   return result;
}

TEST(KeyProvider, AnswersOnlyThePassPhraseOfTheUsersStore)
{
   std::string passPhrase = Answer(KEYLOCATOR_REQUEST_PASSPHRASE, 0);
   EXPECT_FALSE(passPhrase.empty());
   EXPECT_EQ(Answer(KEYLOCATOR_REQUEST_PASSPHRASE, 0), passPhrase) << "the same user gets the same pass phrase";
   EXPECT_EQ(Answer(KEYLOCATOR_REQUEST_PASSPHRASE, 1), "") << "another store";
   EXPECT_EQ(Answer(5, 0), "") << "another request";
}

TEST(KeyProvider, TheRegisteredProviderServesTheKeyLocator)
{
   ASSERT_TRUE(StartKeyLocator());
   ASSERT_NE(GetKeyLocatorHandle(), nullptr);
   std::string passPhrase;
   EXPECT_TRUE(KeyLocator_GetPassPhrase(GetKeyLocatorHandle(), 0, passPhrase));
   EXPECT_EQ(passPhrase, Answer(KEYLOCATOR_REQUEST_PASSPHRASE, 0));
   StopKeyLocator();
   EXPECT_EQ(GetKeyLocatorHandle(), nullptr);
}

}  // namespace
