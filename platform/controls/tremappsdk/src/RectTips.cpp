#include "RectTips.h"

#include <commctrl.h>

#include "atl/Module.h"

namespace tremappsdk {

namespace {

TOOLINFOW Tool(HWND owner, UINT_PTR id)
{
   TOOLINFOW tool = {};
   // The oldest layout every version of the common controls takes.
   tool.cbSize = TTTOOLINFOW_V1_SIZE;
   tool.hwnd = owner;
   tool.uId = id;
   return tool;
}

}  // namespace

void RectTips::Create(HWND owner)
{
   Destroy();
   owner_ = owner;
   tips_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP,
                           CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, owner, nullptr,
                           _Module.GetModuleInstance(), nullptr);
}

void RectTips::Destroy()
{
   if (tips_ && IsWindow(tips_)) {
      DestroyWindow(tips_);
   }
   tips_ = nullptr;
}

void RectTips::Set(const std::vector<std::pair<RECT, std::wstring>> &tips)
{
   if (!tips_) {
      return;
   }
   for (int n = Count(); n > 0; n--) {
      TOOLINFOW tool = Tool(owner_, 0);
      if (!SendMessageW(tips_, TTM_ENUMTOOLSW, 0, reinterpret_cast<LPARAM>(&tool))) {
         break;
      }
      SendMessageW(tips_, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
   }
   for (const auto &tip : tips) {
      if (tip.second.empty()) {
         continue;
      }
      std::wstring text = tip.second;   // the control keeps its own copy
      TOOLINFOW tool = Tool(owner_, next_++);
      tool.uFlags = TTF_SUBCLASS;
      tool.rect = tip.first;
      tool.lpszText = &text[0];
      SendMessageW(tips_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
   }
}

int RectTips::Count() const
{
   return tips_ ? static_cast<int>(SendMessageW(tips_, TTM_GETTOOLCOUNT, 0, 0)) : 0;
}

}  // namespace tremappsdk
