// The clone wizard's path arithmetic: where a clone goes, what it is called, how much room its
// files need. Pure text work, apart from the two questions to the file system at the end.
#pragma once

#include <functional>
#include <string>

namespace clonewz {

// The separator of a host's paths: "/" on a Linux host (cui::Host::GetOSType 2), else "\".
char Separator(int osType);
// `folder` ending in exactly one separator of the host's kind, typed with or without one (and
// with "/" or "\" on Windows); empty stays empty.
std::string NormalizeFolder(const std::string &folder, int osType);
// The clone's configuration file: the folder, the name and ".vmx".
std::string ConfigPath(const std::string &folder, const std::string &name, int osType);
// The folder part of a file's path, with its separator; empty when it has none.
std::string FolderOf(const std::string &path);
// The folder that holds `folder` (given with or without its separator), with its separator;
// empty for a root or a bare name.
std::string ParentFolder(const std::string &folder);
// Where clones are proposed: `preferred` (the user's machine folder) when it is set, else the
// folder that holds the source machine's folder.
std::string DefaultFolder(const std::string &preferred, const std::string &sourceCfgPath);
// `name` fit for a file name: characters no file name may hold become "_", blanks at both ends go.
std::string FileNameOf(const std::string &name);
// The characters to keep free after the folder for the clone's files: the longer of its
// configuration file's name (name + ".vmx" and a separator) and the source's longest disk name,
// plus the wizard's extra reserve and room for the files a machine makes later.
int PathReserve(const std::string &name, int longestDiskName, int extraReserve);
// `base`, or the first of "base 2", "base 3", ... that `taken` does not know.
std::string UniqueName(const std::string &base, const std::function<bool(const std::string &)> &taken);

// What is at `path`: 0 nothing, 1 a folder, 2 a file. With a `pattern` ("*.vmx"), whether the
// folder `path` holds a file that matches it: 1, else 0.
int PathExists(const std::string &path, const std::string &pattern = std::string());
// The user's folder for machines (the configuration key "ui.defaultVMFolder"); empty when none.
std::string PreferredFolder();

}  // namespace clonewz
