// A wizard that makes a new object in a file on a host: its name, the folder it goes in (the
// location), and the checks of both before the name page is left.
#pragma once

#include <string>

#include "cui/Wizard.h"

namespace cui {

class Host;

namespace wizard {

class New : public virtual Wizard {
public:
   // `host` (not owned) is where the object is made; null for the client's own machine.
   explicit New(Host *host);
   ~New() override;

   virtual std::string GetName() const;
   virtual std::string GetPath() const;
   virtual void SetName(const std::string &name);
   // The text form of an edit box; null is empty.
   virtual void SetName(const char *name);
   virtual void SetPath(const std::string &path);
   virtual void SetPath(const char *path);
   // The file name (without folder) the new object is written to.
   virtual std::string GetFilenameForResultPath() const = 0;
   // The longest path, in characters, a file of the host may have.
   virtual int GetMaxFilePathLength() const;
   // The longest file name (with its folders under the location) the object will write.
   virtual int GetLongestFilenameLength() const;
   // The name page's check: IsNamePageValid, then the location (absolute, its length with the
   // longest file name, no file there already).
   virtual void OnNamePageValidate(const ValidateSlot &done);
   // A name that can be a file name.
   virtual bool IsNamePageValid() const;
   virtual void SetupPages() = 0;

   Host *GetHost() const { return host_; }
   // The host's operating system (Host::GetOSType: 2 Linux); Windows without a host.
   int GetOSType() const;
   // The location and the file name joined with the host's separator.
   std::string GetResultPath() const;
   // `folder` and `name` joined with one separator of the host.
   std::string JoinPath(const std::string &folder, const std::string &name) const;
   // The first reason `path` cannot be written on the host (it fits when it has `reserve`
   // characters to spare); empty when it can.
   std::string CheckPathLength(const std::string &path, int reserve = 0) const;

private:
   Host *host_;
   std::string name_;
   std::string path_;
};

// An absolute path of the host (a drive's "C:\" or a share's "\\server\" on Windows, "/" on Linux).
bool IsAbsolutePath(const std::string &path, int osType);

}  // namespace wizard
}  // namespace cui
