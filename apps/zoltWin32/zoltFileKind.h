// Which opener takes a file, by its extension.
#pragma once

#include <string>

enum class FileKind {
   Machine,    // ".vmx"
   Import,     // ".vmc", ".spf", ".sv2i": converted by the importer
   Team,       // ".vmt", ".vmtm"
   HotFix,     // ".vmhr", ".vmhf"
   Template,   // ".vmxa"
   Unknown,    // tried as a machine, then as a team
};

// The extension as _splitpath gives it: the last "." of the file name and what follows; empty
// when the name has none (a "." in a folder name does not count).
std::string FileExtension(const std::string &path);
// The extension compared without regard to case; the first match of the table wins.
FileKind FileKindOf(const std::string &path);
// ".vmt" or ".vmtm", without regard to case.
bool IsTeamFile(const std::string &path);
