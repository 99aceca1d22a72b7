// The settings pages and their frame on their own: what each page shows and writes, which data
// object it takes, and the frame's OK and Cancel, driven through the real sheet.
#include "SessionFixture.h"
#include "SheetDriver.h"

#include "PageFields.h"
#include "atl/ClassTable.h"
#include "tremappcfg/TremAppCfg.h"
#include "tremappcfg/TremAppCfgRes.h"
#include "tremorybase/Text.h"

#include <commctrl.h>

using namespace tremappcfg;

namespace {

const char kHostElement[] = "/host2/#0000/settingsState/req/#0001/";
const char kHostState[] = "/host2/#0000/settingsState/";
const char kPrefsElement[] = "/user/prefState/req/#ZOLT/";

class SettingsPages : public SessionFixture {
protected:
   void SetUp() override
   {
      static bool registered = false;
      if (!registered) {
         registered = true;
         tremappcfg::RegisterClasses();
      }
      SessionFixture::SetUp();
      ctx_ = app_->GetDatabase()->NewContext();
   }
   void TearDown() override
   {
      ctx_ = nullptr;
      SessionFixture::TearDown();
   }

   ITremappPropObjPtr Data(const char *element)
   {
      ITremappPropObjPtr data;
      EXPECT_EQ(S_OK, data.CreateInstance(__uuidof(TremappPropObj), nullptr, CLSCTX_ALL));
      data->SetContext(ctx_);
      data->SetElementPath(element);
      data->SetHostPath("/host2/#0000/");
      return data;
   }
   ITremappPropFramePtr Frame(std::initializer_list<const wchar_t *> pages)
   {
      ITremappPropFramePtr frame;
      EXPECT_EQ(S_OK, frame.CreateInstance(__uuidof(TremappPropFrame), nullptr, CLSCTX_ALL));
      frame->AddDataObject(Data(kPrefsElement));
      frame->AddDataObject(Data(kHostElement));
      for (const wchar_t *page : pages) {
         frame->AddPage(page);
      }
      return frame;
   }

   IVmdbContextPtr ctx_;
};

}  // namespace

TEST_F(SettingsPages, EveryPageReadsElementThenStateThenDefaultAndWritesOnlyWhatChanged)
{
   ASSERT_EQ(kPageTotal, AllPages().size());
   for (const PageSpec &page : AllPages()) {
      SCOPED_TRACE(Utf8FromWide(page.progId));
      const std::string element = page.state == PageState::Host ? "/host2/#0003/settingsState/req/#0001/"
                                                                 : "/user/prefState/req/#ZOLT/";
      const std::string state = StateOfElement(element);
      for (const std::string &old : {state + "val", element + "val"}) {
         if (Exists(old)) {
            ctx_->RemoveNode(old.c_str(), VARIANT_TRUE);
         }
      }
      // The first field has a value in the state and another in the element; the second only
      // in the state; the rest none.
      std::vector<std::string> stored;
      for (size_t i = 0; i < page.fields.size(); ++i) {
         const Field &field = page.fields[i];
         std::string value = field.kind == FieldKind::Check ? (field.defaultValue == std::string("1") ? "0" : "1")
                             : field.kind == FieldKind::Choice ? field.choices.back().value
                             : field.kind == FieldKind::Number ? "123"
                                                               : "C:\\somewhere";
         stored.push_back(value);
         if (i < 2) {
            ctx_->WriteValue((state + "val/" + field.key).c_str(), _variant_t(WideFromUtf8(value).c_str()));
         }
      }
      if (page.fields[0].kind == FieldKind::Check) {
         ctx_->WriteValue((element + "val/" + page.fields[0].key).c_str(), _variant_t(true));
         stored[0] = "1";
      }
      FieldValues shown = ReadFields(ctx_, element, page);
      for (size_t i = 0; i < page.fields.size(); ++i) {
         const Field &field = page.fields[i];
         std::string expected = i < 2 ? stored[i]
                                : field.kind == FieldKind::Folder ? DefaultMachineFolder()
                                                                  : field.defaultValue;
         EXPECT_EQ(expected, shown[field.control]) << field.key;
      }

      FieldValues changed = shown;
      const Field &last = page.fields.back();
      changed[last.control] = last.kind == FieldKind::Check ? (shown[last.control] == "1" ? "0" : "1")
                              : last.kind == FieldKind::Choice ? last.choices.front().value
                              : last.kind == FieldKind::Number ? "77"
                                                               : "D:\\other";
      if (changed[last.control] == shown[last.control]) {
         changed[last.control] = last.choices[1].value;
      }
      EXPECT_EQ(1, WriteChanged(ctx_, element, page, shown, changed));
      EXPECT_EQ(changed[last.control], ValueText(ctx_->ReadValue((element + "val/" + last.key).c_str())));
      if (page.fields.size() > 2) {
         EXPECT_EQ(VARIANT_FALSE, ctx_->TestNode((element + "val/" + page.fields[1].key).c_str()))
            << "an unchanged value is not written";
      }
      EXPECT_EQ(0, WriteChanged(ctx_, element, page, shown, shown));
   }
}

TEST_F(SettingsPages, PagesTakeTheDataObjectOfTheirOwnState)
{
   EXPECT_EQ(kHostState, StateOfElement(kHostElement));
   EXPECT_EQ("/host2/#0000/", HostOfElement(kHostElement));
   EXPECT_EQ("", StateOfElement("/host2/#0000/settingsState/val/"));
   EXPECT_TRUE(ElementBelongsTo(PageState::Host, kHostElement));
   EXPECT_FALSE(ElementBelongsTo(PageState::Host, kPrefsElement));
   EXPECT_TRUE(ElementBelongsTo(PageState::Prefs, kPrefsElement));
   EXPECT_FALSE(ElementBelongsTo(PageState::Prefs, kHostElement));
   EXPECT_FALSE(ElementBelongsTo(PageState::Host, "/vm/#0001/settingsState/req/#0001/")) << "a machine's";

   ITremappCfgPagePtr page;
   ASSERT_EQ(S_OK, atl::ClassTable::CreateByName(L"tremappcfg.GlbMemory.9", __uuidof(ITremappCfgPage),
                                                 reinterpret_cast<void **>(&page)));
   ITremappPropObjPtr prefs = Data(kPrefsElement);
   ITremappPropObj *onlyPrefs[] = {prefs};
   EXPECT_EQ(E_INVALIDARG, page->raw_Bind(onlyPrefs, 1));
   ITremappPropObjPtr host = Data(kHostElement);
   ITremappPropObj *both[] = {prefs, host};
   EXPECT_EQ(S_OK, page->raw_Bind(both, 2));
}

TEST_F(SettingsPages, NumbersAndFoldersAreCheckedOnThePage)
{
   const PageSpec *memory = FindPage(L"tremappcfg.GlbMemory.9");
   const PageSpec *general = FindPage(L"tremappcfg.GlbGeneral.9");
   ASSERT_TRUE(memory && general);
   EXPECT_EQ(nullptr, FindPage(L"tremappcfg.Nothing.9"));
   UINT reason = 0;
   EXPECT_EQ(0, FindRefusedField(*memory, {{IDC_CFG_MEMORY_MAX, "2048"}, {IDC_CFG_MEMORY_SWAP, "fit"}}, reason));
   for (const char *bad : {"", "12a", "1234567890"}) {
      EXPECT_EQ(IDC_CFG_MEMORY_MAX, FindRefusedField(*memory, {{IDC_CFG_MEMORY_MAX, bad}}, reason)) << bad;
      EXPECT_EQ(static_cast<UINT>(IDS_CFG_NOT_A_NUMBER), reason);
   }
   EXPECT_EQ(IDC_CFG_VM_FOLDER, FindRefusedField(*general, {{IDC_CFG_VM_FOLDER, "  "}}, reason));
   EXPECT_EQ(static_cast<UINT>(IDS_CFG_EMPTY_FOLDER), reason);
}

TEST_F(SettingsPages, OkWritesTheChangedValuesOfEachStateIntoItsElement)
{
   ctx_->WriteValue((std::string(kHostState) + "val/memory/max").c_str(), _variant_t(L"512"));
   ITremappPropFramePtr frame = Frame({L"tremappcfg.GlbMemory.9", L"tremappcfg.PrefAutoFit.9"});
   std::vector<std::string> tabs;
   std::string shownMemory, hostMemoryLine;
   SheetDriver driver([&](HWND sheet) {
      tabs = TabCaptions(sheet);
      HWND memory = SelectPage(sheet, 0);
      shownMemory = ItemText(memory, IDC_CFG_MEMORY_MAX);
      hostMemoryLine = ItemText(memory, IDC_CFG_HOST_MEMORY);
      SetItemText(memory, IDC_CFG_MEMORY_MAX, "2048");
      HWND autofit = SelectPage(sheet, 1);
      CheckDlgButton(autofit, IDC_CFG_AUTOFIT_GUEST, BST_CHECKED);
      PressSheetButton(sheet, PSBTN_OK);
   });
   EXPECT_TRUE(frame->ShowModal(nullptr, L"Settings"));
   EXPECT_TRUE(driver.Driven());
   EXPECT_EQ((std::vector<std::string>{"Memory", "Display"}), tabs);
   EXPECT_EQ("512", shownMemory);
   EXPECT_NE(std::string::npos, hostMemoryLine.find(" MB of memory")) << hostMemoryLine;
   EXPECT_EQ("2048", Read(std::string(kHostElement) + "val/memory/max"));
   EXPECT_FALSE(Exists(std::string(kHostElement) + "val/memory/swap")) << "unchanged";
   EXPECT_EQ("1", Read(std::string(kPrefsElement) + "val/zolt/view/autofitGuest"));
   EXPECT_FALSE(Exists(std::string(kPrefsElement) + "val/zolt/view/autofitWindow")) << "unchanged";
}

TEST_F(SettingsPages, CancelWritesNothingEvenAfterARefusedOk)
{
   ITremappPropFramePtr frame = Frame({L"tremappcfg.PrefWorkspace.9", L"tremappcfg.GlbConnections.9"});
   bool stillOpen = false;
   std::string error;
   SheetDriver driver([&](HWND sheet) {
      CheckDlgButton(SelectPage(sheet, 0), IDC_CFG_SHOW_TABS, BST_UNCHECKED);
      HWND connections = SelectPage(sheet, 1);
      SetItemText(connections, IDC_CFG_PORT, "");
      PressSheetButton(sheet, PSBTN_OK);
      stillOpen = IsWindowVisible(sheet) != FALSE;
      error = ItemText(connections, IDC_CFG_ERROR);
      PressSheetButton(sheet, PSBTN_CANCEL);
   });
   EXPECT_FALSE(frame->ShowModal(nullptr, L"Settings"));
   EXPECT_TRUE(stillOpen) << "a refused value keeps the sheet up";
   EXPECT_EQ("Enter a whole number.", error);
   EXPECT_FALSE(Exists(std::string(kPrefsElement) + "val/zolt/view/tabs"));
   EXPECT_FALSE(Exists(std::string(kHostElement) + "val"));
}

TEST_F(SettingsPages, APageThatCannotBeMadeFailsTheShow)
{
   ITremappPropFramePtr frame = Frame({L"tremappcfg.GlbMemory.9", L"tremappcfg.Missing.9"});
   VARIANT_BOOL confirmed = VARIANT_TRUE;
   EXPECT_EQ(REGDB_E_CLASSNOTREG, frame->raw_ShowModal(0, _bstr_t(L"Settings"), &confirmed));
   EXPECT_EQ(VARIANT_FALSE, confirmed);

   ITremappPropFramePtr empty;
   ASSERT_EQ(S_OK, empty.CreateInstance(__uuidof(TremappPropFrame), nullptr, CLSCTX_ALL));
   EXPECT_EQ(E_UNEXPECTED, empty->raw_ShowModal(0, _bstr_t(L"Settings"), &confirmed));
}
