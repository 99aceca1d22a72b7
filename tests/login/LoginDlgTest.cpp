// The login dialog run modally as ConnectToHost runs it, driven from a thread timer: the choice
// between the local host and another one, the recent destinations, OK following the fields,
// and what the object keeps after OK and after Cancel.
#include "ModalDriver.h"
#include "SessionFixture.h"

#include "zoltLoginDlg.h"

#include "res/resource.h"

namespace {

std::string Text(const _bstr_t &text)
{
   return text.length() ? static_cast<const char *>(text) : "";
}

// No application is needed, only the module's resources.
class LoginDlg : public SessionFixture {
protected:
   void SetUp() override {}
};

}  // namespace

TEST_F(LoginDlg, WithoutRecentHostsOKWaitsForAHostAndAUser)
{
   CLoginDlg dialog(_bstr_t(""), _bstr_t(""), _bstr_t(""), MruDestList(), false, true);
   ModalDriver driver([](HWND dlg) {
      EXPECT_EQ(IsDlgButtonChecked(dlg, IDC_LOGIN_REMOTE), BST_CHECKED);
      EXPECT_EQ(IsDlgButtonChecked(dlg, IDC_LOGIN_LOCAL), BST_UNCHECKED);
      EXPECT_FALSE(IsItemEnabled(dlg, IDOK));
      TypeInto(dlg, IDC_LOGIN_HOST, "farhost:903");
      EXPECT_FALSE(IsItemEnabled(dlg, IDOK)) << "a user name is needed too";
      TypeInto(dlg, IDC_LOGIN_USER, "joe");
      EXPECT_TRUE(IsItemEnabled(dlg, IDOK)) << "the password may stay empty";
      TypeInto(dlg, IDC_LOGIN_PASSWORD, "s3cret");
      Click(dlg, IDOK);
   });
   EXPECT_EQ(dialog.DoModal(nullptr), IDOK);
   EXPECT_EQ(driver.Seen(), 1);
   EXPECT_EQ(dialog.GetTemplateId(), IDD_LOGIN);
   EXPECT_TRUE(dialog.remote_);
   EXPECT_EQ(Text(dialog.GetHostName()), "farhost:903");
   EXPECT_EQ(Text(dialog.GetUserName()), "joe");
   EXPECT_EQ(Text(dialog.GetPassword()), "s3cret");
   dialog.ForgetPassword();
   EXPECT_EQ(Text(dialog.GetPassword()), "");
}

TEST_F(LoginDlg, RecentHostsFillTheFirstAndAChoiceFillsItsUser)
{
   MruDestList recent = {{_bstr_t("far:903"), _bstr_t("ann")}, {_bstr_t("near"), _bstr_t("bob")}};
   CLoginDlg dialog(_bstr_t(""), _bstr_t(""), _bstr_t(""), recent, false, true);
   ModalDriver driver([](HWND dlg) {
      HWND box = GetDlgItem(dlg, IDC_LOGIN_HOST);
      EXPECT_EQ(SendMessageW(box, CB_GETCOUNT, 0, 0), 2);
      EXPECT_EQ(ItemText(dlg, IDC_LOGIN_HOST), "far:903");
      EXPECT_EQ(ItemText(dlg, IDC_LOGIN_USER), "ann");
      EXPECT_TRUE(IsItemEnabled(dlg, IDOK));
      SendMessageW(box, CB_SETCURSEL, 1, 0);
      SendMessageW(dlg, WM_COMMAND, MAKEWPARAM(IDC_LOGIN_HOST, CBN_SELCHANGE), reinterpret_cast<LPARAM>(box));
      EXPECT_EQ(ItemText(dlg, IDC_LOGIN_HOST), "near");
      EXPECT_EQ(ItemText(dlg, IDC_LOGIN_USER), "bob");
      Click(dlg, IDOK);
   });
   ASSERT_EQ(dialog.DoModal(nullptr), IDOK);
   EXPECT_EQ(Text(dialog.GetHostName()), "near");
   EXPECT_EQ(Text(dialog.GetUserName()), "bob");
}

TEST_F(LoginDlg, TheLocalHostTurnsTheRemoteFieldsOff)
{
   CLoginDlg dialog(_bstr_t(""), _bstr_t(""), _bstr_t(""), MruDestList(), true, true);
   {
      ModalDriver driver([](HWND dlg) {
         EXPECT_EQ(IsDlgButtonChecked(dlg, IDC_LOGIN_LOCAL), BST_CHECKED);
         for (int id : {IDC_LOGIN_HOST, IDC_LOGIN_USER, IDC_LOGIN_PASSWORD, IDC_LOGIN_HOST_LABEL, IDC_LOGIN_USER_LABEL,
                        IDC_LOGIN_PASSWORD_LABEL}) {
            EXPECT_FALSE(IsItemEnabled(dlg, id)) << id;
         }
         EXPECT_TRUE(IsItemEnabled(dlg, IDOK)) << "the local host needs nothing typed";
         Click(dlg, IDC_LOGIN_REMOTE);
         EXPECT_TRUE(IsItemEnabled(dlg, IDC_LOGIN_HOST));
         EXPECT_TRUE(IsItemEnabled(dlg, IDC_LOGIN_PASSWORD_LABEL));
         EXPECT_FALSE(IsItemEnabled(dlg, IDOK)) << "OK follows the empty fields again";
         Click(dlg, IDC_LOGIN_LOCAL);
         EXPECT_TRUE(IsItemEnabled(dlg, IDOK));
         Click(dlg, IDOK);
      });
      ASSERT_EQ(dialog.DoModal(nullptr), IDOK);
      EXPECT_FALSE(dialog.remote_);
   }
   // The next run keeps the choice and shows why the attempt failed.
   dialog.SetError("The host did not answer.");
   ModalDriver again([](HWND dlg) {
      EXPECT_EQ(IsDlgButtonChecked(dlg, IDC_LOGIN_LOCAL), BST_CHECKED);
      EXPECT_EQ(ItemText(dlg, IDC_LOGIN_ERROR), "The host did not answer.");
      Click(dlg, IDCANCEL);
   });
   EXPECT_EQ(dialog.DoModal(nullptr), IDCANCEL);
   EXPECT_EQ(again.Seen(), 1);
}

TEST_F(LoginDlg, WithoutTheLocalHostOnlyARemoteHostIsOffered)
{
   CLoginDlg dialog(_bstr_t("Connect to Host"), _bstr_t(""), _bstr_t(""), MruDestList(), true, false);
   EXPECT_EQ(dialog.GetTemplateId(), IDD_LOGIN_REMOTE_ONLY);
   ModalDriver driver([](HWND dlg) {
      EXPECT_FALSE(GetDlgItem(dlg, IDC_LOGIN_LOCAL));
      EXPECT_TRUE(IsItemEnabled(dlg, IDC_LOGIN_HOST)) << "preferring the local host cannot choose it";
      wchar_t title[64] = L"";
      GetWindowTextW(dlg, title, 64);
      EXPECT_STREQ(title, L"Connect to Host");
      Click(dlg, IDCANCEL);
   });
   EXPECT_EQ(dialog.DoModal(nullptr), IDCANCEL);
   EXPECT_TRUE(dialog.remote_);
}

TEST_F(LoginDlg, CancelKeepsWhatTheObjectHeldAndARunStartsWithAnEmptyPassword)
{
   CLoginDlg dialog(_bstr_t(""), _bstr_t("farhost"), _bstr_t("joe"), MruDestList(), false, true);
   ModalDriver driver([](HWND dlg) {
      EXPECT_EQ(ItemText(dlg, IDC_LOGIN_HOST), "farhost");
      EXPECT_EQ(ItemText(dlg, IDC_LOGIN_USER), "joe");
      EXPECT_EQ(ItemText(dlg, IDC_LOGIN_PASSWORD), "");
      TypeInto(dlg, IDC_LOGIN_HOST, "elsewhere");
      TypeInto(dlg, IDC_LOGIN_USER, "ann");
      TypeInto(dlg, IDC_LOGIN_PASSWORD, "pw");
      Click(dlg, IDCANCEL);
   });
   ASSERT_EQ(dialog.DoModal(nullptr), IDCANCEL);
   EXPECT_EQ(Text(dialog.GetHostName()), "farhost");
   EXPECT_EQ(Text(dialog.GetUserName()), "joe");
   EXPECT_EQ(Text(dialog.GetPassword()), "");
}
