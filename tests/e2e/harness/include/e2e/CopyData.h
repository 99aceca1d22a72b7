// Handing data to a program's window by WM_COPYDATA, as a second instance of it would.
#pragma once

#include "e2e/Wait.h"

#include <windows.h>

#include <optional>
#include <string>

namespace e2e {

// The window's answer, or nothing when it did not answer within the bound. `bytes` may be
// any buffer (for malformed data); null sends no data whatever `size` says.
std::optional<LRESULT> SendCopyData(HWND target, ULONG_PTR dwData, const void *bytes, DWORD size,
                                    DWORD timeoutMs = kReplyTimeoutMs, HWND sender = nullptr);
// Sends the text, with its terminating zero counted in cbData unless `withTerminator` is false.
std::optional<LRESULT> SendCopyDataText(HWND target, ULONG_PTR dwData, const std::string &text,
                                        bool withTerminator = true, DWORD timeoutMs = kReplyTimeoutMs);

} // namespace e2e
