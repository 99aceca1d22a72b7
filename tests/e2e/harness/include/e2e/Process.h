// A program started for one test, ended at the latest when the test's scope ends. Its command
// line, environment and folder are UTF-8 and reach it in UTF-16 (CreateProcessW), so paths and
// names in any language arrive intact.
#pragma once

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

namespace e2e {

struct ProcessOptions {
   std::string arguments;        // the command line after the quoted program path
   std::vector<std::pair<std::string, std::string>> environment; // set on top of ours
   std::string workingDirectory; // empty: the test's own
   bool captureOutput = false;   // standard output and error go to a file Output() reads
};

// One argument quoted so that the program's command-line splitting gives it back unchanged
// (spaces, quotation marks, trailing backslashes); plain words stay as they are.
std::string QuoteArgument(const std::string &argument);

class Process {
public:
   Process() = default;
   ~Process(); // kills the program when it still runs
   Process(const Process &) = delete;
   Process &operator=(const Process &) = delete;
   Process(Process &&other) noexcept;
   Process &operator=(Process &&other) noexcept;

   // Starts `program` (a Windows path, or a build path that ToWindowsPath converts).
   bool Start(const std::string &program, const ProcessOptions &options = {});
   bool IsRunning() const;
   // True once the program ended within the bound; then ExitCode() holds its code.
   bool WaitForExit(DWORD timeoutMs);
   int ExitCode() const { return exitCode_; }
   // Ends the program with code 1 and waits until it is gone.
   bool Kill();

   DWORD Id() const { return id_; }
   HANDLE Handle() const { return process_; }
   const std::string &CommandLine() const { return commandLine_; }
   // What the program wrote to standard output and error so far (with captureOutput).
   std::string Output() const;

private:
   void Release();
   bool OpenOutputFile();

   HANDLE process_ = nullptr;
   DWORD id_ = 0;
   int exitCode_ = 0;
   std::string commandLine_;
   HANDLE output_ = nullptr;
   std::string outputPath_;
};

} // namespace e2e
