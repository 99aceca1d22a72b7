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
   // Requests followed through the old context are let go with it.
   follower_.reset();
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

UINT VMMsgObject::DefaultButtonOf(UINT buttons, long answer)
{
   long count = buttons == MB_YESNO || buttons == MB_OKCANCEL ? 2 : 1;
   return answer == 1 && count == 2 ? MB_DEFBUTTON2 : MB_DEFBUTTON1;
}

HRESULT VMMsgObject::raw_Message(BSTR text, BSTR title, BSTR buttonSet, BSTR kind, BSTR hintKey, long *answer)
{
   return Show(text, title, buttonSet, kind, hintKey, 0, answer);
}

HRESULT VMMsgObject::raw_MachineMessage(BSTR text, BSTR vmName, BSTR buttonSet, BSTR kind, long defaultAnswer,
                                        long reserved1, long reserved2, long reserved3, long *answer)
{
   if (reserved1 != 0 || reserved2 != 0 || reserved3 != 0) {
      if (answer) {
         *answer = 0;
      }
      return Fail(E_INVALIDARG, __uuidof(IVMMsg), "VMMsg::MachineMessage: the reserved arguments must be 0");
   }
   // A machine's question is never a hint the user could have turned off.
   return Show(text, vmName, buttonSet, kind, nullptr, defaultAnswer, answer);
}

HRESULT VMMsgObject::raw_FollowRequest(BSTR elementPath)
{
   if (!ctx_) {
      return Fail(E_UNEXPECTED, __uuidof(IVMMsg), "VMMsg::FollowRequest: no database context");
   }
   VMDB_COM_TRY
   if (!follower_) {
      vmdbstore::Store &store = vmdbstore::ContextFromRawHandle(ctx_->GetRawHandle())->GetStore();
      follower_.reset(new VMMsgRequestFollower(
         store, [this](const std::string &element, const std::string &error) { ReportFailed(element, error); }));
   }
   std::string element = Utf8FromBstr(elementPath);
   if (!follower_->Follow(element)) {
      return Fail(E_INVALIDARG, __uuidof(IVMMsg), "VMMsg::FollowRequest: no request at \"" + element + "\"");
   }
   return S_OK;
   VMDB_COM_CATCH(IVMMsg)
}

void VMMsgObject::ReportFailed(const std::string &element, const std::string &error)
{
   Log("VMMsg: %s failed: %s\n", element.c_str(), error.c_str());
   // The senders of settings and preference requests wait for the answer and report it themselves.
   for (const char *own : {"/settingsState/req/", "/prefState/req/"}) {
      if (element.find(own) != std::string::npos) {
         return;
      }
   }
   failures_.push_back({element, error});
   if (reporting_) {
      return;
   }
   // The box may outlive every other reference to this object.
   AddRef();
   reporting_ = true;
   while (!failures_.empty()) {
      std::pair<std::string, std::string> failure = failures_.front();
      failures_.pop_front();
      std::string title;
      if (failure.first.compare(0, 5, "/vm/#") == 0 && ctx_) {
         std::string vm = failure.first.substr(0, failure.first.find('/', 5) + 1);
         try {
            title = Utf8FromBstr(_bstr_t(ctx_->ReadValue((vm + "vmx/cfgState/val/displayName").c_str())));
         } catch (const _com_error &) {
            // No name to show: the box goes without a title.
         }
      }
      std::string text = failure.second.empty() ? failure.first : failure.second;
      _bstr_t textBstr(BstrFromUtf8(text), false);
      _bstr_t titleBstr(BstrFromUtf8(title), false);
      long answer = 0;
      HRESULT hr = Show(textBstr, titleBstr, _bstr_t(L"ok"), _bstr_t(L"error"), nullptr, 0, &answer);
      if (FAILED(hr)) {
         Warning("VMMsg: the failure of %s could not be shown: 0x%08lx\n", failure.first.c_str(),
                 static_cast<unsigned long>(hr));
      }
   }
   reporting_ = false;
   Release();
}

HRESULT VMMsgObject::Show(BSTR text, BSTR title, BSTR buttonSet, BSTR kind, BSTR hintKey, long defaultAnswer,
                          long *answer)
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
   int result = MessageBoxW(owner, text ? text : L"", title ? title : L"",
                            buttons | icon | DefaultButtonOf(buttons, defaultAnswer));
   if (result == 0) {
      return Fail(HRESULT_FROM_WIN32(GetLastError()), __uuidof(IVMMsg), "VMMsg::Message: the box could not be shown");
   }
   *answer = AnswerOf(buttons, result);
   return S_OK;
   VMDB_COM_CATCH(IVMMsg)
}

}  // namespace vmdb
