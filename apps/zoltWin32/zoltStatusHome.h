// The home tab's pages: the desktop home of UI mode 0 and the connected home of UI mode 1, each
// a title, an introduction and link buttons that start the template's page commands.
#pragma once

#include "zoltStatusBase.h"
#include "zoltStatusBtn.h"
#include "resource.h"

#include "cui/VmdbCtx.h"

#include <string>

namespace cui {
class Host;
}

namespace homepage {

// What the no-connection page shows: whether the connection was lost, and the line that says
// so (naming `lastDest`, the destination remembered from before). `lastDest` is then renewed:
// the remote host's "info/hostname" for a remote session, else the local-host text.
struct ConnectionInfo {
   bool lost = false;
   std::string message;   // 1082, set only when lost
};
ConnectionInfo ReadConnectionInfo(const vmdb::Ctx &ctx, std::string &lastDest);

// What the connected home page shows for `host` (null: no current host).
struct HomeButtons {
   bool newVM = false;         // 1055
   bool openVM = false;        // 1056
   bool hostSettings = false;  // 1058
   std::string line;           // 1061
};
HomeButtons HomeButtonsFor(const cui::Host *host);

// Resource string `id` of the program (0: none), or string `overrideId` of the resource library `resLib`
// when it is loaded and holds one.
std::string PageString(HMODULE resLib, unsigned int overrideId, unsigned int id);

}  // namespace homepage

// UI mode 1 without a session: connect to a host, and what became of the last connection.
class CZOLTStatusNoCnx : public CZOLTStatusBase<CZOLTStatusNoCnx, IDD_STATUS_NOCNX> {
public:
   typedef CZOLTStatusBase<CZOLTStatusNoCnx, IDD_STATUS_NOCNX> Base;

   BEGIN_MSG_MAP(CZOLTStatusNoCnx)
      MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
      CHAIN_MSG_MAP(Base)
   END_MSG_MAP()

   // Watch handler; the path is ignored.
   void ShowConnectionInfo(BSTR changedPath);

private:
   LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL &);

   std::string lastDest_;
   CZOLTStatusBtn connect_;
};

// UI mode 1 with a session: new machine, open machine, switch host, host settings, and the
// line naming the host and what it runs.
class CZOLTStatusHome : public CZOLTStatusBase<CZOLTStatusHome, IDD_STATUS_HOME> {
public:
   typedef CZOLTStatusBase<CZOLTStatusHome, IDD_STATUS_HOME> Base;

   BEGIN_MSG_MAP(CZOLTStatusHome)
      MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
      CHAIN_MSG_MAP(Base)
   END_MSG_MAP()

   // Watch handler; the path is ignored.
   void UpdateHomeButtons(BSTR changedPath);

private:
   LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL &);

   CZOLTStatusBtn newVM_;
   CZOLTStatusBtn openVM_;
   CZOLTStatusBtn switchHost_;
   CZOLTStatusBtn hostSettings_;
};

// UI mode 0 without the Zephro extension: new machine, new team, open a file.
class CZOLTStatusHomeDeskmoor : public CZOLTStatusBase<CZOLTStatusHomeDeskmoor, IDD_STATUS_HOME_DESKMOOR> {
public:
   typedef CZOLTStatusBase<CZOLTStatusHomeDeskmoor, IDD_STATUS_HOME_DESKMOOR> Base;

   BEGIN_MSG_MAP(CZOLTStatusHomeDeskmoor)
      MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
      CHAIN_MSG_MAP(Base)
   END_MSG_MAP()

private:
   LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL &);

   CZOLTStatusBtn newVM_;
   CZOLTStatusBtn newTeam_;
   CZOLTStatusBtn openFile_;
};

// UI mode 0 with the Zephro extension: new Zephro template, new machine, new team, open a file.
class CZOLTStatusHomeDeskmoorEE : public CZOLTStatusBase<CZOLTStatusHomeDeskmoorEE, IDD_STATUS_HOME_ZEPHRO> {
public:
   typedef CZOLTStatusBase<CZOLTStatusHomeDeskmoorEE, IDD_STATUS_HOME_ZEPHRO> Base;

   BEGIN_MSG_MAP(CZOLTStatusHomeDeskmoorEE)
      MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
      CHAIN_MSG_MAP(Base)
   END_MSG_MAP()

private:
   LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL &);

   CZOLTStatusBtn newTemplate_;
   CZOLTStatusBtn newVM_;
   CZOLTStatusBtn newTeam_;
   CZOLTStatusBtn openFile_;
};
