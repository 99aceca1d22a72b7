#include "cui/NewWizard.h"

#include <cctype>

#include "cui/Host.h"
#include "cui/LocalizedString.h"
#include "cui/WizardUtil.h"
#include "tremorybase/File.h"

namespace cui {
namespace wizard {

namespace {

const int kLinux = 2;

bool Blank(const std::string &text)
{
   return text.find_first_not_of(" \t") == std::string::npos;
}

}  // namespace

bool IsAbsolutePath(const std::string &path, int osType)
{
   if (osType == kLinux) {
      return !path.empty() && path[0] == '/';
   }
   const bool drive = path.size() >= 3 && std::isalpha(static_cast<unsigned char>(path[0])) && path[1] == ':' &&
                      (path[2] == '\\' || path[2] == '/');
   const bool share = path.size() >= 3 && (path[0] == '\\' || path[0] == '/') && (path[1] == '\\' || path[1] == '/') &&
                      path[2] != '\\' && path[2] != '/';
   return drive || share;
}

New::New(Host *host) : host_(host) {}

New::~New() = default;

std::string New::GetName() const
{
   return name_;
}

std::string New::GetPath() const
{
   return path_;
}

void New::SetName(const std::string &name)
{
   name_ = name;
}

void New::SetName(const char *name)
{
   SetName(std::string(name ? name : ""));
}

void New::SetPath(const std::string &path)
{
   path_ = path;
}

void New::SetPath(const char *path)
{
   SetPath(std::string(path ? path : ""));
}

int New::GetMaxFilePathLength() const
{
   // The system's limit holds the terminating character too.
   return wui::util::kMaxPath - 1;
}

int New::GetLongestFilenameLength() const
{
   return static_cast<int>(GetFilenameForResultPath().size());
}

int New::GetOSType() const
{
   return host_ ? host_->GetOSType() : 0;
}

std::string New::JoinPath(const std::string &folder, const std::string &name) const
{
   const char separator = GetOSType() == kLinux ? '/' : '\\';
   if (folder.empty()) {
      return name;
   }
   const char last = folder.back();
   return (last == '\\' || last == '/') ? folder + name : folder + separator + name;
}

std::string New::GetResultPath() const
{
   return JoinPath(GetPath(), GetFilenameForResultPath());
}

bool New::IsNamePageValid() const
{
   const std::string name = GetName();
   return !Blank(name) && name.find_first_of("\\/:*?\"<>|") == std::string::npos && name != "." && name != "..";
}

std::string New::CheckPathLength(const std::string &path, int reserve) const
{
   const int length = static_cast<int>(path.size()) + reserve;
   if (length > GetMaxFilePathLength()) {
      return Format("@&!*@*@(msg.wizard.new.pathTooLong)The path \"%s\" is too long: with the files to be made in "
                    "it, it would have %d characters, and the host allows %d. Choose a shorter name or location.",
                    path.c_str(), length, GetMaxFilePathLength());
   }
   return std::string();
}

void New::OnNamePageValidate(const ValidateSlot &done)
{
   if (!IsNamePageValid()) {
      done(false, "@&!*@*@(msg.wizard.new.badName)Type a name that can be a file name: it may not be empty or "
                  "hold any of the characters \\ / : * ? \" < > |.");
      return;
   }
   const std::string path = GetPath();
   if (Blank(path) || !IsAbsolutePath(path, GetOSType())) {
      done(false, "@&!*@*@(msg.wizard.new.badPath)Type the full path of the folder the new files go in.");
      return;
   }
   const std::string result = GetResultPath();
   const std::string tooLong = CheckPathLength(JoinPath(path, std::string()), GetLongestFilenameLength());
   if (!tooLong.empty()) {
      done(false, tooLong);
      return;
   }
   if (File_Exists(result)) {
      done(false, Format("@&!*@*@(msg.wizard.new.exists)The file \"%s\" exists already. Choose another name or "
                         "location.", result.c_str()));
      return;
   }
   done(true, std::string());
}

}  // namespace wizard
}  // namespace cui
