#include "zoltLoginDlg.h"

#include "zoltResources.h"

#include "tremorybase/Text.h"

namespace {

const wchar_t kResLibrary[] = L"zoltRes.dll";
const int kBannerBitmap = 100;

// The fields of the remote choice, with their labels.
const int kRemoteFields[] = {IDC_LOGIN_HOST, IDC_LOGIN_USER, IDC_LOGIN_PASSWORD, IDC_LOGIN_HOST_LABEL,
                             IDC_LOGIN_USER_LABEL, IDC_LOGIN_PASSWORD_LABEL};

}  // namespace

CLoginDlg::CLoginDlg(const _bstr_t &title, const _bstr_t &host, const _bstr_t &user, const MruDestList &recent,
                     bool preferLocal, bool localAvailable)
   : host_(host), user_(user), password_(""), title_(title), recent_(recent), localAvailable_(localAvailable),
     preferLocal_(preferLocal), templateId_(localAvailable ? IDD_LOGIN : IDD_LOGIN_REMOTE_ONLY)
{
}

CLoginDlg::~CLoginDlg()
{
   WipeText(password_);
   DeleteBanner();
   DestroyImages(bigIcon_, smallIcon_);
}

INT_PTR CLoginDlg::DoModal(HWND owner)
{
   if (m_hWnd) {
      return -1;
   }
   m_bModal = true;
   atl::detail::PushCreating(atl::detail::kCreateDialog, static_cast<CDialogImplBaseT<CWindow> *>(this));
   INT_PTR result = ::DialogBoxParamW(GetResourceInstance(), MAKEINTRESOURCEW(templateId_), owner, GetDialogProc(), 0);
   atl::detail::DiscardCreating(atl::detail::kCreateDialog, static_cast<CDialogImplBaseT<CWindow> *>(this));
   return result;
}

LRESULT CLoginDlg::OnInitDialog(UINT, WPARAM, LPARAM, BOOL &)
{
   CentreOnOwner();
   ShowBanner();
   if (title_.length() > 0) {
      ::SetWindowTextW(m_hWnd, static_cast<const wchar_t *>(title_));
      DestroyImages(bigIcon_, smallIcon_);
      if (LoadEditionImage(bigIcon_, smallIcon_)) {
         ::SendMessageW(m_hWnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon_));
         ::SendMessageW(m_hWnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(bigIcon_));
      }
   }
   ::SetDlgItemTextW(m_hWnd, IDC_LOGIN_ERROR, WideFromUtf8(error_).c_str());

   hostBox_ = ::GetDlgItem(m_hWnd, IDC_LOGIN_HOST);
   ::SendMessageW(hostBox_, CB_RESETCONTENT, 0, 0);
   for (const MruDestList::value_type &entry : recent_) {
      ::SendMessageW(hostBox_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(static_cast<const wchar_t *>(entry.first)));
   }
   if (host_.length() == 0 && ::SendMessageW(hostBox_, CB_GETCOUNT, 0, 0) > 0) {
      ::SendMessageW(hostBox_, CB_SETCURSEL, 0, 0);
      ::SendMessageW(m_hWnd, WM_COMMAND, MAKEWPARAM(IDC_LOGIN_HOST, CBN_SELCHANGE), reinterpret_cast<LPARAM>(hostBox_));
      ::SetDlgItemTextW(m_hWnd, IDC_LOGIN_USER, static_cast<const wchar_t *>(recent_[0].second));
   }
   if (preferLocal_) {
      SetRemote(!localAvailable_);
   } else if (host_.length() > 0) {
      ::SetWindowTextW(hostBox_, static_cast<const wchar_t *>(host_));
      ::SetDlgItemTextW(m_hWnd, IDC_LOGIN_USER, user_.length() > 0 ? static_cast<const wchar_t *>(user_) : L"");
      SetRemote(true);
   } else {
      SetRemote(true);
   }
   return TRUE;
}

LRESULT CLoginDlg::OnCtlColorStatic(UINT, WPARAM wParam, LPARAM lParam, BOOL &handled)
{
   if (reinterpret_cast<HWND>(lParam) != ::GetDlgItem(m_hWnd, IDC_LOGIN_ERROR)) {
      handled = FALSE;
      return 0;
   }
   HDC dc = reinterpret_cast<HDC>(wParam);
   ::SetTextColor(dc, RGB(192, 0, 0));
   ::SetBkColor(dc, ::GetSysColor(COLOR_BTNFACE));
   return reinterpret_cast<LRESULT>(::GetSysColorBrush(COLOR_BTNFACE));
}

LRESULT CLoginDlg::OnOK(WORD, WORD, HWND, BOOL &)
{
   WipeText(password_);
   host_ = _bstr_t(ItemText(IDC_LOGIN_HOST).c_str());
   user_ = _bstr_t(ItemText(IDC_LOGIN_USER).c_str());
   std::wstring password = ItemText(IDC_LOGIN_PASSWORD);
   password_ = _bstr_t(password.c_str());
   SecureZeroMemory(&password[0], password.size() * sizeof(wchar_t));
   ::SetDlgItemTextW(m_hWnd, IDC_LOGIN_PASSWORD, L"");
   // The picture lets go of the banner before it is deleted.
   ::SendDlgItemMessageW(m_hWnd, IDC_LOGIN_BANNER, STM_SETIMAGE, IMAGE_BITMAP, 0);
   DeleteBanner();
   ::EndDialog(m_hWnd, IDOK);
   return 0;
}

LRESULT CLoginDlg::OnCancel(WORD, WORD, HWND, BOOL &)
{
   ::SendDlgItemMessageW(m_hWnd, IDC_LOGIN_BANNER, STM_SETIMAGE, IMAGE_BITMAP, 0);
   DeleteBanner();
   ::EndDialog(m_hWnd, IDCANCEL);
   return 0;
}

LRESULT CLoginDlg::OnHostTypeClicked(WORD, WORD id, HWND, BOOL &)
{
   SetRemote(id == IDC_LOGIN_REMOTE);
   return 0;
}

LRESULT CLoginDlg::OnHostSelChange(WORD, WORD, HWND, BOOL &)
{
   LRESULT index = ::SendMessageW(hostBox_, CB_GETCURSEL, 0, 0);
   if (index == CB_ERR) {
      return 0;
   }
   if (index >= 0 && static_cast<size_t>(index) < recent_.size()) {
      ::SetWindowTextW(hostBox_, static_cast<const wchar_t *>(recent_[index].first));
      ::SetDlgItemTextW(m_hWnd, IDC_LOGIN_USER, static_cast<const wchar_t *>(recent_[index].second));
   }
   ::EnableWindow(::GetDlgItem(m_hWnd, IDOK), IsInputValid());
   return 0;
}

LRESULT CLoginDlg::OnInputChange(WORD, WORD, HWND, BOOL &)
{
   ::EnableWindow(::GetDlgItem(m_hWnd, IDOK), IsInputValid());
   return 0;
}

void CLoginDlg::SetRemote(bool remote)
{
   ::CheckDlgButton(m_hWnd, IDC_LOGIN_LOCAL, remote ? BST_UNCHECKED : BST_CHECKED);
   ::CheckDlgButton(m_hWnd, IDC_LOGIN_REMOTE, remote ? BST_CHECKED : BST_UNCHECKED);
   for (int id : kRemoteFields) {
      ::EnableWindow(::GetDlgItem(m_hWnd, id), remote);
   }
   remote_ = remote;
   ::EnableWindow(::GetDlgItem(m_hWnd, IDOK), IsInputValid());
   preferLocal_ = !remote;
}

bool CLoginDlg::IsInputValid() const
{
   return !remote_ || (!ItemText(IDC_LOGIN_HOST).empty() && !ItemText(IDC_LOGIN_USER).empty());
}

void CLoginDlg::ShowBanner()
{
   DeleteBanner();
   if (HMODULE library = ::LoadLibraryW(kResLibrary)) {
      banner_.reset(
         static_cast<HBITMAP>(::LoadImageW(library, MAKEINTRESOURCEW(kBannerBitmap), IMAGE_BITMAP, 0, 0, 0)));
      ::FreeLibrary(library);
   }
   if (banner_) {
      ::SendDlgItemMessageW(m_hWnd, IDC_LOGIN_BANNER, STM_SETIMAGE, IMAGE_BITMAP,
                            reinterpret_cast<LPARAM>(banner_.get()));
   }
}

void CLoginDlg::DeleteBanner()
{
   banner_.reset();
}

void CLoginDlg::CentreOnOwner()
{
   RECT area;
   HWND owner = ::GetWindow(m_hWnd, GW_OWNER);
   if (!owner || !::IsWindowVisible(owner) || ::IsIconic(owner) || !::GetWindowRect(owner, &area)) {
      ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
   }
   RECT self;
   ::GetWindowRect(m_hWnd, &self);
   int width = self.right - self.left;
   int height = self.bottom - self.top;
   int x = area.left + (area.right - area.left - width) / 2;
   int y = area.top + (area.bottom - area.top - height) / 2;
   ::SetWindowPos(m_hWnd, nullptr, x < 0 ? 0 : x, y < 0 ? 0 : y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

std::wstring CLoginDlg::ItemText(int id) const
{
   HWND item = ::GetDlgItem(m_hWnd, id);
   int length = item ? ::GetWindowTextLengthW(item) : 0;
   std::wstring text(static_cast<size_t>(length) + 1, L'\0');
   if (length > 0) {
      ::GetWindowTextW(item, &text[0], length + 1);
   }
   text.resize(static_cast<size_t>(length));
   return text;
}
