// The ATL-style layer in one include: windows, dialogs, message maps, COM pointers and
// strings, the control host and event sinks, scoped GDI objects. Brings the layer's names into
// the global namespace, as programs written against such a layer expect.
#pragma once

#include "atl/AxHost.h"
#include "atl/ClassTable.h"
#include "atl/ComBSTR.h"
#include "atl/ComObject.h"
#include "atl/ComPtr.h"
#include "atl/ComVariant.h"
#include "atl/Dialog.h"
#include "atl/Gdi.h"
#include "atl/DispEvent.h"
#include "atl/DispEventSource.h"
#include "atl/MessageMap.h"
#include "atl/Module.h"
#include "atl/UncaughtException.h"
#include "atl/Window.h"
#include "atl/WindowImpl.h"

#ifndef ATL_NO_AUTOMATIC_NAMESPACE
using namespace atl;
#endif
