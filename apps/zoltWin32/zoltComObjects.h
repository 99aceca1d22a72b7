// Creation of the COM objects the program uses by name: by class id, CLSCTX_ALL; a failure is
// reported with the object's name and the caller goes on with an empty pointer.
#pragma once

#include <windows.h>
#include <comdef.h>

#include "tremapputil/TremAppUtil.h"

template <class Ptr>
bool CreateComObject(REFCLSID clsid, const char *name, Ptr &object)
{
   HRESULT hr = object.CreateInstance(clsid, nullptr, CLSCTX_ALL);
   if (FAILED(hr)) {
      ReportComCreateFailure(name, hr);
      return false;
   }
   return true;
}
