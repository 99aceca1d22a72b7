// Opened-object records: names, search by type and path, the current and the transient tab.
#include "SessionFixture.h"

#include "cui/AppDataPaths.h"

namespace {

// The path of the opened-object record named `name`.
std::string Record(const char *name)
{
   return std::string(cui::appdata::kOpenedObjElements) + name + "/";
}

std::string S(const _bstr_t &text)
{
   return text.length() ? static_cast<const char *>(text) : "";
}

}  // namespace

class OpenedObj : public SessionFixture {
protected:
   std::string Open(const char *type, const char *path, const char *key, bool transient, bool select,
                    bool *existed = nullptr)
   {
      return S(app_->OpenTabInt(_bstr_t(type), _bstr_t(path), _bstr_t(key), transient, select, existed));
   }
   // The object the user asked to open last: an open that is to make its tab current records it
   // before it starts. No poll step runs before the test opens tabs itself, so the machine
   // manager's answer to this open never arrives.
   void Request(const char *file)
   {
      ASSERT_TRUE(app_->OpenVM(_bstr_t(file), OpenFlags().NewTab().MakeCurrent(), cui::AbortSlot(), cui::DoneSlot()))
         << file;
   }
};

TEST_F(OpenedObj, RecordsAreNamedInOrderAndFoundByTypeAndPath)
{
   bool existed = true;
   std::string vm = Open("vm", "/vm/#0009/", "a.vmx", false, true, &existed);
   EXPECT_EQ(vm, Record("0001"));
   EXPECT_FALSE(existed);
   EXPECT_EQ(Current(), vm) << "the first tab takes the selection while none is current";
   EXPECT_EQ(Read(vm + "type"), "vm");
   EXPECT_EQ(Read(vm + "path"), "/vm/#0009/");

   std::string team = Open("team", "t.vmtm", "t.vmtm", false, true, &existed);
   EXPECT_EQ(team, Record("0002"));
   EXPECT_EQ(Current(), vm) << "a tab the user did not ask for leaves the selection";

   EXPECT_EQ(Open("vm", "/vm/#0009/", "a.vmx", false, false, &existed), vm);
   EXPECT_TRUE(existed) << "a second open finds the record";
   EXPECT_EQ(CountElements(cui::appdata::kOpenedObjElements), 2);
   EXPECT_EQ(Open("team", "t.vmtm", "t.vmtm", false, true, &existed), team);
   EXPECT_EQ(Current(), team) << "an existing record takes the selection when asked";

   EXPECT_EQ(S(app_->FindOpenedObj(_bstr_t("vm"), _bstr_t(""), false)), vm) << "an empty path finds the first";
   EXPECT_EQ(S(app_->FindOpenedObj(_bstr_t("vm"), _bstr_t("/VM/#0009/"), false)), "") << "paths compare exactly";
   EXPECT_EQ(S(app_->FindOpenedObj(_bstr_t("hotfix"), _bstr_t(""), false)), "");
   EXPECT_TRUE(app_->IsObjOpened(_bstr_t("team"), _bstr_t("t.vmtm")));
   EXPECT_FALSE(app_->IsObjOpened(_bstr_t("team"), _bstr_t("u.vmtm")));
}

TEST_F(OpenedObj, ClosingTheCurrentTabSelectsTheNextThenTheFirst)
{
   std::string a = Open("vm", "/vm/#0001/", "a", false, false);
   std::string b = Open("vm", "/vm/#0002/", "b", false, false);
   std::string c = Open("vm", "/vm/#0003/", "c", false, false);
   std::string d = Open("vm", "/vm/#0004/", "d", false, false);
   wui::GetPrefs()->SetCurrentObj(b);

   EXPECT_TRUE(app_->CloseObj(_bstr_t("vm"), _bstr_t("/vm/#0001/")));
   EXPECT_EQ(Current(), b) << "closing another tab keeps the selection";
   EXPECT_FALSE(Exists(a));
   app_->CloseObj(_bstr_t("vm"), _bstr_t("/vm/#0002/"));
   EXPECT_EQ(Current(), c) << "the tab after the closed one";
   wui::GetPrefs()->SetCurrentObj(d);
   app_->CloseObj(_bstr_t("vm"), _bstr_t("/vm/#0004/"));
   EXPECT_EQ(Current(), c) << "closing the last tab wraps to the first";
   EXPECT_TRUE(app_->CloseObj(_bstr_t("vm"), _bstr_t("/vm/#0099/"))) << "nothing to close is no failure";
   app_->CloseObj(_bstr_t("vm"), _bstr_t("/vm/#0003/"));
   EXPECT_EQ(Current(), "");
   EXPECT_FALSE(Exists(cui::appdata::kCurrentObj)) << "no record left: the link goes";

   EXPECT_EQ(Open("vm", "/vm/#0005/", "e", false, false), Record("0005"))
      << "names are never reused in a run";
}

TEST_F(OpenedObj, TransientTabIsTakenOverAndAStaleOpenTakesNone)
{
   Request("wanted.vmx");
   EXPECT_EQ(Open("vm", "/vm/#0007/", "other.vmx", true, true), "") << "an open the user replaced";
   EXPECT_EQ(CountElements(cui::appdata::kOpenedObjElements), 0);

   std::string record = Open("vm", "/vm/#0007/", "wanted.vmx", true, true);
   ASSERT_NE(record, "");
   EXPECT_EQ(wui::GetPrefs()->GetTransientObj(), record);
   EXPECT_EQ(Current(), record);
   EXPECT_FALSE(app_->IsObjOpened(_bstr_t("vm"), _bstr_t("/vm/#0007/"))) << "a transient tab is not opened for good";

   // The transient tab's machine is not open any more: its record is taken over, not a crash.
   Request("next.vmx");
   EXPECT_EQ(Open("vm", "/vm/#0008/", "next.vmx", true, true), record);
   EXPECT_EQ(Read(record + "path"), "/vm/#0008/");
   EXPECT_EQ(CountElements(cui::appdata::kOpenedObjElements), 1);

   Open("team", "x.vmtm", "x.vmtm", false, false);
   EXPECT_EQ(wui::GetPrefs()->GetTransientObj(), "") << "a tab opened for good ends the transient state";
}

TEST_F(OpenedObj, RunningTransientMachineKeepsItsTab)
{
   cui::VM *vm = OpenVm("running");
   ASSERT_TRUE(vm);
   bool on = false;
   vm->SetPowerState(cui::VM::POWERED_ON, cui::VM::POWEROP_DEFAULT, cui::AbortSlot(), [&]() { on = true; });
   ASSERT_TRUE(PollUntil([&]() { return on; }));
   EXPECT_FALSE(IsPowerOnAllowed(vm));
   EXPECT_TRUE(IsPowerOnAllowed(nullptr));

   Request(vm->GetFilename().c_str());
   std::string record = Open("vm", vm->GetVmPath().c_str(), vm->GetFilename().c_str(), true, true);
   Request("second.vmx");
   std::string second = Open("vm", "/vm/#0042/", "second.vmx", true, true);
   EXPECT_NE(second, record) << "a running machine keeps its tab";
   EXPECT_TRUE(Exists(record));
   EXPECT_EQ(wui::GetPrefs()->GetTransientObj(), second);

   app_->OpenPoweredOnVMTab(vm);
   EXPECT_EQ(Read(record + "viewType"), "console");
   wui::GetPrefs()->SetCurrentObj(record);
   EXPECT_EQ(app_->GetCurrentVM(), vm);
   wui::GetPrefs()->SetCurrentObj(second);
   EXPECT_EQ(app_->GetCurrentVM(), nullptr) << "that machine is not open";
}
