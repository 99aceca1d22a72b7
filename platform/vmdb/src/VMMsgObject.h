// "VMMsg": the user interface's message box, with kinds, button sets and hints the user turned off.
#pragma once

#include "ComSupport.h"
#include "VMMsgRequestFollower.h"

#include "vmdb/ClientInterfaces.h"

#include <deque>
#include <memory>
#include <string>
#include <utility>

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
   HRESULT __stdcall raw_MachineMessage(BSTR text, BSTR vmName, BSTR buttonSet, BSTR kind, long defaultAnswer,
                                        long reserved1, long reserved2, long reserved3, long *answer) override;
   HRESULT __stdcall raw_FollowRequest(BSTR elementPath) override;

   // Where a hint's "turned off" flag lives.
   static std::string HintDisabledPath(const std::string &hintKey);

   // MessageBox style bits of a kind or a button set; 0 when the name is unknown.
   static UINT IconOf(const std::string &kind);
   static UINT ButtonsOf(const std::string &buttonSet);
   // The answer index of a MessageBox result for a button set.
   static long AnswerOf(UINT buttons, int result);
   // The MB_DEFBUTTONn bit that gives answer index `answer` the focus; 0 (the first) when out of range.
   static UINT DefaultButtonOf(UINT buttons, long answer);

private:
   // Message and MachineMessage: the box (or the configured answer) and its answer.
   HRESULT Show(BSTR text, BSTR title, BSTR buttonSet, BSTR kind, BSTR hintKey, long defaultAnswer, long *answer);
   // A followed request failed: an error box titled with its machine's name, one box at a time.
   void ReportFailed(const std::string &element, const std::string &error);
   bool HintDisabled(const std::string &hintKey);
   // Writes the hint's disabled node when the box was answered with 0.
   void RememberHintOff(const std::string &hintKey, long answer);

   IVmdbContextPtr ctx_;
   HWND owner_ = nullptr;
   std::unique_ptr<VMMsgRequestFollower> follower_;
   std::deque<std::pair<std::string, std::string>> failures_;   // waiting for the box before them
   bool reporting_ = false;
};

}  // namespace vmdb
