#include "zoltCommandLineOpens.h"

#include "zoltApp.h"
#include "zoltFileKind.h"

#include "cui/cui.h"
#include "tremorybase/Log.h"
#include "tremorybase/Text.h"

#include <windows.h>

#include <set>

std::wstring FileKey(const std::string &path)
{
   std::wstring key = WideFromUtf8(wui::util::GetLongPathNameA(path, true));
   for (wchar_t &c : key) {
      if (c == L'/') {
         c = L'\\';
      }
   }
   // The simple upper-case mapping is how the file system compares names.
   if (!key.empty()) {
      CharUpperBuffW(&key[0], static_cast<DWORD>(key.size()));
   }
   return key;
}

std::vector<std::string> DistinctFiles(const CommandLineOptions &options, std::vector<std::string> &pastLimit)
{
   std::set<std::wstring> seen;
   std::vector<std::string> files;
   for (const std::string &file : options.files) {
      if (seen.insert(FileKey(file)).second) {
         files.push_back(file);
      }
   }
   pastLimit.clear();
   for (const std::string &file : options.filesPastLimit) {
      if (seen.insert(FileKey(file)).second) {
         pastLimit.push_back(file);
      }
   }
   return files;
}

void CommandLineOpens::Start(CZOLTApp &app, const CommandLineOptions &options, bool applyStartOptions,
                             const std::vector<std::string> &files, const std::vector<std::string> &pastLimit)
{
   Log("CommandLineOpens: %zu files to open, %zu past the argument limit\n", files.size(), pastLimit.size());
   auto opens = std::make_shared<CommandLineOpens>(app, options, applyStartOptions, files);
   opens->filesNamed_ += pastLimit.size();
   for (const std::string &file : pastLimit) {
      opens->failures_.Add(file, OpenFailure::PAST_ARGUMENTS);
   }
   opens->StartOpens();
}

CommandLineOpens::CommandLineOpens(CZOLTApp &app, const CommandLineOptions &options, bool applyStartOptions,
                                   const std::vector<std::string> &files)
   : app_(app),
     options_(options),
     applyStartOptions_(applyStartOptions),
     files_(files),
     answered_(files.size(), false),
     filesNamed_(files.size())
{
   // Each open is handed the options; the list of files is this object's alone.
   options_.files.clear();
   options_.filesPastLimit.clear();
}

bool CommandLineOpens::CountsTowardLimit(const std::string &file) const
{
   // Every open of a remote session is a machine's; locally teams, templates, hot fixes and
   // imports have openers of their own that the limit does not hold back.
   if (IsRemote()) {
      return true;
   }
   const FileKind kind = FileKindOf(file);
   return kind == FileKind::Machine || kind == FileKind::Unknown;
}

bool CommandLineOpens::IsRemote()
{
   return cui::GetPrefs()->GetUIMode() == cui::Prefs::UI_MODE_REMOTE;
}

void CommandLineOpens::StartOpens()
{
   if (starting_) {
      return;
   }
   starting_ = true;
   // The slots hold this object until the last of them has answered.
   std::shared_ptr<CommandLineOpens> self = shared_from_this();
   while (next_ < files_.size()) {
      // Over a connection a file is registered before its open starts and counts: one at a time,
      // so that each meets the limit as it stands.
      if (IsRemote() && underWay_ > 0) {
         break;
      }
      const size_t index = next_;
      const std::string file = files_[index];
      if (CountsTowardLimit(file) && !app_.HasRoomToOpenVM(file)) {
         // An open under way may yet fail and give its room back.
         if (underWay_ > 0) {
            break;
         }
         ++next_;
         answered_[index] = true;
         failures_.Add(file, OpenFailure::LIMIT);
         continue;
      }
      ++next_;
      ++underWay_;
      cui::AbortSlot failed = [self, index](bool cancelled, cui::Error error) {
         self->OnAnswer(index, true, cancelled, error.what());
      };
      sigc::slot<void> opened = [self, index]() { self->OnAnswer(index, false, false, std::string()); };
      app_.OpenCommandLineFile(file, options_, applyStartOptions_, failed, opened);
   }
   starting_ = false;
   if (next_ == files_.size() && underWay_ == 0) {
      Report();
   }
}

void CommandLineOpens::OnAnswer(size_t index, bool failed, bool cancelled, const std::string &reason)
{
   // An opener that tries one kind and then another may answer twice: the first answer counts.
   if (index >= answered_.size() || answered_[index]) {
      return;
   }
   answered_[index] = true;
   --underWay_;
   if (failed && !cancelled) {
      failures_.Add(files_[index], OpenFailure::REASON, reason);
   }
   StartOpens();
}

void CommandLineOpens::Report()
{
   if (reported_ || failures_.Empty()) {
      return;
   }
   reported_ = true;
   const char *logFile = Log_GetFileName();
   std::string text = OpenFailures::Message(failures_.Items(), filesNamed_, logFile ? logFile : "");
   Warning("CommandLineOpens: %zu of %zu files were not opened\n", failures_.Items().size(), filesNamed_);
   if (wui::DlgMgr *dlgMgr = wui::GetDlgMgr()) {
      dlgMgr->NewError(text, "");
   }
}
