// Pure helpers of the machine commands.
#pragma once

#include <string>

// The command line of a helper program: the executable and the configuration file, each in
// quotes, so a folder with spaces cannot make the system run another program.
std::wstring HelperCommandLine(const std::wstring &executable, const std::wstring &cfgPath);

// The helper program beside the program's own file `modulePath`: the same folder, `name` and
// the extension `extension`.
std::wstring HelperExecutable(const std::wstring &modulePath, const std::wstring &name, const std::wstring &extension);

// The number of clones a fork makes: the configuration's "vmfork.numClones", at least 1.
int ForkCloneCount(long configured);
