// File, Edit and View commands: each switch flips its preference and back, the current-view
// commands need a current tab, quick switch needs its permission, the shared database context
// stays where it was; File > Close and File > Favourites act on the current tab's object; cut,
// copy and paste reach only an edit control with the focus.
#include "SessionFixture.h"

#include "cui/AppDataPaths.h"
#include "cui/WuiPrefs.h"
#include "res/resource.h"

#include <string>

namespace {

const char kPrefs[] = "/user/prefState/req/#ZOLT/val/zolt/";

std::string ClipboardText()
{
   std::string text;
   if (!OpenClipboard(nullptr)) {
      return text;
   }
   if (HANDLE data = GetClipboardData(CF_TEXT)) {
      if (const char *chars = static_cast<const char *>(GlobalLock(data))) {
         text = chars;
         GlobalUnlock(data);
      }
   }
   CloseClipboard();
   return text;
}

void SetClipboardText(const std::string &text)
{
   ASSERT_TRUE(OpenClipboard(nullptr));
   EmptyClipboard();
   HGLOBAL data = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
   memcpy(GlobalLock(data), text.c_str(), text.size() + 1);
   GlobalUnlock(data);
   SetClipboardData(CF_TEXT, data);
   CloseClipboard();
}

}  // namespace

class FileEditView : public SessionFixture {
protected:
   void View(CommandId id) { app_->HandleViewMenuOps(id); }
};

TEST_F(FileEditView, EachSwitchFlipsItsPreferenceAndBack)
{
   wui::Prefs *prefs = wui::GetPrefs();
   const _bstr_t before = app_->GetContext()->CurrentPath();
   struct Switch {
      CommandId id;
      const char *node;
      bool initially;
   };
   const Switch switches[] = {
      {IDM_VIEW_TOOLBAR_ZEPHRO, "toolbar/2/show", true},   {IDM_VIEW_TOOLBAR_POWER, "toolbar/1/show", true},
      {IDM_VIEW_TOOLBAR_SNAPSHOT, "toolbar/3/show", true}, {IDM_VIEW_TOOLBAR_VIEW, "toolbar/4/show", true},
      {IDM_VIEW_TOOLBAR_REPLAY, "toolbar/7/show", true},   {IDM_VIEW_STATUS_BAR, "view/statusBar", true},
      {IDM_VIEW_SIDEBAR, "view/sidebar", true},            {IDM_VIEW_TABS, "view/tabs", true},
      {IDM_VIEW_AUTOFIT_WINDOW, "view/autofitWindow", false}, {IDM_VIEW_AUTOFIT_GUEST, "view/autofitGuest", false},
      {IDM_VIEW_FULL_SCREEN, "view/fullScreen", false},    {IDM_VIEW_QUICK_SWITCH, "view/quickSwitch", false},
   };
   for (const Switch &each : switches) {
      SCOPED_TRACE(each.node);
      const std::string node = std::string("val/zolt/") + each.node;
      EXPECT_EQ(prefs->GetBool(node, each.initially), each.initially);
      View(each.id);
      EXPECT_TRUE(Exists(std::string(kPrefs) + each.node));
      EXPECT_EQ(prefs->GetBool(node, each.initially), !each.initially);
      View(each.id);
      EXPECT_EQ(prefs->GetBool(node, !each.initially), each.initially);
   }
   EXPECT_EQ(std::string(app_->GetContext()->CurrentPath()), std::string(before))
      << "the view commands leave the shared context where it was";

   // Quick switch cannot be turned on where the preferences do not allow it.
   Write(std::string(kPrefs) + "view/quickSwitchEnabled", "false");
   View(IDM_VIEW_QUICK_SWITCH);
   EXPECT_FALSE(prefs->GetQuickSwitch());

   // Fit now: a one-shot request the frame takes.
   View(IDM_VIEW_FIT_WINDOW);
   EXPECT_TRUE(prefs->GetFitWindowEvent());
   View(IDM_VIEW_FIT_GUEST);
   int width = -1;
   int height = -1;
   EXPECT_TRUE(prefs->GetFitGuestEvent(&width, &height));
   EXPECT_EQ(width, 0);
   EXPECT_EQ(height, 0);
}

TEST_F(FileEditView, CurrentViewNeedsACurrentTab)
{
   wui::Prefs *prefs = wui::GetPrefs();
   prefs->SetCurrentObj("");
   Write(cui::appdata::kCurrentObj, "");
   View(IDM_VIEW_CONSOLE);
   EXPECT_EQ(prefs->GetViewType(), "summary");

   cui::VM *vm = OpenVm("Viewed");
   ASSERT_TRUE(vm);
   ASSERT_TRUE(app_->OpenVMTab(vm, false, false, true).length() > 0);
   View(IDM_VIEW_CONSOLE);
   EXPECT_EQ(prefs->GetViewType(), "console");
   View(IDM_VIEW_APPLIANCE);
   EXPECT_EQ(prefs->GetViewType(), "appliance");
   View(IDM_VIEW_SUMMARY);
   EXPECT_EQ(prefs->GetViewType(), "summary");
}

TEST_F(FileEditView, CloseAndFavouritesActOnTheCurrentTab)
{
   // Nothing current: Close does nothing.
   const int records = CountElements(cui::appdata::kOpenedObjElements);
   wui::GetPrefs()->SetCurrentObj("");
   Write(cui::appdata::kCurrentObj, "");
   app_->OnFileCommand(IDM_FILE_CLOSE);
   EXPECT_EQ(CountElements(cui::appdata::kOpenedObjElements), records);

   cui::VM *vm = OpenVm("Liked");
   ASSERT_TRUE(vm);
   ASSERT_TRUE(app_->OpenVMTab(vm, false, false, true).length() > 0);
   ASSERT_EQ(wui::GetPrefs()->GetCurrentObjType(), "vm");
   EXPECT_FALSE(app_->IsVMInFavorites(vm));
   app_->OnFileCommand(IDM_FILE_FAVORITES);
   EXPECT_TRUE(PollUntil([&]() { return app_->IsVMInFavorites(vm); })) << "the current machine is added";

   // Close of the machine's tab: the record goes.
   app_->OnFileCommand(IDM_FILE_CLOSE);
   EXPECT_TRUE(PollUntil([&]() { return !app_->IsObjOpened(_bstr_t("vm"), _bstr_t(vm->GetVmPath().c_str())); }));
}

TEST_F(FileEditView, ClipboardCommandsReachOnlyAFocusedEditControl)
{
   HWND window = CreateWindowExA(0, "Static", "clipboard", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 300, 200, nullptr,
                                 nullptr, GetModuleHandleA(nullptr), nullptr);
   HWND edit = CreateWindowExA(0, "Edit", "typed text", WS_CHILD | WS_VISIBLE, 0, 0, 200, 20, window, nullptr,
                               GetModuleHandleA(nullptr), nullptr);
   HWND button = CreateWindowExA(0, "Button", "a button", WS_CHILD | WS_VISIBLE, 0, 30, 200, 20, window, nullptr,
                                 GetModuleHandleA(nullptr), nullptr);
   SetForegroundWindow(window);

   SetClipboardText("before");
   SetFocus(button);
   app_->OnEditCommand(IDM_EDIT_COPY);
   EXPECT_EQ(ClipboardText(), "before") << "a button has no text to copy";

   SetFocus(edit);
   SendMessageA(edit, EM_SETSEL, 0, -1);
   app_->OnEditCommand(IDM_EDIT_COPY);
   EXPECT_EQ(ClipboardText(), "typed text");

   SendMessageA(edit, EM_SETSEL, 0, 5);
   app_->OnEditCommand(IDM_EDIT_CUT);
   EXPECT_EQ(ClipboardText(), "typed");
   char text[64] = "";
   GetWindowTextA(edit, text, sizeof text);
   EXPECT_STREQ(text, " text");

   SetClipboardText("pasted");
   SendMessageA(edit, EM_SETSEL, 0, -1);
   app_->OnEditCommand(IDM_EDIT_PASTE);
   GetWindowTextA(edit, text, sizeof text);
   EXPECT_STREQ(text, "pasted");
   DestroyWindow(window);
}
