// The objects and callbacks the application registers with the model library. Each setter stores
// its object or slot for the run (replacing what was there; ownership stays with the caller);
// each getter returns exactly what was stored, or null (an empty slot) before. Registered objects
// unregister themselves when they are destroyed.
#pragma once

#include <windows.h>
#include <comutil.h>

#include <string>

#include <sigc++/sigc++.h>

#include "cui/VmdbCtx.h"

namespace vmdbLayout {
namespace rpc {
class Mgr;
}
}  // namespace vmdbLayout

namespace cui {

class DlgMgr;
class Host;
class HotFixMgr;
class MVMTMgr;
class Prefs;
class SnapshotTree;
class TeamMgr;
class VM;
class VMMgr;

// The model context; an empty Ctx (IsValid false) before. The stored copy keeps the database
// open (its user file is saved when the last context goes): store an empty Ctx at shutdown.
// Storing a context also has the installed host backend (cui/HostBackend.h) answer its database
// (the owner of the hosts' and machines' command queues and request states); an empty Ctx stops it.
void SetVmdbCtx(const vmdb::Ctx &ctx);
vmdb::Ctx GetVmdbCtx();
// A new context of its own on the model context's database; cui::Error when none is registered.
vmdb::Ctx GetNewVmdbCtx();

void SetRpcMgr(vmdbLayout::rpc::Mgr *mgr);
vmdbLayout::rpc::Mgr *GetRpcMgr();
void SetPrefs(Prefs *prefs);
Prefs *GetPrefs();
void SetClientHost(Host *host);
Host *GetClientHost();
void SetVMMgr(VMMgr *mgr);
VMMgr *GetVMMgr();
void SetTeamMgr(TeamMgr *mgr);
TeamMgr *GetTeamMgr();
void SetHotFixMgr(HotFixMgr *mgr);
HotFixMgr *GetHotFixMgr();
void SetMVMTMgr(MVMTMgr *mgr);
MVMTMgr *GetMVMTMgr();
// The program's dialog factory; the library's wui::DlgMgr is rebuilt over it (see wui::GetDlgMgr).
void SetDlgMgr(DlgMgr *dlgMgr);
DlgMgr *GetDlgMgr();

// Opens a web address (the program's browser launcher).
typedef sigc::slot<void, std::string> BrowseSlot;
void SetBrowseSlot(const BrowseSlot &slot);
BrowseSlot GetBrowseSlot();
// Calls the browse slot under the CallSlot rule; false when it was not called.
bool Browse(const std::string &url);

}  // namespace cui

namespace wui {

class AppContext;
class DlgMgr;
class Navbar;
class Prefs;
class TeamMgr;
class VMMgr;

void SetNavbar(Navbar *navbar);
Navbar *GetNavbar();
void SetAppContext(AppContext *context);
AppContext *GetAppContext();
void SetCurrentHost(cui::Host *host);
cui::Host *GetCurrentHost();
// The wui::Prefs registered through cui::SetPrefs; null when none (or when it is not one).
Prefs *GetPrefs();
// The registered managers when they are the Windows-side kinds; null otherwise.
VMMgr *GetVMMgr();
TeamMgr *GetTeamMgr();
// The library's dialog manager: made on first use, over the program's factory when one is
// registered, and made again (over the new factory) after cui::SetDlgMgr changes it. The
// program deletes it at exit; the next call makes a new one.
DlgMgr *GetDlgMgr();

// The new-machine wizard: (configuration file out, user name out, password out, option) gives
// 1 when the wizard was finished, 0 otherwise.
typedef sigc::slot<int, _bstr_t &, _bstr_t &, _bstr_t &, bool> NewVMWizardSlot;
void SetNewVMWizardSlot(const NewVMWizardSlot &slot);
NewVMWizardSlot GetNewVMWizardSlot();
// The clone wizard: (machine, its snapshot tree, snapshot UID, owner window, open the clone,
// make it current, add it to the favourites) gives the clone's path, empty when cancelled.
typedef sigc::slot<_bstr_t, cui::VM *, cui::SnapshotTree *, int, HWND, bool, bool, bool> CloneVMWizardSlot;
void SetCloneVMWizardSlot(const CloneVMWizardSlot &slot);
CloneVMWizardSlot GetCloneVMWizardSlot();

namespace resource {

// The module resources are loaded from; null before.
void SetInstance(HINSTANCE instance);
HINSTANCE GetInstance();

}  // namespace resource
}  // namespace wui
