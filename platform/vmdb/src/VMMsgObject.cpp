#include "VMMsgObject.h"

#include "VMMsgObjectHintBox.h"

#include "tremorybase/Config.h"
#include "tremorybase/Log.h"

namespace vmdb {

HRESULT VMMsgObject::Create(REFIID iid, void **ppv)
{
   return Hand(new VMMsgObject, iid, ppv);
}

HRESULT VMMsgObject::raw_Init(long channel)
{
   if (channel != -1) {
      return Fail(E_INVALIDARG, __uuidof(IVMMsg), "VMMsg::Init: only the channel -1 (this process) exists");
   }
   return S_OK;
}

HRESULT VMMsgObject::raw_SetContext(IVmdbContext *ctx)
{
   ctx_ = ctx;
   return S_OK;
}

HRESULT VMMsgObject::raw_SetOwner(HWND owner)
{
   owner_ = owner;
   return S_OK;
}

HRESULT VMMsgObject::raw_GetOwner(HWND *owner)
{
   if (!owner) {
      return E_POINTER;
   }
   *owner = owner_;
   return S_OK;
}

std::string VMMsgObject::HintDisabledPath(const std::string &hintKey)
{
   return "/user/prefState/req/#ZOLT/val/hints/" + hintKey + "/disabled";
}

UINT VMMsgObject::IconOf(const std::string &kind)
{
   if (kind == "error") {
      return MB_ICONERROR;
   }
   if (kind == "warning") {
      return MB_ICONWARNING;
   }
   if (kind == "info" || kind == "hint") {
      return MB_ICONINFORMATION;
   }
   if (kind == "hintQuestion") {
      return MB_ICONQUESTION;
   }
   return 0;
}

UINT VMMsgObject::ButtonsOf(const std::string &buttonSet)
{
   if (buttonSet == "ok") {
      return MB_OK;
   }
   if (buttonSet == "yesNo") {
      return MB_YESNO;
   }
   if (buttonSet == "okCancel") {
      return MB_OKCANCEL;
   }
   return static_cast<UINT>(-1);
}

long VMMsgObject::AnswerOf(UINT buttons, int result)
{
   switch (buttons) {
   case MB_YESNO:
      return result == IDYES ? 0 : 1;
   case MB_OKCANCEL:
      return result == IDOK ? 0 : 1;
   default:
      return 0;
   }
}

bool VMMsgObject::HintDisabled(const std::string &hintKey)
{
   if (hintKey.empty() || !ctx_) {
      return false;
   }
   try {
      return ctx_->TestNode(HintDisabledPath(hintKey).c_str()) != VARIANT_FALSE;
   } catch (const _com_error &e) {
      // A key the database cannot take as a path: the hint is shown.
      Warning("VMMsg: cannot read the hint \"%s\": 0x%08lx\n", hintKey.c_str(), static_cast<unsigned long>(e.Error()));
      return false;
   }
}

void VMMsgObject::RememberHintOff(const std::string &hintKey, long answer)
{
   // A turned-off hint answers 0 from then on: any other answer must be asked again next time.
   if (answer != 0 || !ctx_) {
      return;
   }
   try {
      ctx_->WriteValue(HintDisabledPath(hintKey).c_str(), _variant_t(true));
      Log("VMMsg: the hint \"%s\" is turned off\n", hintKey.c_str());
   } catch (const _com_error &e) {
      Warning("VMMsg: cannot turn the hint \"%s\" off: 0x%08lx\n", hintKey.c_str(), static_cast<unsigned long>(e.Error()));
   }
}

HRESULT VMMsgObject::raw_Message(BSTR text, BSTR title, BSTR buttonSet, BSTR kind, BSTR hintKey, long *answer)
{
   if (!answer) {
      return E_POINTER;
   }
   *answer = 0;
   VMDB_COM_TRY
   std::string kindText = Utf8FromBstr(kind);
   std::string setText = Utf8FromBstr(buttonSet);
   UINT icon = IconOf(kindText);
   UINT buttons = ButtonsOf(setText);
   if (icon == 0) {
      return Fail(E_INVALIDARG, __uuidof(IVMMsg), "VMMsg::Message: unknown kind \"" + kindText + "\"");
   }
   if (buttons == static_cast<UINT>(-1)) {
      return Fail(E_INVALIDARG, __uuidof(IVMMsg), "VMMsg::Message: unknown button set \"" + setText + "\"");
   }
   std::string hintText = Utf8FromBstr(hintKey);
   if (HintDisabled(hintText)) {
      return S_OK;
   }
   // Only a hint with a key can be remembered as turned off.
   bool offersSuppress = (kindText == "hint" || kindText == "hintQuestion") && !hintText.empty();
   std::string titleText = Utf8FromBstr(title);
   std::string bodyText = Utf8FromBstr(text);
   Log("VMMsg: %s: %s: %s\n", kindText.c_str(), titleText.c_str(), bodyText.c_str());

   std::string canned = Config_GetString("test.vmmsg.answer", "");
   if (!canned.empty()) {
      *answer = Config_GetLong("test.vmmsg.answer", 0);
      if (offersSuppress && Config_GetBool("test.vmmsg.suppress", false)) {
         RememberHintOff(hintText, *answer);
      }
      return S_OK;
   }
   HWND owner = owner_ && IsWindow(owner_) ? owner_ : nullptr;
   if (offersSuppress) {
      VMMsgObjectHintBox box(text ? text : L"", title ? title : L"", buttons, icon);
      int pressed = box.Run(owner);
      if (pressed == 0) {
         return Fail(HRESULT_FROM_WIN32(GetLastError()), __uuidof(IVMMsg), "VMMsg::Message: the box could not be shown");
      }
      *answer = AnswerOf(buttons, pressed);
      if (box.IsChecked()) {
         RememberHintOff(hintText, *answer);
      }
      return S_OK;
   }
   int result = MessageBoxW(owner, text ? text : L"", title ? title : L"", buttons | icon);
   if (result == 0) {
      return Fail(HRESULT_FROM_WIN32(GetLastError()), __uuidof(IVMMsg), "VMMsg::Message: the box could not be shown");
   }
   *answer = AnswerOf(buttons, result);
   return S_OK;
   VMDB_COM_CATCH(IVMMsg)
}

}  // namespace vmdb
