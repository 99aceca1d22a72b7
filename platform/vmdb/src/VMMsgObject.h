// "VMMsg": the user interface's message box, with kinds, button sets and hints the user turned off.
#pragma once

#include "ComSupport.h"

#include "vmdb/ClientInterfaces.h"

#include <string>

namespace vmdb {

class VMMsgObject : public ComObject<IVMMsg> {
public:
   static HRESULT Create(REFIID iid, void **ppv);

   HRESULT __stdcall raw_Init(long channel) override;
   HRESULT __stdcall raw_SetContext(IVmdbContext *ctx) override;
   HRESULT __stdcall raw_SetOwner(HWND owner) override;
   HRESULT __stdcall raw_GetOwner(HWND *owner) override;
   HRESULT __stdcall raw_Message(BSTR text, BSTR title, BSTR buttonSet, BSTR kind, BSTR hintKey,
                                 long *answer) override;

   // Where a hint's "turned off" flag lives.
   static std::string HintDisabledPath(const std::string &hintKey);

   // MessageBox style bits of a kind or a button set; 0 when the name is unknown.
   static UINT IconOf(const std::string &kind);
   static UINT ButtonsOf(const std::string &buttonSet);
   // The answer index of a MessageBox result for a button set.
   static long AnswerOf(UINT buttons, int result);

private:
   bool HintDisabled(const std::string &hintKey);
   // Writes the hint's disabled node when the box was answered with 0.
   void RememberHintOff(const std::string &hintKey, long answer);

   IVmdbContextPtr ctx_;
   HWND owner_ = nullptr;
};

}  // namespace vmdb
