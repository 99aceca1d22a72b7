// The maker's application controls and utility object, as stand-ins: the console
// ("tremappsdk.MksCtl.9"), the tab strip ("tremappsdk.VMSwitchCtl.9"), the status bar
// ("tremappsdk.VMStatusbarCtl.9"), the hardware list ("tremappsdk.HardwareCtl.9"), the favourites
// list ("Tremappsdk.VMListCtl.9"), a host's registered machines ("Tremappsdk.RegVmsCtl.9") and the
// device utility ("TremAppSdkUtil").
//
// The controls are created by name in "AtlAxWin71" host windows; each raises its events through one
// dispatch event interface (DIID__I...Events) that the program sinks with CTremappsdk_IDispEventImpl.
// Interfaces follow the type-library wrapper style: raw_/get_/put_ methods answer an HRESULT, the
// inline wrappers raise _com_error on failure and return the result.
//
// Register the classes with tremappsdk::RegisterClasses() after CoInitialize.
#pragma once

#include <windows.h>
#include <comdef.h>

#include "atl/DispEvent.h"
#include "vmdb/ClientInterfaces.h"
#include "vmdb/VmdbInterfaces.h"

struct IVMStatusbarCtl;
struct IMksCtl;
struct IVMSwitchCtl;
struct IHardwareCtl;
struct ITremAppSdkUtil;
struct IVMListCtl;
struct IRegVmsCtl;

// Creatable classes.
struct VMStatusbarCtl;
struct MksCtl;
struct VMSwitchCtl;
struct HardwareCtl;
struct TremAppSdkUtil;
struct VMListCtl;
struct RegVmsCtl;

__CRT_UUID_DECL(IVMStatusbarCtl, 0x4eefc017, 0x8566, 0x477d, 0xb4, 0xde, 0x06, 0x93, 0xf1, 0xcf, 0x54, 0x89)
__CRT_UUID_DECL(IMksCtl, 0x7aa2cdb7, 0xa621, 0x415e, 0x9f, 0xcf, 0x50, 0xe2, 0x16, 0x52, 0x31, 0xe8)
__CRT_UUID_DECL(IVMSwitchCtl, 0xea4f1118, 0xdcf4, 0x461e, 0xa6, 0xa2, 0x21, 0xf5, 0xce, 0x5c, 0x60, 0xed)
__CRT_UUID_DECL(IHardwareCtl, 0x30d19d97, 0x0ba7, 0x4d28, 0xb5, 0x93, 0xd2, 0x6d, 0xf1, 0x2d, 0x76, 0x5d)
__CRT_UUID_DECL(ITremAppSdkUtil, 0xc4e83b93, 0x08d5, 0x4245, 0x96, 0x45, 0x6a, 0x6a, 0x72, 0xed, 0x04, 0x9b)
__CRT_UUID_DECL(VMStatusbarCtl, 0x90cfaf79, 0xf533, 0x4c44, 0x8b, 0xda, 0x44, 0x8c, 0xee, 0x65, 0x4a, 0x12)
__CRT_UUID_DECL(MksCtl, 0xb525b7ac, 0x2b7e, 0x40f0, 0xb5, 0x69, 0x55, 0x94, 0x06, 0x4c, 0x46, 0x32)
__CRT_UUID_DECL(VMSwitchCtl, 0x73ea344a, 0x8c3a, 0x44d0, 0xbc, 0x7d, 0xa5, 0x9c, 0x1b, 0x81, 0x1a, 0xa4)
__CRT_UUID_DECL(HardwareCtl, 0xd7040a4d, 0x6f77, 0x47b8, 0xba, 0xa2, 0x36, 0x64, 0xab, 0x7e, 0x88, 0xc8)
__CRT_UUID_DECL(IVMListCtl, 0x5b0e7c21, 0x3f4a, 0x4d86, 0x9a, 0x1e, 0x2c, 0x47, 0xd8, 0x91, 0x6b, 0x03)
__CRT_UUID_DECL(IRegVmsCtl, 0xa8d34f62, 0x71c9, 0x4b2e, 0x85, 0x0d, 0xe3, 0x6a, 0x19, 0xf4, 0x27, 0xbc)
__CRT_UUID_DECL(VMListCtl, 0x1c9f5e80, 0xd24b, 0x4a37, 0xb6, 0x58, 0x0e, 0x93, 0x7d, 0x21, 0xc4, 0x5a)
__CRT_UUID_DECL(RegVmsCtl, 0x6e27b3d9, 0x8a15, 0x4fc0, 0x9d, 0x44, 0x71, 0xb8, 0x5c, 0x02, 0xe6, 0x1f)
__CRT_UUID_DECL(TremAppSdkUtil, 0x3a722eb8, 0x4968, 0x47bc, 0x94, 0x64, 0xd3, 0xc3, 0xc1, 0xb6, 0x0b, 0xfd)

// Event interfaces (dispatch): the ids below are the DISPIDs the controls raise.
extern "C" const IID DIID__IVMStatusbarCtlEvents;
extern "C" const IID DIID__IMksCtlEvents;
extern "C" const IID DIID__IVMSwitchCtlEvents;
extern "C" const IID DIID__IHardwareCtlEvents;
extern "C" const IID DIID__IVMListCtlEvents;
extern "C" const IID DIID__IRegVmsCtlEvents;

// The program's sink base for the controls' events.
template <UINT nID, class T, const IID *pdiid>
using CTremappsdk_IDispEventImpl = atl::IDispEventImpl<nID, T, pdiid>;

namespace tremappsdk {

// Registers the classes by ProgID and class id (after CoInitialize).
void RegisterClasses();

// _IVMStatusbarCtlEvents
enum StatusbarEvent : DISPID {
   // (BSTR vmPath): the user clicked the movie-capture indicator of the machine at vmPath
   // ("/vm/#xxxx/"); the program stops (or starts) the capture.
   kStatusbarCaptureMovie = 19,
};

// _IMksCtlEvents
enum MksEvent : DISPID {
   kMksRelayout = 1,        // (): the guest's screen size changed; the container lays out again
   kMksMessage = 3,         // (BSTR text, BSTR buttonSet, BSTR kind, long, long, long, long, long *answer):
                            // the machine asks the user (VMMsg button sets and kinds)
   kMksContextMenu = 4,     // (long x, long y, BSTR objectPath, long tabKind): screen coordinates
   kMksBeginResize = 5,     // (): the user starts sizing the console
   kMksEndResize = 6,       // (): ... and ends it
   kMksGrab = 7,            // (VARIANT_BOOL grabbed): input grabbed by the guest or released
};

// _IVMSwitchCtlEvents
enum SwitchEvent : DISPID {
   kSwitchTabCommand = 1,   // (BSTR objectPath, long command): command 1 = close the tab; the tab is
                            // made current first, so the program's "close current tab" closes it
   kSwitchContextMenu = 2,  // (long x, long y, BSTR objectPath, long tabKind): screen coordinates
};

// _IHardwareCtlEvents
enum HardwareEvent : DISPID {
   kHardwareEdit = 2,       // (): the user asked to edit the device the Path property now names
};

// _IVMListCtlEvents
enum VMListEvent : DISPID {
   kVMListOpen = 3,         // (BSTR objectPath): the user opened an item (double click, Enter or the
                            // open-selection operation); the path is the item's configuration file
   kVMListContextMenu = 4,  // (long x, long y, BSTR objectPath, long kind): screen coordinates; the
                            // item's configuration file (empty on the background) and its ListKind
};

// _IRegVmsCtlEvents
enum RegVmsEvent : DISPID {
   kRegVmsOpenVM = 1,       // (BSTR vmPath, VARIANT_BOOL keep, long *refused): open the machine of this
                            // configuration file; keep is true for a double click or Enter (a lasting
                            // tab). The sink sets *refused to 1 when it did not open it.
   kRegVmsOpen = 3,         // (BSTR objectPath): as kVMListOpen, for a listed file that is not a
                            // machine configuration (".vmx")
   kRegVmsContextMenu = 4,  // (long x, long y, BSTR objectPath, long kind): as kVMListContextMenu
};

// The object kinds of the lists' context-menu events (the side bar's menu choice).
enum ListKind : long {
   kListTeam = 2,
   kListTeamOpened = 3,        // a team that has a tab
   kListVM = 5,
   kListVMOpened = 6,          // a machine that has a tab
   kListVMRunning = 9,         // a machine that is powered on
   kListMVMT = 10,
   kListMVMTOpened = 12,
   kListFolder = 15,           // a favourites folder (the side bar offers no menu for it)
   kListFavoritesBackground = 18,
   kListInventoryBackground = 19,
};

// The tab kinds the tab strip and the console report (the program's context-menu kinds).
enum TabKind : long {
   kTabHome = 1,
   kTabTeam = 4,
   kTabVM = 7,          // a machine that is not running
   kTabVMRunning = 8,   // a machine that is powered on
   kTabManagedVM = 11,
   kTabZephroServer = 14,
   kTabHotFix = 17,
};

}  // namespace tremappsdk

_COM_SMARTPTR_TYPEDEF(IVMStatusbarCtl, __uuidof(IVMStatusbarCtl));
_COM_SMARTPTR_TYPEDEF(IMksCtl, __uuidof(IMksCtl));
_COM_SMARTPTR_TYPEDEF(IVMSwitchCtl, __uuidof(IVMSwitchCtl));
_COM_SMARTPTR_TYPEDEF(IHardwareCtl, __uuidof(IHardwareCtl));
_COM_SMARTPTR_TYPEDEF(ITremAppSdkUtil, __uuidof(ITremAppSdkUtil));
_COM_SMARTPTR_TYPEDEF(IVMListCtl, __uuidof(IVMListCtl));
_COM_SMARTPTR_TYPEDEF(IRegVmsCtl, __uuidof(IRegVmsCtl));

// The frame's status bar. It follows the current object (cui::appdata::kCurrentObj) of its
// database (the default database unless one is given) and shows the machine's power state,
// its devices (from "vmx/cfgState/val/dev/#", greyed when not present) and, while
// "<machine>mks/movieCapture" is true, a movie-capture indicator that raises event 19.
struct IVMStatusbarCtl : IUnknown {
   // Whether the window around it can be sized (the bar then shows a size grip); initially true.
   VARIANT_BOOL GetCanFitWindow();
   void PutCanFitWindow(VARIANT_BOOL canFit);
   // The database to follow; without one the bar connects to the default database when shown.
   void PutDatabase(IVmdbDatabase *db);
   // The machine shown ("/vm/#xxxx/"), empty for none.
   _bstr_t GetVMPath();

   virtual HRESULT __stdcall get_CanFitWindow(VARIANT_BOOL *canFit) = 0;
   virtual HRESULT __stdcall put_CanFitWindow(VARIANT_BOOL canFit) = 0;
   virtual HRESULT __stdcall put_Database(IVmdbDatabase *db) = 0;
   virtual HRESULT __stdcall get_VMPath(BSTR *path) = 0;
};

// The console. Given a context and a link path (the current opened-object record), it shows the
// machine of that record: a simulated guest screen while it is powered on, its state otherwise.
struct IMksCtl : IUnknown {
   void PutContext(IVmdbContext *ctx);
   void PutLinkPath(_bstr_t path);
   // Raised by the container while it shows a machine message; the console lets go of the input
   // and does not grab it while the flag is set.
   VARIANT_BOOL GetMessageActive();
   void PutMessageActive(VARIANT_BOOL active);
   // A text shown over the console (a notice while connecting, a failure); empty hides it.
   _bstr_t GetMessageText();
   void PutMessageText(_bstr_t text);
   // Space the console keeps for itself at the right and bottom (a team's strip), in pixels.
   long GetReservedWidth();
   long GetReservedHeight();
   // Lets go of the input grab (before the program opens a dialog).
   HRESULT ReleaseInput();
   // The machine shown ("/vm/#xxxx/"), empty for none; whether input is grabbed; the guest's
   // screen size.
   _bstr_t GetVMPath();
   VARIANT_BOOL GetGrabbed();
   long GetGuestWidth();
   long GetGuestHeight();

   virtual HRESULT __stdcall put_Context(IVmdbContext *ctx) = 0;
   virtual HRESULT __stdcall put_LinkPath(BSTR path) = 0;
   virtual HRESULT __stdcall get_MessageActive(VARIANT_BOOL *active) = 0;
   virtual HRESULT __stdcall put_MessageActive(VARIANT_BOOL active) = 0;
   virtual HRESULT __stdcall get_MessageText(BSTR *text) = 0;
   virtual HRESULT __stdcall put_MessageText(BSTR text) = 0;
   virtual HRESULT __stdcall get_ReservedWidth(long *width) = 0;
   virtual HRESULT __stdcall get_ReservedHeight(long *height) = 0;
   virtual HRESULT __stdcall raw_ReleaseInput() = 0;
   virtual HRESULT __stdcall get_VMPath(BSTR *path) = 0;
   virtual HRESULT __stdcall get_Grabbed(VARIANT_BOOL *grabbed) = 0;
   virtual HRESULT __stdcall get_GuestWidth(long *width) = 0;
   virtual HRESULT __stdcall get_GuestHeight(long *height) = 0;
};

// The tab strip of the opened objects: one tab per element of the array path, the tab of the
// element the link path points to selected. Clicking a tab points the link at its element.
struct IVMSwitchCtl : IUnknown {
   void PutContext(IVmdbContext *ctx);
   void PutLinkPath(_bstr_t path);
   void PutArrayPath(_bstr_t path);
   long GetTabCount();

   virtual HRESULT __stdcall put_Context(IVmdbContext *ctx) = 0;
   virtual HRESULT __stdcall put_LinkPath(BSTR path) = 0;
   virtual HRESULT __stdcall put_ArrayPath(BSTR path) = 0;
   virtual HRESULT __stdcall get_TabCount(long *count) = 0;
};

// The machine page's device list. Path is a machine's "vmx/cfgState" path; the list shows the
// devices under "val/dev/#". After an edit event (a double click) Path names the chosen device's
// element until it is set again.
struct IHardwareCtl : IUnknown {
   void PutDatabase(IVmdbDatabase *db);
   _bstr_t GetPath();
   void PutPath(_bstr_t path);
   // Non-zero: double clicks raise no edit event.
   void PutReadOnly(long readOnly);
   // Non-zero: a sunken border around the list.
   void PutBorder(long border);

   virtual HRESULT __stdcall put_Database(IVmdbDatabase *db) = 0;
   virtual HRESULT __stdcall get_Path(BSTR *path) = 0;
   virtual HRESULT __stdcall put_Path(BSTR path) = 0;
   virtual HRESULT __stdcall put_ReadOnly(long readOnly) = 0;
   virtual HRESULT __stdcall put_Border(long border) = 0;
};

// The device utility: names and connection states of a machine's devices by their key ("cdrom0"),
// and a small settings dialog for one device. Devices are read under the configuration-state
// path; a change made in the dialog is submitted as a request on that state ("req/#" with
// "val/dev/#xxxx/<field>" for the fields changed only, then "new").
struct ITremAppSdkUtil : IUnknown {
   HRESULT SetLocale(_bstr_t locale);
   // A context to read through (null lets go of it); or a database, for which one is made.
   HRESULT SetContext(IVmdbContext *ctx);
   HRESULT SetDatabase(IVmdbDatabase *db);
   HRESULT SetClient(IVMClient *client);
   HRESULT SetHostPath(_bstr_t hostPath);
   HRESULT SetVMPath(_bstr_t vmPath);
   HRESULT SetCfgStatePath(_bstr_t cfgStatePath);
   // E_INVALIDARG for a key no device of the machine has.
   _bstr_t GetDeviceName(_bstr_t key);
   // A removable drive of a running machine answers from "vmx/execState/dev/<key>/connected",
   // one of a stopped machine as it boots (present and "startConnected"); other devices: present.
   VARIANT_BOOL IsDeviceConnected(_bstr_t key);
   _bstr_t GetConnectionText(_bstr_t key);
   // Shows the device's settings dialog, owned by `owner`; S_FALSE when the user cancelled.
   HRESULT EditDevice(_bstr_t key, HWND owner);

   virtual HRESULT __stdcall raw_SetLocale(BSTR locale) = 0;
   virtual HRESULT __stdcall raw_SetContext(IVmdbContext *ctx) = 0;
   virtual HRESULT __stdcall raw_SetDatabase(IVmdbDatabase *db) = 0;
   virtual HRESULT __stdcall raw_SetClient(IVMClient *client) = 0;
   virtual HRESULT __stdcall raw_SetHostPath(BSTR hostPath) = 0;
   virtual HRESULT __stdcall raw_SetVMPath(BSTR vmPath) = 0;
   virtual HRESULT __stdcall raw_SetCfgStatePath(BSTR cfgStatePath) = 0;
   virtual HRESULT __stdcall raw_GetDeviceName(BSTR key, BSTR *name) = 0;
   virtual HRESULT __stdcall raw_IsDeviceConnected(BSTR key, VARIANT_BOOL *connected) = 0;
   virtual HRESULT __stdcall raw_GetConnectionText(BSTR key, BSTR *text) = 0;
   virtual HRESULT __stdcall raw_EditDevice(BSTR key, HWND owner) = 0;
};

// The favourites list: a tree of the present items of "<favorites path>val/item/#" (machines, teams,
// managed templates and folders, nested by parentID), redrawn when the state changes. The item of
// the file the link's opened-object record shows is bold. Renames, new folders and the removal of a
// folder (the Delete key) go through the state's request queue ("req/#").
struct IVMListCtl : IUnknown {
   // The context to read and watch through (null lets go of it). Set before the paths.
   void PutContext(IVmdbContext *ctx);
   // The favourites state, "/user/vmlistState/".
   void PutFavoritesPath(_bstr_t path);
   // The link to the current opened-object record ("/appdata/Tremory/zolt/currentObj").
   void PutLinkPath(_bstr_t path);
   // The opened-object array ("/appdata/Tremory/zolt/openedObj"): items with a tab are told apart
   // in the context-menu kind.
   void PutArrayPath(_bstr_t path);
   // The session's destination (a host name, empty for the local host): machines and teams added
   // on another destination are not listed.
   void PutDestination(_bstr_t dest);
   // Starts the in-place rename of the selected item (nothing without a selection).
   HRESULT Rename();
   // Adds a folder under the folder with this id (0 = top level, -1 = where the selection is) and
   // starts its rename.
   HRESULT NewFolder(long parentId);
   // Raises kVMListOpen for the selected item (nothing for a folder or without a selection).
   HRESULT OpenSelection();
   // The configuration file of the selected item; empty for a folder or none.
   _bstr_t GetSelectedPath();

   virtual HRESULT __stdcall put_Context(IVmdbContext *ctx) = 0;
   virtual HRESULT __stdcall put_FavoritesPath(BSTR path) = 0;
   virtual HRESULT __stdcall put_LinkPath(BSTR path) = 0;
   virtual HRESULT __stdcall put_ArrayPath(BSTR path) = 0;
   virtual HRESULT __stdcall put_Destination(BSTR dest) = 0;
   virtual HRESULT __stdcall raw_Rename() = 0;
   virtual HRESULT __stdcall raw_NewFolder(long parentId) = 0;
   virtual HRESULT __stdcall raw_OpenSelection() = 0;
   virtual HRESULT __stdcall get_SelectedPath(BSTR *path) = 0;
};

// A host's registered machines: the machines under "<host>vms/registeredvms/#" of the host the host
// link points to (while it is unset, the first host of the session's connection), by display name,
// the current object's machine bold. The list follows the host link, the host's list and the open
// machines by itself; Refresh reads them again, with the names in the machines' files.
struct IRegVmsCtl : IUnknown {
   // The context to read through (null lets go of it). Set before the paths.
   void PutContext(IVmdbContext *ctx);
   // The session node ("/appdata/Tremory/zolt/session"); its "cnxPath" names the connection while
   // none is given.
   void PutSessionPath(_bstr_t path);
   // The link to the transient opened-object record ("/appdata/Tremory/zolt/transientObj").
   void PutTransientLinkPath(_bstr_t path);
   // The link to the current opened-object record ("/appdata/Tremory/zolt/currentObj").
   void PutLinkPath(_bstr_t path);
   // The link to the current host ("/appdata/Tremory/zolt/currentHost").
   void PutHostLinkPath(_bstr_t path);
   // The session's connection ("/cnx/#.../"; the value of "session/cnxPath").
   void PutConnectionPath(_bstr_t cnxPath);
   // Reads the host link and the registered machines again.
   HRESULT Refresh();
   // Starts the in-place rename of the selected machine (its display name).
   HRESULT Rename();
   // The configuration file of the selected machine; empty for none.
   _bstr_t GetSelectedPath();
   // The number of machines listed.
   long GetCount();

   virtual HRESULT __stdcall put_Context(IVmdbContext *ctx) = 0;
   virtual HRESULT __stdcall put_SessionPath(BSTR path) = 0;
   virtual HRESULT __stdcall put_TransientLinkPath(BSTR path) = 0;
   virtual HRESULT __stdcall put_LinkPath(BSTR path) = 0;
   virtual HRESULT __stdcall put_HostLinkPath(BSTR path) = 0;
   virtual HRESULT __stdcall put_ConnectionPath(BSTR cnxPath) = 0;
   virtual HRESULT __stdcall raw_Refresh() = 0;
   virtual HRESULT __stdcall raw_Rename() = 0;
   virtual HRESULT __stdcall get_SelectedPath(BSTR *path) = 0;
   virtual HRESULT __stdcall get_Count(long *count) = 0;
};

#include "tremappsdk/TremAppSdk.inl"
