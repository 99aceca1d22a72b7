// The pages of the new-machine wizard, in the order they are shown: name and location, guest
// operating system, memory and processors, disk size, network, the template options (template
// mode only) and the last page with the summary.
#pragma once

#include "NwzPage.h"
#include "tremhwcfg/TremHwCfgRes.h"

namespace tremhwcfg {

class CNwzNamePage : public CNwzPage {
public:
   explicit CNwzNamePage(CNwzSheet &sheet);

   BEGIN_MSG_MAP(CNwzNamePage)
      COMMAND_HANDLER(IDC_NWZ_NAME, EN_CHANGE, OnNameChange)
      COMMAND_HANDLER(IDC_NWZ_LOCATION, EN_CHANGE, OnLocationChange)
      COMMAND_ID_HANDLER(IDC_NWZ_BROWSE, OnBrowse)
      COMMAND_ID_HANDLER(IDC_NWZ_FROM_MACHINE, OnFromMachine)
      CHAIN_MSG_MAP(CNwzPage)
   END_MSG_MAP()

protected:
   void Load() override;
   std::wstring Store() override;

private:
   LRESULT OnNameChange(WORD, WORD, HWND, BOOL &);
   LRESULT OnLocationChange(WORD, WORD, HWND, BOOL &);
   LRESULT OnBrowse(WORD, WORD, HWND, BOOL &);
   LRESULT OnFromMachine(WORD, WORD, HWND, BOOL &);
   void ShowFile();

   // The location follows the name until the user edits or chooses it.
   bool locationChosen_ = false;
   bool settingLocation_ = false;
};

class CNwzGuestPage : public CNwzPage {
public:
   explicit CNwzGuestPage(CNwzSheet &sheet);

   BEGIN_MSG_MAP(CNwzGuestPage)
      COMMAND_HANDLER(IDC_NWZ_GUEST_LIST, LBN_DBLCLK, OnDoubleClick)
      CHAIN_MSG_MAP(CNwzPage)
   END_MSG_MAP()

protected:
   void Load() override;
   std::wstring Store() override;

private:
   LRESULT OnDoubleClick(WORD, WORD, HWND, BOOL &);
};

class CNwzMemoryPage : public CNwzPage {
public:
   explicit CNwzMemoryPage(CNwzSheet &sheet);

protected:
   void Load() override;
   void Refresh() override;
   std::wstring Store() override;
};

class CNwzDiskPage : public CNwzPage {
public:
   explicit CNwzDiskPage(CNwzSheet &sheet);

protected:
   void Load() override;
   void Refresh() override;
   std::wstring Store() override;
};

class CNwzNetworkPage : public CNwzPage {
public:
   explicit CNwzNetworkPage(CNwzSheet &sheet);

protected:
   void Load() override;
   std::wstring Store() override;
};

class CNwzTemplatePage : public CNwzPage {
public:
   explicit CNwzTemplatePage(CNwzSheet &sheet);

   BEGIN_MSG_MAP(CNwzTemplatePage)
      COMMAND_HANDLER(IDC_NWZ_TO_SERVER, BN_CLICKED, OnToServer)
      CHAIN_MSG_MAP(CNwzPage)
   END_MSG_MAP()

protected:
   void Load() override;
   std::wstring Store() override;

private:
   LRESULT OnToServer(WORD, WORD, HWND, BOOL &);
};

class CNwzFinishPage : public CNwzPage {
public:
   explicit CNwzFinishPage(CNwzSheet &sheet);

protected:
   void Load() override;
   void Refresh() override;
   std::wstring Store() override;
};

}  // namespace tremhwcfg
