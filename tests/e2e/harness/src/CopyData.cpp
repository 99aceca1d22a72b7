#include "e2e/CopyData.h"

#include "FailureText.h"

namespace e2e {

std::optional<LRESULT> SendCopyData(HWND target, ULONG_PTR dwData, const void *bytes, DWORD size,
                                    DWORD timeoutMs, HWND sender)
{
   ClearFailure();
   COPYDATASTRUCT data = {};
   data.dwData = dwData;
   data.cbData = bytes ? size : 0;
   data.lpData = const_cast<void *>(bytes);
   DWORD_PTR reply = 0;
   SetLastError(ERROR_SUCCESS);
   if (!SendMessageTimeoutA(target, WM_COPYDATA, reinterpret_cast<WPARAM>(sender),
                            reinterpret_cast<LPARAM>(&data), SMTO_NORMAL, timeoutMs, &reply)) {
      DWORD error = GetLastError();
      FailWithSystemError("SendCopyData: no answer from " + DescribeWindow(target) + " within " +
                          std::to_string(timeoutMs) + " ms", error == ERROR_SUCCESS ? ERROR_TIMEOUT : error);
      return std::nullopt;
   }
   return static_cast<LRESULT>(reply);
}

std::optional<LRESULT> SendCopyDataText(HWND target, ULONG_PTR dwData, const std::string &text,
                                        bool withTerminator, DWORD timeoutMs)
{
   DWORD size = static_cast<DWORD>(text.size() + (withTerminator ? 1 : 0));
   return SendCopyData(target, dwData, text.c_str(), size, timeoutMs);
}

} // namespace e2e
