// The opens of the files one command line names: each file once, as many at a time as the limit
// of open machines leaves room for, and one message for every file that could not be opened once
// the last open has answered.
#pragma once

#include "CommandLineOptions.h"
#include "zoltOpenFailures.h"

#include "cui/Error.h"

#include <memory>
#include <string>
#include <vector>

class CZOLTApp;

// A file's path as machine files are compared: its long form, "\" separators, case folded as
// the file system folds it. Two names of one file have the same key.
std::wstring FileKey(const std::string &path);

// The files of `options` in order, each once, as first named. The files after the argument limit
// that are not among them go to `pastLimit`, each once too.
std::vector<std::string> DistinctFiles(const CommandLineOptions &options, std::vector<std::string> &pastLimit);

class CommandLineOpens : public std::enable_shared_from_this<CommandLineOpens> {
public:
   // Opens `files` (distinct) with `options`; the files in `pastLimit` are reported as not
   // opened. The object lives until the last open has answered and the report is shown.
   static void Start(CZOLTApp &app, const CommandLineOptions &options, bool applyStartOptions,
                     const std::vector<std::string> &files, const std::vector<std::string> &pastLimit);

   CommandLineOpens(CZOLTApp &app, const CommandLineOptions &options, bool applyStartOptions,
                    const std::vector<std::string> &files);

private:
   // Starts the opens that may start now; reports once nothing is left to start or to answer.
   void StartOpens();
   void OnAnswer(size_t index, bool failed, bool cancelled, const std::string &reason);
   // Whether an open of the file counts toward the limit of opened objects.
   bool CountsTowardLimit(const std::string &file) const;
   static bool IsRemote();
   void Report();

   CZOLTApp &app_;
   CommandLineOptions options_;
   bool applyStartOptions_;
   std::vector<std::string> files_;
   std::vector<bool> answered_;
   size_t next_ = 0;       // the next file to start
   size_t underWay_ = 0;   // started and not yet answered
   bool starting_ = false; // StartOpens is running: an answer given at once only counts
   bool reported_ = false;
   size_t filesNamed_;
   OpenFailures failures_;
};
