#include "zoltWebCheck.h"

#include "zoltApp.h"
#include "zoltAppDb.h"
#include "zoltResources.h"

#include "cui/AppDataPaths.h"
#include "cui/Util.h"
#include "tremapputil/ResString.h"
#include "tremapputil/TremAppUtil.h"
#include "tremorybase/Log.h"
#include "tremorybase/Text.h"

#include <cctype>

namespace {

const char kWebUpdatePrefs[] = "/user/prefState/req/#ZOLT/val/zolt/webUpdate/";

bool StartsWithNoCase(const std::string &text, const char *prefix)
{
   for (size_t i = 0; prefix[i]; ++i) {
      if (i >= text.size() || std::tolower(static_cast<unsigned char>(text[i])) != prefix[i]) {
         return false;
      }
   }
   return true;
}

}  // namespace

bool IsWebAddress(const std::string &url)
{
   size_t rest = StartsWithNoCase(url, "https://") ? 8 : StartsWithNoCase(url, "http://") ? 7 : 0;
   if (rest == 0 || rest >= url.size() || url[rest] == '/') {
      return false;
   }
   for (char c : url) {
      unsigned char byte = static_cast<unsigned char>(c);
      if (byte <= ' ' || byte == 0x7f || c == '"' || c == '\\') {
         return false;
      }
   }
   return true;
}

std::string CheckPeriodText(const std::string &period, const std::string &checkValue)
{
   UINT id = period == "manual"    ? IDS_WEBUPDATE_MANUAL
             : period == "daily"   ? IDS_WEBUPDATE_DAILY
             : period == "weekly"  ? IDS_WEBUPDATE_WEEKLY
             : period == "monthly" ? IDS_WEBUPDATE_MONTHLY
             : period == "custom"  ? IDS_WEBUPDATE_CUSTOM
                                   : 0;
   // The number of days is an insert, never a format of its own.
   return id ? tremapputil::ResString(id).Format({checkValue}) : std::string();
}

std::string CheckTimeText(const std::string &lastCheck)
{
   if (lastCheck.empty() || lastCheck.size() > 18 ||
       lastCheck.find_first_not_of("0123456789") != std::string::npos) {
      return std::string();
   }
   // Seconds since 1970 to a FILETIME (100 ns since 1601), then to local time.
   ULARGE_INTEGER ticks;
   ticks.QuadPart = (std::stoull(lastCheck) + 11644473600ULL) * 10000000ULL;
   FILETIME utc = {ticks.LowPart, ticks.HighPart};
   FILETIME local;
   SYSTEMTIME time;
   if (!FileTimeToLocalFileTime(&utc, &local) || !FileTimeToSystemTime(&local, &time)) {
      return std::string();
   }
   wchar_t date[128] = L"";
   wchar_t clock[128] = L"";
   GetDateFormatW(LOCALE_USER_DEFAULT, DATE_LONGDATE, &time, nullptr, date, 128);
   GetTimeFormatW(LOCALE_USER_DEFAULT, 0, &time, nullptr, clock, 128);
   return Utf8FromWide(date) + " " + Utf8FromWide(clock);
}

CZOLTWebCheck::CZOLTWebCheck(IVmdbDatabase *db) : db_(db) {}

CZOLTWebCheck::~CZOLTWebCheck()
{
   ctx_ = nullptr;
   SetIcon(nullptr);
}

LRESULT CZOLTWebCheck::OnInitDialog(UINT, WPARAM, LPARAM, BOOL &)
{
   messageText_ = GetDlgItem(IDC_WEBCHECK_MESSAGE);
   infoText_ = GetDlgItem(IDC_WEBCHECK_INFO);
   if (wui::util::HasZephroExtension()) {
      SetIcon(LoadIconImage(GetResourceInstance(), IDI_ZOLT_ZEPHRO, true));
   }
   const std::string title = CZOLTApp::GetAppTitle();
   try {
      ctx_ = zoltdb::NewContextAt(db_, cui::appdata::kWebUpdate);
      std::string record = std::string(cui::appdata::kWebUpdate) + "/";
      if (zoltdb::ReadText(ctx_, (record + "updateAvailable").c_str()) == "yes") {
         url_ = zoltdb::ReadText(ctx_, (record + "url").c_str());
         info_ = zoltdb::ReadText(ctx_, (record + "info").c_str());
         message_ = zoltdb::ReadText(ctx_, (record + "message").c_str());
         if (message_.empty()) {
            message_ = tremapputil::ResString(IDS_WEBUPDATE_AVAILABLE).Format({title});
         }
      } else {
         message_ = tremapputil::ResString(IDS_WEBUPDATE_NONE).Format({title});
      }
      ShowCheckStatus();
   } catch (const _com_error &e) {
      Warning("CZOLTWebCheck::OnInitDialog failed: %s\n", zoltdb::ComText(e).c_str());
   }
   return TRUE;
}

void CZOLTWebCheck::ShowCheckStatus()
{
   const std::string prefs = kWebUpdatePrefs;
   ::SetDlgItemTextW(m_hWnd, IDC_WEBCHECK_LAST_CHECK,
                     WideFromUtf8(CheckTimeText(zoltdb::ReadText(ctx_, (prefs + "lastCheck/time").c_str()))).c_str());
   ::SetDlgItemTextW(m_hWnd, IDC_WEBCHECK_PERIOD,
                     WideFromUtf8(CheckPeriodText(zoltdb::ReadText(ctx_, (prefs + "checkPeriod").c_str()),
                                                  zoltdb::ReadText(ctx_, (prefs + "checkValue").c_str())))
                        .c_str());
   if (!message_.empty()) {
      ::SetWindowTextW(messageText_, WideFromUtf8(message_).c_str());
   }
   if (!info_.empty()) {
      ::SetWindowTextW(infoText_, WideFromUtf8(info_).c_str());
   }
   if (HICON image = LoadResLibImage()) {
      SetIcon(image);
   }
   if (!url_.empty() && !IsWebAddress(url_)) {
      Warning("CZOLTWebCheck: the update's address is not a web address and is not offered: %s\n", url_.c_str());
      url_.clear();
   }
   const bool visit = !url_.empty();
   ::ShowWindow(GetDlgItem(IDC_WEBCHECK_VISIT), visit ? SW_SHOW : SW_HIDE);
   ::ShowWindow(GetDlgItem(IDOK), visit ? SW_HIDE : SW_SHOW);
   ::ShowWindow(GetDlgItem(IDCANCEL), visit ? SW_SHOW : SW_HIDE);
   ::SendMessageW(m_hWnd, DM_SETDEFID, visit ? IDC_WEBCHECK_VISIT : IDOK, 0);
}

void CZOLTWebCheck::SetIcon(HICON icon)
{
   if (m_hWnd && icon) {
      ::SendDlgItemMessageW(m_hWnd, IDC_WEBCHECK_ICON, STM_SETICON, reinterpret_cast<WPARAM>(icon), 0);
   }
   if (icon_) {
      ::DestroyIcon(icon_);
   }
   icon_ = icon;
}

LRESULT CZOLTWebCheck::OnEnd(WORD, WORD id, HWND, BOOL &)
{
   EndDialog(id);
   return 0;
}

LRESULT CZOLTWebCheck::OnVisitPage(WORD, WORD, HWND, BOOL &)
{
   if (IsWebAddress(url_)) {
      TremAppUtil_OpenURL(url_.c_str());
   }
   EndDialog(IDC_WEBCHECK_VISIT);
   return 0;
}
