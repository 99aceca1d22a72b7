// Setting the reason behind e2e::LastFailure (internal to the harness).
#pragma once

#include <windows.h>

#include <string>

namespace e2e {

void ClearFailure();
// Records the reason and returns false, so a caller can `return Fail("...")`.
bool Fail(const std::string &reason);
// The reason followed by GetLastError's code and text.
bool FailWithSystemError(const std::string &reason, DWORD error = GetLastError());
std::string DescribeWindow(HWND window);

} // namespace e2e
