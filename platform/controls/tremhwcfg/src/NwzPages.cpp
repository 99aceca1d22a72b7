#include "NwzPages.h"

#include <shlobj.h>

#include "NwzSheet.h"
#include "NwzText.h"
#include "cui/GuestOS.h"
#include "tremhwcfg/TremHwCfgRes.h"

namespace tremhwcfg {

namespace {

struct NetworkChoice {
   int buttonId;
   const char *value;
   UINT labelId;
};

const NetworkChoice kNetworks[] = {
   {IDC_NWZ_NET_NAT, "nat", IDS_NWZ_NET_NAT},
   {IDC_NWZ_NET_BRIDGED, "bridged", IDS_NWZ_NET_BRIDGED},
   {IDC_NWZ_NET_HOSTONLY, "hostonly", IDS_NWZ_NET_HOSTONLY},
   {IDC_NWZ_NET_NONE, "none", IDS_NWZ_NET_NONE},
};

std::wstring Number(int value)
{
   return std::to_wstring(value);
}

std::wstring GuestName(const std::string &id)
{
   const cui::GuestOSInfo *os = cui::FindGuestOS(id);
   return WideFromUtf8(os ? os->displayName : cui::OtherGuestOS().displayName);
}

const cui::GuestOSInfo &Guest(const std::string &id)
{
   const cui::GuestOSInfo *os = cui::FindGuestOS(id);
   return os ? *os : cui::OtherGuestOS();
}

void SetSpin(HWND page, int spinId, int low, int high, int step)
{
   HWND spin = ::GetDlgItem(page, spinId);
   ::SendMessageW(spin, UDM_SETRANGE32, low, high);
   UDACCEL accel = {0, static_cast<UINT>(step)};
   ::SendMessageW(spin, UDM_SETACCEL, 1, reinterpret_cast<LPARAM>(&accel));
}

}  // namespace

// Name and location

CNwzNamePage::CNwzNamePage(CNwzSheet &sheet)
   : CNwzPage(sheet, IDD_NWZ_NAME, IDS_NWZ_NAME_TITLE,
              sheet.IsTemplate() ? IDS_NWZ_TEMPLATE_NAME_SUBTITLE : IDS_NWZ_NAME_SUBTITLE)
{
}

void CNwzNamePage::Load()
{
   const NwzSettings &settings = sheet_.Settings();
   ::SendDlgItemMessageW(m_hWnd, IDC_NWZ_NAME, EM_LIMITTEXT, 80, 0);
   ::SendDlgItemMessageW(m_hWnd, IDC_NWZ_LOCATION, EM_LIMITTEXT, MAX_PATH - 1, 0);
   ::SetDlgItemTextW(m_hWnd, IDC_NWZ_NAME, settings.name.c_str());
   settingLocation_ = true;
   ::SetDlgItemTextW(m_hWnd, IDC_NWZ_LOCATION, settings.folder.c_str());
   settingLocation_ = false;
   // Folders of a remote host cannot be browsed from here.
   ::EnableWindow(::GetDlgItem(m_hWnd, IDC_NWZ_BROWSE), sheet_.Options().local);
   ::ShowWindow(::GetDlgItem(m_hWnd, IDC_NWZ_FROM_MACHINE), sheet_.IsTemplate() ? SW_SHOW : SW_HIDE);
   ShowFile();
}

LRESULT CNwzNamePage::OnNameChange(WORD, WORD, HWND, BOOL &)
{
   if (!locationChosen_) {
      settingLocation_ = true;
      ::SetDlgItemTextW(m_hWnd, IDC_NWZ_LOCATION, DefaultFolder(sheet_.Documents(), ItemText(IDC_NWZ_NAME)).c_str());
      settingLocation_ = false;
   }
   ShowFile();
   return 0;
}

LRESULT CNwzNamePage::OnLocationChange(WORD, WORD, HWND, BOOL &)
{
   if (!settingLocation_) {
      locationChosen_ = true;
   }
   ShowFile();
   return 0;
}

LRESULT CNwzNamePage::OnBrowse(WORD, WORD, HWND, BOOL &)
{
   std::wstring title = LoadText(IDS_NWZ_BROWSE_TITLE);
   BROWSEINFOW info;
   ZeroMemory(&info, sizeof(info));
   info.hwndOwner = GetParent();
   info.lpszTitle = title.c_str();
   info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
   LPITEMIDLIST chosen = ::SHBrowseForFolderW(&info);
   if (!chosen) {
      return 0;
   }
   wchar_t folder[MAX_PATH] = L"";
   if (::SHGetPathFromIDListW(chosen, folder)) {
      ::SetDlgItemTextW(m_hWnd, IDC_NWZ_LOCATION, folder);   // counts as the user's choice
   }
   ::CoTaskMemFree(chosen);
   return 0;
}

LRESULT CNwzNamePage::OnFromMachine(WORD, WORD, HWND, BOOL &)
{
   sheet_.SwitchToExistingMachine(m_hWnd);
   return 0;
}

void CNwzNamePage::ShowFile()
{
   NwzSettings probe;
   probe.name = ItemText(IDC_NWZ_NAME);
   probe.folder = ItemText(IDC_NWZ_LOCATION);
   ::SetDlgItemTextW(m_hWnd, IDC_NWZ_FILE, probe.ConfigFile().c_str());
}

std::wstring CNwzNamePage::Store()
{
   std::wstring name = Trim(ItemText(IDC_NWZ_NAME));
   std::wstring folder = Trim(ItemText(IDC_NWZ_LOCATION));
   if (UINT refusal = CheckName(name)) {
      return LoadText(refusal);
   }
   if (UINT refusal = CheckFolderSyntax(folder, name)) {
      return LoadText(refusal);
   }
   NwzSettings &settings = sheet_.Settings();
   NwzSettings chosen = settings;
   chosen.name = name;
   chosen.folder = folder;
   if (sheet_.Options().local) {
      std::wstring file = chosen.ConfigFile();
      if (::GetFileAttributesW(file.c_str()) != INVALID_FILE_ATTRIBUTES) {
         return FormatText(IDS_NWZ_ERR_EXISTS, {file});
      }
      if (!FolderCanBeMade(folder)) {
         return FormatText(IDS_NWZ_ERR_FOLDER, {folder});
      }
   }
   settings.name = name;
   settings.folder = folder;
   return L"";
}

// Guest operating system

CNwzGuestPage::CNwzGuestPage(CNwzSheet &sheet)
   : CNwzPage(sheet, IDD_NWZ_GUEST, IDS_NWZ_GUEST_TITLE, IDS_NWZ_GUEST_SUBTITLE)
{
}

void CNwzGuestPage::Load()
{
   HWND list = ::GetDlgItem(m_hWnd, IDC_NWZ_GUEST_LIST);
   for (size_t i = 0; i < cui::kGuestOSCount; ++i) {
      const cui::GuestOSInfo &os = cui::kGuestOSTable[i];
      LRESULT at = ::SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(WideFromUtf8(os.displayName).c_str()));
      ::SendMessageW(list, LB_SETITEMDATA, at, static_cast<LPARAM>(i));
      if (sheet_.Settings().guestOS == os.id) {
         ::SendMessageW(list, LB_SETCURSEL, at, 0);
      }
   }
}

LRESULT CNwzGuestPage::OnDoubleClick(WORD, WORD, HWND, BOOL &)
{
   PressButton(PSBTN_NEXT);
   return 0;
}

std::wstring CNwzGuestPage::Store()
{
   HWND list = ::GetDlgItem(m_hWnd, IDC_NWZ_GUEST_LIST);
   LRESULT at = ::SendMessageW(list, LB_GETCURSEL, 0, 0);
   if (at == LB_ERR) {
      return LoadText(IDS_NWZ_ERR_GUEST);
   }
   size_t index = static_cast<size_t>(::SendMessageW(list, LB_GETITEMDATA, at, 0));
   if (index >= cui::kGuestOSCount) {
      return LoadText(IDS_NWZ_ERR_GUEST);
   }
   NwzSettings &settings = sheet_.Settings();
   const cui::GuestOSInfo &os = cui::kGuestOSTable[index];
   if (settings.guestOS != os.id) {
      int memoryMB = settings.memoryMB;
      int diskSizeMB = settings.diskSizeMB;
      settings.SetGuest(os.id);
      if (sheet_.memoryChosen) {
         settings.memoryMB = memoryMB;
      }
      if (sheet_.diskChosen) {
         settings.diskSizeMB = diskSizeMB;
      }
   }
   return L"";
}

// Memory and processors

CNwzMemoryPage::CNwzMemoryPage(CNwzSheet &sheet)
   : CNwzPage(sheet, IDD_NWZ_MEMORY, IDS_NWZ_MEMORY_TITLE, IDS_NWZ_MEMORY_SUBTITLE)
{
}

void CNwzMemoryPage::Load()
{
   SetSpin(m_hWnd, IDC_NWZ_MEMORY_SPIN, kMinMemoryMB, kMaxMemoryMB, kMemoryStepMB);
   HWND cpus = ::GetDlgItem(m_hWnd, IDC_NWZ_CPUS);
   for (int count = 1; count <= kMaxCpuCount; ++count) {
      ::SendMessageW(cpus, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Number(count).c_str()));
   }
   ::SendMessageW(cpus, CB_SETCURSEL, sheet_.Settings().cpuCount - 1, 0);
}

void CNwzMemoryPage::Refresh()
{
   const NwzSettings &settings = sheet_.Settings();
   if (!sheet_.memoryChosen) {
      ::SetDlgItemTextW(m_hWnd, IDC_NWZ_MEMORY, Number(settings.memoryMB).c_str());
   }
   const cui::GuestOSInfo &os = Guest(settings.guestOS);
   std::wstring range = FormatText(IDS_NWZ_MEMORY_RANGE, {Number(kMinMemoryMB), Number(kMaxMemoryMB),
                                                          GuestName(os.id), Number(os.defaultMemoryMB)});
   ::SetDlgItemTextW(m_hWnd, IDC_NWZ_MEMORY_RANGE, range.c_str());
}

std::wstring CNwzMemoryPage::Store()
{
   NwzSettings &settings = sheet_.Settings();
   int memoryMB = 0;
   if (UINT refusal = CheckMemory(ItemText(IDC_NWZ_MEMORY), memoryMB)) {
      return FormatText(refusal, {Number(kMinMemoryMB), Number(kMaxMemoryMB), Number(kMemoryStepMB)});
   }
   LRESULT cpuIndex = ::SendDlgItemMessageW(m_hWnd, IDC_NWZ_CPUS, CB_GETCURSEL, 0, 0);
   settings.memoryMB = memoryMB;
   settings.cpuCount = cpuIndex == CB_ERR ? 1 : static_cast<int>(cpuIndex) + 1;
   sheet_.memoryChosen = memoryMB != Guest(settings.guestOS).defaultMemoryMB;
   return L"";
}

// Disk

CNwzDiskPage::CNwzDiskPage(CNwzSheet &sheet)
   : CNwzPage(sheet, IDD_NWZ_DISK, IDS_NWZ_DISK_TITLE, IDS_NWZ_DISK_SUBTITLE)
{
}

void CNwzDiskPage::Load()
{
   SetSpin(m_hWnd, IDC_NWZ_DISK_SPIN, kMinDiskGB, kMaxDiskGB, 1);
}

void CNwzDiskPage::Refresh()
{
   const NwzSettings &settings = sheet_.Settings();
   if (!sheet_.diskChosen) {
      ::SetDlgItemTextW(m_hWnd, IDC_NWZ_DISK, Number(settings.diskSizeMB / 1024).c_str());
   }
   const cui::GuestOSInfo &os = Guest(settings.guestOS);
   std::wstring range = FormatText(IDS_NWZ_DISK_RANGE, {Number(kMinDiskGB), Number(kMaxDiskGB), GuestName(os.id),
                                                        Number(os.defaultDiskMB / 1024)});
   ::SetDlgItemTextW(m_hWnd, IDC_NWZ_DISK_RANGE, range.c_str());
}

std::wstring CNwzDiskPage::Store()
{
   NwzSettings &settings = sheet_.Settings();
   int diskSizeMB = 0;
   if (UINT refusal = CheckDisk(ItemText(IDC_NWZ_DISK), diskSizeMB)) {
      return FormatText(refusal, {Number(kMinDiskGB), Number(kMaxDiskGB)});
   }
   settings.diskSizeMB = diskSizeMB;
   sheet_.diskChosen = diskSizeMB != Guest(settings.guestOS).defaultDiskMB;
   return L"";
}

// Network

CNwzNetworkPage::CNwzNetworkPage(CNwzSheet &sheet)
   : CNwzPage(sheet, IDD_NWZ_NETWORK, IDS_NWZ_NETWORK_TITLE, IDS_NWZ_NETWORK_SUBTITLE)
{
}

void CNwzNetworkPage::Load()
{
   for (const NetworkChoice &choice : kNetworks) {
      ::CheckDlgButton(m_hWnd, choice.buttonId,
                       sheet_.Settings().network == choice.value ? BST_CHECKED : BST_UNCHECKED);
   }
}

std::wstring CNwzNetworkPage::Store()
{
   for (const NetworkChoice &choice : kNetworks) {
      if (::IsDlgButtonChecked(m_hWnd, choice.buttonId) == BST_CHECKED) {
         sheet_.Settings().network = choice.value;
      }
   }
   return L"";
}

// Template options

CNwzTemplatePage::CNwzTemplatePage(CNwzSheet &sheet)
   : CNwzPage(sheet, IDD_NWZ_TEMPLATE, IDS_NWZ_TEMPLATE_TITLE, IDS_NWZ_TEMPLATE_SUBTITLE)
{
}

void CNwzTemplatePage::Load()
{
   const NwzSettings &settings = sheet_.Settings();
   ::CheckDlgButton(m_hWnd, IDC_NWZ_POWER_ON, settings.powerOnWhenOpened ? BST_CHECKED : BST_UNCHECKED);
   ::CheckDlgButton(m_hWnd, IDC_NWZ_NEW_TAB, settings.openInNewTab ? BST_CHECKED : BST_UNCHECKED);
   ::CheckDlgButton(m_hWnd, IDC_NWZ_MAKE_CURRENT, settings.makeCurrent ? BST_CHECKED : BST_UNCHECKED);
   ::CheckDlgButton(m_hWnd, IDC_NWZ_TO_SERVER, settings.toZephroServer ? BST_CHECKED : BST_UNCHECKED);
   ::SetDlgItemTextW(m_hWnd, IDC_NWZ_SERVER, settings.zephroServer.c_str());
   ::EnableWindow(::GetDlgItem(m_hWnd, IDC_NWZ_SERVER), settings.toZephroServer);
}

LRESULT CNwzTemplatePage::OnToServer(WORD, WORD, HWND, BOOL &)
{
   ::EnableWindow(::GetDlgItem(m_hWnd, IDC_NWZ_SERVER), ::IsDlgButtonChecked(m_hWnd, IDC_NWZ_TO_SERVER) == BST_CHECKED);
   return 0;
}

std::wstring CNwzTemplatePage::Store()
{
   bool toServer = ::IsDlgButtonChecked(m_hWnd, IDC_NWZ_TO_SERVER) == BST_CHECKED;
   std::wstring server = Trim(ItemText(IDC_NWZ_SERVER));
   if (toServer && server.empty()) {
      return LoadText(IDS_NWZ_ERR_SERVER);
   }
   NwzSettings &settings = sheet_.Settings();
   settings.powerOnWhenOpened = ::IsDlgButtonChecked(m_hWnd, IDC_NWZ_POWER_ON) == BST_CHECKED;
   settings.openInNewTab = ::IsDlgButtonChecked(m_hWnd, IDC_NWZ_NEW_TAB) == BST_CHECKED;
   settings.makeCurrent = ::IsDlgButtonChecked(m_hWnd, IDC_NWZ_MAKE_CURRENT) == BST_CHECKED;
   settings.toZephroServer = toServer;
   settings.zephroServer = toServer ? server : L"";
   return L"";
}

// Finish

CNwzFinishPage::CNwzFinishPage(CNwzSheet &sheet)
   : CNwzPage(sheet, IDD_NWZ_FINISH, IDS_NWZ_FINISH_TITLE, IDS_NWZ_FINISH_SUBTITLE)
{
}

void CNwzFinishPage::Load()
{
   const NwzSettings &settings = sheet_.Settings();
   ::CheckDlgButton(m_hWnd, IDC_NWZ_PRIVATE, settings.isPrivate ? BST_CHECKED : BST_UNCHECKED);
   ::SendDlgItemMessageW(m_hWnd, IDC_NWZ_USER, EM_LIMITTEXT, 256, 0);
   ::SendDlgItemMessageW(m_hWnd, IDC_NWZ_PASSWORD, EM_LIMITTEXT, 256, 0);
   // One stop past the longest label, in dialog units.
   UINT tabStop = 48;
   ::SendDlgItemMessageW(m_hWnd, IDC_NWZ_SUMMARY, EM_SETTABSTOPS, 1, reinterpret_cast<LPARAM>(&tabStop));
   UINT note = sheet_.IsTemplate() ? IDS_NWZ_TEMPLATE_NOTE
                                   : (sheet_.Options().openWhenDone ? IDS_NWZ_OPEN_NOTE : IDS_NWZ_ADD_NOTE);
   ::SetDlgItemTextW(m_hWnd, IDC_NWZ_OPEN_NOTE, LoadText(note).c_str());
}

void CNwzFinishPage::Refresh()
{
   const NwzSettings &settings = sheet_.Settings();
   std::wstring network;
   for (const NetworkChoice &choice : kNetworks) {
      if (settings.network == choice.value) {
         network = LoadText(choice.labelId);
      }
   }
   std::wstring summary = FormatText(IDS_NWZ_SUMMARY, {Trim(settings.name), settings.ConfigFile(),
                                                       GuestName(settings.guestOS), Number(settings.memoryMB),
                                                       Number(settings.cpuCount), Number(settings.diskSizeMB / 1024),
                                                       network});
   ::SetDlgItemTextW(m_hWnd, IDC_NWZ_SUMMARY, summary.c_str());
}

std::wstring CNwzFinishPage::Store()
{
   NwzSettings &settings = sheet_.Settings();
   settings.isPrivate = ::IsDlgButtonChecked(m_hWnd, IDC_NWZ_PRIVATE) == BST_CHECKED;
   settings.userName = Trim(ItemText(IDC_NWZ_USER));
   settings.password = ItemText(IDC_NWZ_PASSWORD);
   return L"";
}

}  // namespace tremhwcfg
