// The application library: the resource module, the report of a COM object that could not be
// created, the modal state of the user interface, the browser launcher and the UI language.
#pragma once

#include <windows.h>

#include <string>

struct IVmdbContext;

// The module the program should read its resources from. The library supplies none (null), so
// the program keeps using its own module.
HMODULE TremAppUtil_GetResourceModule();

// A COM object `objectName` could not be created: logs the warning
// "Could not create <name>: 0x<hr>\n" and shows an error box (resource strings
// TREMAPPUTIL_IDS_COM_CREATE_FAILED and TREMAPPUTIL_IDS_CAPTION, see TremAppUtilRes.h). With the
// configuration key "test.comFailure.silent" true, or when the program's module lacks the
// string, only the warning is written.
void ReportComCreateFailure(const char *objectName, HRESULT hr);

// A modal window of the program goes up (true) or away (false) for the object at `objectPath`.
// The library keeps the depth only; nothing is written to the database. A `false` at depth 0
// is logged as a warning and ignored.
void TremAppUtil_SetModalState(IVmdbContext *ctx, const wchar_t *objectPath, bool modal);
int TremAppUtil_GetModalDepth();

// Opens `url` in the user's browser (ShellExecute "open"). With the configuration key
// "test.browser.log" true, logs "Browser: <url>\n" instead and answers true. False when the
// URL is empty or the system could not open it.
bool TremAppUtil_OpenURL(const char *url);

// The user interface's language: "en" (the configuration key "test.ui.language" replaces it).
std::string TremAppUtil_GetUILanguage();

// The administrator lockout: false when the host ("/host2/#0000/") has the policy `policyKey`
// ("lockoutCreateVM", "lockoutEditVM", "lockoutManageNetworks") set true under "policy/", read
// through `ctx`; the refusal is logged. True otherwise, also without a context or a host.
bool TremAppUtil_CheckLockout(IVmdbContext *ctx, const char *hostPath, const char *policyKey);
// A machine was made on a host: recorded under the host's "vms/created/#" (its configuration
// file and whether it is private), for the host's own inventory to pick up.
void TremAppUtil_NotifyVMCreated(IVmdbContext *ctx, const char *hostPath, const char *cfgPath, bool isPrivate);
