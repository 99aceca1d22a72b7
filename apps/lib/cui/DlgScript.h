// A test trigger: a script of dialog factory calls that the library raises one after another,
// logging every answer, so each dialog kind can be driven end to end without model objects.
//
// The configuration key "test.dlgScript" names the script file. The library starts it by itself
// at the first poll step after a default owner is given to a wui::DlgMgr (the program does that
// once its frame exists); cui::RunDlgScript starts it by hand. Each call is raised through
// wui::GetDlgMgr (so through the program's factory where it implements the kind), the next one
// when the previous dialog is gone. Log lines:
//   "DlgScript: <n> <kind> raised\n"
//   "DlgScript: <n> <kind> replied[ <name>=<value>...]\n"   (texts quoted as in the script)
//   "DlgScript: <n> <kind> failed: no dialog\n"
//   "DlgScript: <n> <kind> skipped: turned off\n"   (a hint whose key the user turned off)
//   "DlgScript: line <l>: <what>\n"   (a bad line; it is left out, the others run)
//   "DlgScript: done\n"
//
// Script syntax: one call per line, '#' comments and blank lines allowed:
//   <kind> <name>=<value> ...
// A value is a bare word or a "quoted text" with the escapes \" \\ \n \t. Kinds and names:
//   every kind      reply=<action>[,<action>...]  what the script's handler answers to the first,
//                   second... reply (the last one repeats; default destroy); actions enable,
//                   keepDisabled (the script re-enables the dialog one second later), destroy
//   info, warning, error: text, title
//   hint            text, title, key
//   question        text, title, choice (repeated, in order), cancel, default, icon (0 or 1)
//   squestion       text, title, choice, cancel, default, key
//   password, changePassword: text
//   activate        text, title, type (0 or 1)
//   authenticate    text, title, mode
//   connectTo       text, title
//   progress        text, cancelable (0 or 1), percent
//   fileBrowser     title, dir, file, filter ("<literal>|*.a;*.b", repeated), index
//   closeRoamingVM  sync (0 or 1)
// Replied arguments: hint suppressed; question choice; squestion choice suppressed; password
// choice password confirmation; activate choice key; authenticate cancelled user password
// domain; changePassword choice old new confirmation; connectTo cancelled address port secure;
// progress cancelled; fileBrowser cancelled path; closeRoamingVM choice.
//
// A hint key names a hint the user can turn off, as the message box's hint keys do: a hint (or
// squestion answered 0) whose check box was ticked writes the preference
// "/user/prefState/req/#ZOLT/val/hints/<key>/disabled" (true), and while it is true the call
// with that key is skipped.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include <sigc++/sigc++.h>

#include "cui/DlgMgr.h"

namespace cui {

struct DlgScriptCall {
   int line = 0;
   DlgMgr::Slot slot = DlgMgr::SLOT_INFO;
   std::string kind;
   std::string text;
   std::string title;
   std::vector<std::string> choices;
   std::string hintKey;
   int cancelIndex = -1;
   int defaultIndex = -1;
   int icon = 0;
   int mode = 0;
   int type = 0;
   bool cancelable = false;
   int percent = -1;
   bool canSync = false;
   std::string dir;
   std::string file;
   DlgFileBrowser::FilterList filters;
   int filterIndex = -1;
   std::vector<Dlg::RepliedAction> replies;
};

class DlgScript {
public:
   static const size_t kMaxLine = 4096;

   // Bad lines are left out and reported in `errors` as "line <l>: <what>".
   static std::vector<DlgScriptCall> Parse(const std::string &text, std::vector<std::string> &errors);
   // False (with the reason in `errors`) when the file cannot be read.
   static bool Read(const std::string &path, std::vector<DlgScriptCall> &calls, std::vector<std::string> &errors);
   // A text as the script writes it: quoted, with escapes.
   static std::string Quote(const std::string &text);
};

class DlgScriptRunner : public sigc::trackable {
public:
   // `dlgMgr` null: wui::GetDlgMgr at each call.
   explicit DlgScriptRunner(const std::vector<DlgScriptCall> &calls, DlgMgr *dlgMgr = nullptr);
   ~DlgScriptRunner();

   // Raises the first call; the others follow from poll steps as the dialogs go.
   void Start();
   bool IsDone() const { return done_; }
   // The dialog of the current call; null between calls.
   Dlg *GetCurrent() const { return current_; }
   // Every log line written so far, without "DlgScript: " and the line end.
   const std::vector<std::string> &GetLines() const { return lines_; }

   DlgScriptRunner(const DlgScriptRunner &) = delete;
   DlgScriptRunner &operator=(const DlgScriptRunner &) = delete;

private:
   Dlg *Raise(const DlgScriptCall &call);
   Dlg::RepliedAction OnReplied(const std::string &args);
   void OnGone();
   void Next();
   void Write(const std::string &line);

   std::vector<DlgScriptCall> calls_;
   DlgMgr *dlgMgr_;
   size_t index_ = 0;
   size_t replies_ = 0;
   Dlg *current_ = nullptr;
   bool done_ = false;
   std::vector<std::string> lines_;
   std::shared_ptr<bool> alive_;
};

// Runs the script of "test.dlgScript" once per run (see above); false when the key is unset,
// the file cannot be read, or it ran already.
bool RunDlgScript();

}  // namespace cui
