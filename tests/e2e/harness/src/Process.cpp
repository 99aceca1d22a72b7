#include "e2e/Process.h"

#include "e2e/Files.h"
#include "e2e/Wait.h"

#include "FailureText.h"

#include "tremorybase/Text.h"

#include <map>
#include <utility>
#include <vector>

namespace e2e {

namespace {

struct NoCaseLess {
   bool operator()(const std::wstring &a, const std::wstring &b) const
   {
      return lstrcmpiW(a.c_str(), b.c_str()) < 0;
   }
};

// Our environment with the extra (UTF-8) variables set, as the block CreateProcessW wants with
// CREATE_UNICODE_ENVIRONMENT: sorted "name=value" texts, each ending in a zero, and one more
// zero at the end.
std::vector<wchar_t> BuildEnvironment(const std::vector<std::pair<std::string, std::string>> &extra)
{
   std::map<std::wstring, std::wstring, NoCaseLess> vars;
   if (wchar_t *block = GetEnvironmentStringsW()) {
      for (const wchar_t *p = block; *p; p += lstrlenW(p) + 1) {
         std::wstring entry(p);
         // Names of the hidden per-drive entries ("=C:=C:\...") begin with '='.
         size_t eq = entry.find(L'=', 1);
         if (eq != std::wstring::npos) {
            vars[entry.substr(0, eq)] = entry.substr(eq + 1);
         }
      }
      FreeEnvironmentStringsW(block);
   }
   for (const auto &var : extra) {
      vars[WideFromUtf8(var.first)] = WideFromUtf8(var.second);
   }
   std::vector<wchar_t> block;
   for (const auto &var : vars) {
      std::wstring entry = var.first + L"=" + var.second;
      block.insert(block.end(), entry.begin(), entry.end());
      block.push_back(L'\0');
   }
   block.push_back(L'\0');
   return block;
}

} // namespace

std::string QuoteArgument(const std::string &argument)
{
   if (!argument.empty() && argument.find_first_of(" \t\n\v\"") == std::string::npos) {
      return argument;
   }
   // Backslashes are literal except before a quotation mark, where they must be doubled.
   std::string quoted = "\"";
   size_t backslashes = 0;
   for (char c : argument) {
      if (c == '\\') {
         ++backslashes;
         continue;
      }
      quoted.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
      backslashes = 0;
      quoted += c;
   }
   quoted.append(backslashes * 2, '\\');
   return quoted + "\"";
}

Process::~Process()
{
   if (IsRunning()) {
      Kill();
   }
   Release();
}

Process::Process(Process &&other) noexcept
{
   *this = std::move(other);
}

Process &Process::operator=(Process &&other) noexcept
{
   if (this != &other) {
      if (IsRunning()) {
         Kill();
      }
      Release();
      std::swap(process_, other.process_);
      std::swap(id_, other.id_);
      std::swap(exitCode_, other.exitCode_);
      std::swap(commandLine_, other.commandLine_);
      std::swap(output_, other.output_);
      std::swap(outputPath_, other.outputPath_);
   }
   return *this;
}

void Process::Release()
{
   if (process_) {
      CloseHandle(process_);
      process_ = nullptr;
   }
   if (output_) {
      CloseHandle(output_);
      output_ = nullptr;
      DeleteFileW(WideFromUtf8(outputPath_).c_str());
   }
   id_ = 0;
}

bool Process::OpenOutputFile()
{
   WCHAR path[MAX_PATH];
   std::string folder = TemporaryFolder();
   if (folder.empty() || !GetTempFileNameW(WideFromUtf8(folder).c_str(), L"e2e", 0, path)) {
      return FailWithSystemError("Process::Start: no temporary file for the output");
   }
   SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
   output_ = CreateFileW(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                         &inherit, CREATE_ALWAYS, FILE_ATTRIBUTE_TEMPORARY, nullptr);
   if (output_ == INVALID_HANDLE_VALUE) {
      output_ = nullptr;
      return FailWithSystemError("Process::Start: cannot create " + Utf8FromWide(path));
   }
   outputPath_ = Utf8FromWide(path);
   return true;
}

bool Process::Start(const std::string &program, const ProcessOptions &options)
{
   ClearFailure();
   if (IsRunning()) {
      return Fail("Process::Start: " + commandLine_ + " still runs");
   }
   Release();
   commandLine_ = "\"" + ToWindowsPath(program) + "\"";
   if (!options.arguments.empty()) {
      commandLine_ += " " + options.arguments;
   }

   STARTUPINFOW si = {};
   si.cb = sizeof si;
   if (options.captureOutput) {
      if (!OpenOutputFile()) {
         return false;
      }
      si.dwFlags = STARTF_USESTDHANDLES;
      si.hStdOutput = output_;
      si.hStdError = output_;
   }
   std::vector<wchar_t> environment = BuildEnvironment(options.environment);
   // CreateProcessW may write into the command line, so each try gets a fresh copy.
   std::wstring folder = WideFromUtf8(ToWindowsPath(options.workingDirectory));
   PROCESS_INFORMATION pi = {};
   // Under load the emulator now and then refuses a start with ERROR_INTERNAL_ERROR; a later try works.
   const int kTries = 3;
   for (int attempt = 1;; ++attempt) {
      std::wstring commandLine = WideFromUtf8(commandLine_);
      if (CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, options.captureOutput,
                         CREATE_UNICODE_ENVIRONMENT, environment.data(), folder.empty() ? nullptr : folder.c_str(),
                         &si, &pi)) {
         break;
      }
      if (GetLastError() != ERROR_INTERNAL_ERROR || attempt == kTries) {
         return FailWithSystemError("Process::Start: cannot start " + commandLine_);
      }
      Sleep(200 * attempt);
   }
   CloseHandle(pi.hThread);
   process_ = pi.hProcess;
   id_ = pi.dwProcessId;
   exitCode_ = 0;
   return true;
}

bool Process::IsRunning() const
{
   return process_ && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT;
}

bool Process::WaitForExit(DWORD timeoutMs)
{
   ClearFailure();
   if (!process_) {
      return Fail("Process::WaitForExit: nothing was started");
   }
   DWORD result = WaitForSingleObject(process_, timeoutMs);
   if (result == WAIT_TIMEOUT) {
      return Fail("Process::WaitForExit: " + commandLine_ + " still runs after " +
                  std::to_string(timeoutMs) + " ms");
   }
   DWORD code = 0;
   if (result != WAIT_OBJECT_0 || !GetExitCodeProcess(process_, &code)) {
      return FailWithSystemError("Process::WaitForExit: no exit code for " + commandLine_);
   }
   // Exit codes are DWORDs; a program's "return -1" reads back as -1.
   exitCode_ = static_cast<int>(code);
   return true;
}

bool Process::Kill()
{
   ClearFailure();
   if (!IsRunning()) {
      return true;
   }
   if (!TerminateProcess(process_, 1)) {
      return FailWithSystemError("Process::Kill: cannot end " + commandLine_);
   }
   return WaitForExit(kKillTimeoutMs);
}

std::string Process::Output() const
{
   if (outputPath_.empty()) {
      return std::string();
   }
   return ReadTextFile(outputPath_).value_or(std::string());
}

} // namespace e2e
