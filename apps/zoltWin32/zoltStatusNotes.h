// The notes editor of the status pages: a subclassed edit control with a framed caption band,
// which saves the text the user typed to its object (a "setCfgState" command or a request) when
// it loses the focus, when it is destroyed, when its target changes and when the page asks.
//
// The owner's invitation text is shown while there are no notes; it is never taken for notes.
#pragma once

#include "atl/Atl.h"

#include "vmdb/VmdbInterfaces.h"

#include <string>

#include <sigc++/sigc++.h>

namespace cui {
class Error;
}

class CZOLTStatusNotes : public CWindowImpl<CZOLTStatusNotes>, public sigc::trackable {
public:
   CZOLTStatusNotes() = default;
   ~CZOLTStatusNotes() override = default;

   BEGIN_MSG_MAP(CZOLTStatusNotes)
      MESSAGE_HANDLER(WM_NCCALCSIZE, OnNcCalcSize)
      MESSAGE_HANDLER(WM_NCPAINT, OnNcPaint)
      MESSAGE_HANDLER(WM_SETFOCUS, OnSetFocus)
      MESSAGE_HANDLER(WM_DESTROY, OnDestroy)
      MESSAGE_HANDLER(OCM_COMMAND, OnReflectedCommand)
      DEFAULT_REFLECTION_HANDLER()
   END_MSG_MAP()

   bool Attach(HWND window, IVmdbContext *ctx);
   // The frame and fill brushes and the caption font (the caller's); without a frame brush no
   // frame or caption is drawn.
   void SetLook(HBRUSH frame, HBRUSH fill, HFONT captionFont);

   // Saves what was typed for the old target first when the target changes.
   void SetTarget(const std::string &objectPath, const std::string &requestKey, bool asCommand,
                  const std::string &operation);
   const std::string &GetObjectPath() const { return objectPath_; }

   // The owner's invitation, shown instead of empty notes.
   void SetInvitation(const std::string &text) { invitation_ = text; }
   // Shows `notes` (the invitation for none) without marking the text changed.
   void ShowNotes(const std::string &notes);
   // The notes the editor holds: its text, or "" while it shows the invitation.
   std::string GetNotes() const;
   bool IsChanged() const { return changed_; }
   void ClearChanged() { changed_ = false; }

   // Saves the text when it changed and there is a target; the changed mark is cleared whatever
   // the outcome (a failure is logged).
   void SaveNotes();

private:
   LRESULT OnNcCalcSize(UINT, WPARAM wParam, LPARAM lParam, BOOL &bHandled);
   LRESULT OnNcPaint(UINT, WPARAM, LPARAM, BOOL &bHandled);
   LRESULT OnSetFocus(UINT, WPARAM, LPARAM, BOOL &bHandled);
   LRESULT OnDestroy(UINT, WPARAM, LPARAM, BOOL &bHandled);
   LRESULT OnReflectedCommand(UINT, WPARAM wParam, LPARAM, BOOL &bHandled);
   void SetTextQuietly(const std::string &text);
   void OnSaveFailed(bool cancelled, cui::Error error);

   IVmdbContextPtr ctx_;
   HBRUSH frameBrush_ = nullptr;
   HBRUSH fillBrush_ = nullptr;
   HFONT captionFont_ = nullptr;
   std::string invitation_;
   std::string objectPath_;
   std::string requestKey_;
   std::string operation_;
   bool asCommand_ = false;
   bool changed_ = false;
   bool settingText_ = false;
};

namespace statusnotes {

// The text to save: the editor's text, or "" when it is the invitation.
std::string NotesOf(const std::string &text, const std::string &invitation);
// Whether a save goes out: the text changed, and there is a context, an object and a key.
bool ShouldSave(bool changed, bool hasContext, const std::string &objectPath, const std::string &requestKey);

}  // namespace statusnotes
