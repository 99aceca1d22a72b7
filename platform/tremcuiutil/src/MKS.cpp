#include "cui/MKS.h"

#include "cui/LocalizedString.h"
#include "cui/VM.h"
#include "tremorybase/Log.h"
#include "tremorybase/Poll.h"

#include <cctype>
#include <memory>

namespace cui {

namespace {

const char kNotRunning[] = "@&!*@*@(msg.mks.fitGuest.notRunning)The guest is not running.";

// One number of a hooked-key text: decimal or "0x" hexadecimal digits, 0 to 0xFFFF.
bool ParseKeyNumber(const std::string &text, int &value)
{
   size_t start = 0;
   int base = 10;
   if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
      start = 2;
      base = 16;
   }
   if (start >= text.size() || text.size() - start > 6) {
      return false;
   }
   long number = 0;
   for (size_t i = start; i < text.size(); ++i) {
      unsigned char c = static_cast<unsigned char>(text[i]);
      int digit = std::isdigit(c) ? c - '0' : base == 16 && std::isxdigit(c) ? std::tolower(c) - 'a' + 10 : -1;
      if (digit < 0) {
         return false;
      }
      number = number * base + digit;
   }
   if (number > 0xFFFF) {
      return false;
   }
   value = static_cast<int>(number);
   return true;
}

}  // namespace

bool ParseHookedKey(const std::string &text, int &key)
{
   size_t comma = text.find(',');
   if (comma == std::string::npos || text.find(',', comma + 1) != std::string::npos) {
      return false;
   }
   int first = 0;
   int second = 0;
   if (!ParseKeyNumber(text.substr(0, comma), first) || !ParseKeyNumber(text.substr(comma + 1), second)) {
      return false;
   }
   key = first;
   return true;
}

MKS::MKS(const vmdb::Ctx &ctx, const std::string &vmPath) : ctx_(ctx.NewCtx()), mksPath_(vmPath + "mks/")
{
   watch_ = ctx_.Watch(mksPath_ + "hookedKeyEvent", vmdb::Ctx::kWatchNode,
                       [this](const std::string &) { OnHookedKeyEvent(); });
}

MKS::~MKS()
{
   watch_.disconnect();
   if (fitTimer_) {
      Poll_RemoveTimer(fitTimer_);
   }
}

bool MKS::GetGuestResolution(int &width, int &height) const
{
   long w = ctx_.GetInt(mksPath_ + "guestWidth", 0);
   long h = ctx_.GetInt(mksPath_ + "guestHeight", 0);
   if (w < 1 || h < 1) {
      return false;
   }
   width = static_cast<int>(w);
   height = static_cast<int>(h);
   return true;
}

void MKS::SetHookedKeys(const std::string &keys)
{
   if (ctx_.Get(mksPath_ + "hookedKeys") != keys) {
      ctx_.Set(mksPath_ + "hookedKeys", keys);
   }
}

std::string MKS::GetHookedKeys() const
{
   return ctx_.Get(mksPath_ + "hookedKeys");
}

void MKS::SetGrabState(int state, const AbortSlot &abort, const DoneSlot &done)
{
   std::string grab = mksPath_ + "grabState/";
   try {
      std::string request = ctx_.Append(grab + "req/#");
      ctx_.Set(request + "val", state == GRAB_UNGRABBED ? "ungrabbedHard" : state == GRAB_SOFT ? "ungrabbedSoft" : "grabbed");
      ctx_.Set(grab + "new", request);
   } catch (const Error &error) {
      CallSlot(abort, false, error);
      return;
   }
   CallSlot(done);
}

void MKS::FitGuest(int width, int height, const DoneSlot &done, const sigc::slot<void, Error> &error)
{
   int current = 0;
   int ignored = 0;
   if (!GetGuestResolution(current, ignored)) {
      CallSlot(error, Error(GetLocalString(kNotRunning)));
      return;
   }
   if (width < kMinWidth || height < kMinHeight || width > kMaxSize || height > kMaxSize) {
      CallSlot(error, Error(Format("@&!*@*@(msg.mks.fitGuest.badSize)The guest cannot show a screen of %d x %d.",
                                   width, height)));
      return;
   }
   if (fitTimer_) {
      Poll_RemoveTimer(fitTimer_);
   }
   // The guest changes its mode a moment later, as a guest's display driver does.
   fitTimer_ = Poll_AddTimer(kFitMs, false, [this, width, height, done, error]() {
      fitTimer_ = 0;
      int w = 0;
      int h = 0;
      if (!GetGuestResolution(w, h)) {
         CallSlot(error, Error(GetLocalString(kNotRunning)));
         return;
      }
      {
         vmdb::Batch batch(ctx_);
         ctx_.Set(mksPath_ + "guestWidth", vmdb::Value(width));
         ctx_.Set(mksPath_ + "guestHeight", vmdb::Value(height));
         ctx_.Set(mksPath_ + "virtualScreen/width", vmdb::Value(width));
         ctx_.Set(mksPath_ + "virtualScreen/height", vmdb::Value(height));
      }
      Log("MKS: %s: the guest's screen is %d x %d\n", mksPath_.c_str(), width, height);
      CallSlot(done);
   });
}

void MKS::OnHookedKeyEvent()
{
   std::string text = ctx_.Get(mksPath_ + "hookedKeyEvent");
   if (!text.empty()) {
      hookedKey.emit(text);
   }
}

MKS *VM::GetMKS() const
{
   if (!registered_) {
      return nullptr;
   }
   if (!mks_) {
      mks_ = std::make_shared<MKS>(ctx_, vmPath_);
   }
   return mks_.get();
}

void VM::FitGuest(int width, int height, const DoneSlot &done, const sigc::slot<void, Error> &error)
{
   MKS *mks = GetMKS();
   if (!mks || powerState_ != POWERED_ON) {
      CallSlot(error, Error(GetLocalString(kNotRunning)));
      return;
   }
   mks->FitGuest(width, height, done, error);
}

}  // namespace cui
