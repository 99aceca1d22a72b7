// A settings page ("tremappcfg.<Page>.9"): a property-sheet page made from its dialog template
// that shows the fields of its PageSpec, checks them on OK and, once the frame commits, writes
// the changed ones into its data object's element.
#pragma once

#include <windows.h>

#include "PageFields.h"
#include "atl/ComObject.h"
#include "tremappcfg/TremAppCfg.h"

namespace tremappcfg {

class CfgPage : public atl::ComObject<ITremappCfgPage> {
public:
   // The page of AllPages()[Index].
   template <size_t Index>
   static HRESULT Create(REFIID iid, void **ppv)
   {
      return CreateFor(AllPages()[Index], iid, ppv);
   }
   static HRESULT CreateFor(const PageSpec &spec, REFIID iid, void **ppv);

   explicit CfgPage(const PageSpec &spec) : spec_(spec) {}

   HRESULT __stdcall raw_Bind(ITremappPropObj *const *objects, long count) override;
   HRESULT __stdcall raw_CreatePage(HPROPSHEETPAGE *page) override;
   HRESULT __stdcall raw_IsAccepted() override;
   HRESULT __stdcall raw_Commit() override;

   const PageSpec &Spec() const { return spec_; }

private:
   static INT_PTR CALLBACK DialogProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam);
   void OnInitDialog(HWND wnd);
   // PSN_KILLACTIVE and PSN_APPLY: true when every value can be taken.
   bool CheckValues(HWND wnd);
   FieldValues CollectValues(HWND wnd) const;
   void ShowValue(HWND wnd, const Field &field, const std::string &value);

   const PageSpec &spec_;
   IVmdbContextPtr ctx_;
   std::string element_;
   FieldValues shown_;
   FieldValues accepted_;
   bool isAccepted_ = false;
};

}  // namespace tremappcfg
