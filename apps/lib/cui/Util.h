// Small services of the model library.
#pragma once

#include <windows.h>

namespace wui {
namespace util {

// The configuration key "ui.zephro.extension" (a boolean, false by default) turns the managed
// template ("Zephro") extension on.
bool HasZephroExtension();

}  // namespace util

// There is no tray process beside this library: logs what it was asked.
void LaunchOrKillVMTrayProcess(bool launch);

// Call inside a catch block: logs the exception being handled (a std::exception's what, a COM
// error's text, or that it is of an unknown kind). Does nothing outside a catch block.
void GenericExceptionHandler();

}  // namespace wui

namespace kestrum {

// The automation library's handle, stored for the run; 1000 (none) until set.
void SetKestrumSDK(int handle);
int GetKestrumSDK();

}  // namespace kestrum
