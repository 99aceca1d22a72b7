#include "cui/DlgScript.h"

#include <algorithm>

#include "DlgScriptStart.h"
#include "cui/Error.h"
#include "cui/Prefs.h"
#include "cui/Registry.h"
#include "tremorybase/Config.h"
#include "tremorybase/Log.h"
#include "tremorybase/Poll.h"

namespace cui {

namespace {

const unsigned kReenableDelayMs = 1000;

std::string Flag(const char *name, bool value)
{
   return std::string(name) + (value ? "=1" : "=0");
}

std::string Number(const char *name, int value)
{
   return std::string(name) + "=" + std::to_string(value);
}

std::string Text(const char *name, const std::string &value)
{
   return std::string(name) + "=" + DlgScript::Quote(value);
}

// The preference that turns the hint `key` off; shared with the message box's hint keys.
std::string HintOffPath(const std::string &key)
{
   return std::string(kPrefsRequestPath) + "val/hints/" + key + "/disabled";
}

// Without a database the hint is always shown and never remembered.
bool IsHintOff(const std::string &key)
{
   if (key.empty()) {
      return false;
   }
   try {
      return GetVmdbCtx().GetBool(HintOffPath(key), false);
   } catch (const Error &e) {
      Warning("DlgScript: cannot read the hint \"%s\": %s\n", key.c_str(), e.what());
      return false;
   }
}

void TurnHintOff(const std::string &key)
{
   if (key.empty()) {
      return;
   }
   try {
      GetVmdbCtx().Set(HintOffPath(key), vmdb::Value(true));
      Log("DlgScript: the hint \"%s\" is turned off\n", key.c_str());
   } catch (const Error &e) {
      Warning("DlgScript: cannot turn the hint \"%s\" off: %s\n", key.c_str(), e.what());
   }
}

}  // namespace

DlgScriptRunner::DlgScriptRunner(const std::vector<DlgScriptCall> &calls, DlgMgr *dlgMgr)
   : calls_(calls), dlgMgr_(dlgMgr), alive_(std::make_shared<bool>(true))
{
}

DlgScriptRunner::~DlgScriptRunner()
{
   *alive_ = false;
}

void DlgScriptRunner::Write(const std::string &line)
{
   lines_.push_back(line);
   Log("DlgScript: %s\n", line.c_str());
}

void DlgScriptRunner::Start()
{
   index_ = 0;
   Next();
}

void DlgScriptRunner::Next()
{
   while (index_ < calls_.size()) {
      const DlgScriptCall &call = calls_[index_];
      std::string name = std::to_string(index_ + 1) + " " + call.kind;
      replies_ = 0;
      if (IsHintOff(call.hintKey)) {
         Write(name + " skipped: turned off");
         ++index_;
         continue;
      }
      Write(name + " raised");
      std::shared_ptr<bool> alive = alive_;
      Dlg *dlg = Raise(call);
      if (!*alive) {
         return;
      }
      if (dlg) {
         return;   // the next call follows when this dialog is gone
      }
      Write(name + " failed: no dialog");
      ++index_;
   }
   if (!done_) {
      done_ = true;
      Write("done");
   }
}

void DlgScriptRunner::OnGone()
{
   current_ = nullptr;
   ++index_;
   std::shared_ptr<bool> alive = alive_;
   // Not from inside the dialog's destructor: the next dialog comes at the next poll step.
   Poll_Post([this, alive]() {
      if (*alive) {
         Next();
      }
   });
}

Dlg::RepliedAction DlgScriptRunner::OnReplied(const std::string &args)
{
   const DlgScriptCall &call = calls_[index_];
   Write(std::to_string(index_ + 1) + " " + call.kind + " replied" + (args.empty() ? "" : " " + args));
   Dlg::RepliedAction action = Dlg::DESTROY;
   if (!call.replies.empty()) {
      action = call.replies[std::min(replies_, call.replies.size() - 1)];
   }
   ++replies_;
   if (action == Dlg::KEEP_DISABLED) {
      // Stands for the library finishing its work: the dialog becomes usable again.
      std::shared_ptr<bool> alive = alive_;
      Dlg *dlg = current_;
      Poll_AddTimer(kReenableDelayMs, false, [this, alive, dlg]() {
         if (*alive && current_ == dlg && dlg) {
            dlg->Reenable();
         }
      });
   }
   return action;
}

Dlg *DlgScriptRunner::Raise(const DlgScriptCall &call)
{
   DlgMgr *mgr = dlgMgr_ ? dlgMgr_ : static_cast<DlgMgr *>(wui::GetDlgMgr());
   auto reply = [this](const std::string &args) { return OnReplied(args); };
   Dlg *dlg = nullptr;
   switch (call.slot) {
   case DlgMgr::SLOT_INFO:
      dlg = mgr->NewInfo(call.text, call.title);
      break;
   case DlgMgr::SLOT_WARNING:
      dlg = mgr->NewWarning(call.text, call.title);
      break;
   case DlgMgr::SLOT_ERROR:
      dlg = mgr->NewError(call.text, call.title);
      break;
   case DlgMgr::SLOT_HINT: {
      DlgHint *hint = mgr->NewHint(call.text, call.title);
      if (hint) {
         std::string key = call.hintKey;
         hint->ConnectReply([reply, key](bool suppressed) {
            if (suppressed) {
               TurnHintOff(key);
            }
            return reply(Flag("suppressed", suppressed));
         });
      }
      dlg = hint;
      break;
   }
   case DlgMgr::SLOT_QUESTION: {
      DlgQuestion *q = mgr->NewQuestion(call.text, call.choices, call.cancelIndex, call.defaultIndex, call.title,
                                        static_cast<DlgQuestion::Icon>(call.icon));
      if (q) {
         q->ConnectReply([reply](int choice) { return reply(Number("choice", choice)); });
      }
      dlg = q;
      break;
   }
   case DlgMgr::SLOT_SQUESTION: {
      DlgSQuestion *q = mgr->NewSQuestion(call.text, call.choices, call.cancelIndex, call.defaultIndex, call.title);
      if (q) {
         std::string key = call.hintKey;
         q->ConnectReply([reply, key](int choice, bool suppressed) {
            // Turned off only when answered yes: another answer is asked again next time.
            if (suppressed && choice == 0) {
               TurnHintOff(key);
            }
            return reply(Number("choice", choice) + " " + Flag("suppressed", suppressed));
         });
      }
      dlg = q;
      break;
   }
   case DlgMgr::SLOT_PASSWORD: {
      DlgPassword *p = mgr->NewPassword(call.text);
      if (p) {
         p->ConnectReply([reply](int choice, std::string password, std::string confirmation) {
            return reply(Number("choice", choice) + " " + Text("password", password) + " " +
                         Text("confirmation", confirmation));
         });
      }
      dlg = p;
      break;
   }
   case DlgMgr::SLOT_ACTIVATE: {
      DlgActivate *a = mgr->NewActivate(static_cast<DlgActivate::Type>(call.type), call.text, call.title);
      if (a) {
         a->ConnectReply(
            [reply](int choice, std::string key) { return reply(Number("choice", choice) + " " + Text("key", key)); });
      }
      dlg = a;
      break;
   }
   case DlgMgr::SLOT_AUTHENTICATE: {
      DlgAuthenticate *a = mgr->NewAuthenticate(call.mode, call.text, call.title);
      if (a) {
         a->ConnectReply([reply](bool cancelled, std::string user, std::string password, std::string domain) {
            return reply(Flag("cancelled", cancelled) + " " + Text("user", user) + " " + Text("password", password) +
                         " " + Text("domain", domain));
         });
      }
      dlg = a;
      break;
   }
   case DlgMgr::SLOT_CHANGE_PASSWORD: {
      DlgChangePassword *c = mgr->NewChangePassword(call.text);
      if (c) {
         c->ConnectReply([reply](int choice, std::string oldPassword, std::string newPassword, std::string confirm) {
            return reply(Number("choice", choice) + " " + Text("old", oldPassword) + " " + Text("new", newPassword) +
                         " " + Text("confirmation", confirm));
         });
      }
      dlg = c;
      break;
   }
   case DlgMgr::SLOT_CONNECT_TO: {
      DlgConnectTo *c = mgr->NewConnectTo(call.text, call.title);
      if (c) {
         c->ConnectReply([reply](bool cancelled, std::string address, int port, bool secure) {
            return reply(Flag("cancelled", cancelled) + " " + Text("address", address) + " " + Number("port", port) +
                         " " + Flag("secure", secure));
         });
      }
      dlg = c;
      break;
   }
   case DlgMgr::SLOT_PROGRESS: {
      DlgProgress *p = mgr->NewProgress(call.text);
      if (p) {
         p->SetCancelable(call.cancelable);
         if (call.percent >= 0) {
            p->SetProgress(call.percent);
         }
         p->ConnectReply([reply]() { return reply(Flag("cancelled", true)); });
      }
      dlg = p;
      break;
   }
   case DlgMgr::SLOT_FILE_BROWSER: {
      DlgFileBrowser *f = mgr->NewFileBrowser(GetClientHost(), call.dir, call.title, call.file, call.filters,
                                              call.filterIndex);
      if (f) {
         f->ConnectReply([reply](bool cancelled, std::string path) {
            return reply(Flag("cancelled", cancelled) + " " + Text("path", path));
         });
      }
      dlg = f;
      break;
   }
   case DlgMgr::SLOT_CLOSE_ROAMING_VM: {
      DlgCloseRoamingVM *c = mgr->NewCloseRoamingVM(call.canSync);
      if (c) {
         c->ConnectReply([reply](int choice) { return reply(Number("choice", choice)); });
      }
      dlg = c;
      break;
   }
   }
   if (!dlg) {
      return nullptr;
   }
   if (call.slot == DlgMgr::SLOT_INFO || call.slot == DlgMgr::SLOT_WARNING || call.slot == DlgMgr::SLOT_ERROR) {
      dlg->ConnectReply([reply]() { return reply(""); });
   }
   current_ = dlg;
   dlg->destroyed.connect(sigc::mem_fun(*this, &DlgScriptRunner::OnGone));
   if (call.slot == DlgMgr::SLOT_FILE_BROWSER) {
      // Modal: it answers (and may go) before Run returns.
      dynamic_cast<DlgFileBrowser *>(dlg)->Run();
   }
   return dlg;
}

bool RunDlgScript()
{
   static bool ran = false;
   static std::unique_ptr<DlgScriptRunner> runner;
   std::string path = Config_GetString("test.dlgScript", "");
   if (ran || path.empty()) {
      return false;
   }
   ran = true;
   std::vector<DlgScriptCall> calls;
   std::vector<std::string> errors;
   bool read = DlgScript::Read(path, calls, errors);
   for (const std::string &e : errors) {
      Log("DlgScript: %s\n", e.c_str());
   }
   if (!read) {
      return false;
   }
   runner.reset(new DlgScriptRunner(calls));
   runner->Start();
   return true;
}

}  // namespace cui

namespace cuiutil {

void ScheduleDlgScript()
{
   static bool scheduled = false;
   if (scheduled || Config_GetString("test.dlgScript", "").empty()) {
      return;
   }
   scheduled = true;
   Poll_Post([]() { cui::RunDlgScript(); });
}

}  // namespace cuiutil
