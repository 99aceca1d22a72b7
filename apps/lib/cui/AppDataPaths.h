// The application's own subtree of the state database, "/appdata/Tremory/zolt/": the program
// declares and writes it; the model library, the controls and the tests read it. Every path
// into it is spelled here once.
#pragma once

namespace cui {
namespace appdata {

constexpr char kRoot[] = "/appdata/Tremory/zolt/";

// Links to "/host2/#": the local host and the host of the current session.
constexpr char kLocalHost[] = "/appdata/Tremory/zolt/localHost";
constexpr char kCurrentHost[] = "/appdata/Tremory/zolt/currentHost";

// Links to records of openedObj: the object of the current tab, and one shown for a moment.
constexpr char kCurrentObj[] = "/appdata/Tremory/zolt/currentObj";
constexpr char kTransientObj[] = "/appdata/Tremory/zolt/transientObj";

// One record per opened object (tab), "openedObj/#xxxx/".
constexpr char kOpenedObj[] = "/appdata/Tremory/zolt/openedObj";
constexpr char kOpenedObjElements[] = "/appdata/Tremory/zolt/openedObj/#";
// The home tab's record, always the first.
constexpr char kHomeObj[] = "/appdata/Tremory/zolt/openedObj/#0000/";

// The session: `active`, `remote`, `user`, `dest` and the connection link `cnxPath`.
constexpr char kSession[] = "/appdata/Tremory/zolt/session";
constexpr char kSessionActive[] = "/appdata/Tremory/zolt/session/active";
constexpr char kSessionUser[] = "/appdata/Tremory/zolt/session/user";
constexpr char kSessionDest[] = "/appdata/Tremory/zolt/session/dest";
constexpr char kSessionCnxPath[] = "/appdata/Tremory/zolt/session/cnxPath";
constexpr char kSessionLastError[] = "/appdata/Tremory/zolt/session/cnxPath/lastError";

constexpr char kDeskmoorMode[] = "/appdata/Tremory/zolt/deskmoorMode";
constexpr char kWebUpdate[] = "/appdata/Tremory/zolt/webUpdate";

}  // namespace appdata
}  // namespace cui
