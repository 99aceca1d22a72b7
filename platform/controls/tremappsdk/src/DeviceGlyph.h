// Small drawings of device kinds, for the status bar and the hardware list.
#pragma once

#include <windows.h>

#include <string>

namespace tremappsdk {

// Draws the glyph of a device type ("disk", "cdrom", ...) in `box` (about 16 x 16); greyed when
// not `enabled`.
void DrawDeviceGlyph(HDC dc, const RECT &box, const std::wstring &type, bool enabled);

// Draws the glyph of a tab kind (home, machine, running machine, team, ...) in `box`.
void DrawTabGlyph(HDC dc, const RECT &box, long tabKind);

// The resource string that names a device type.
unsigned DeviceTypeStringId(const std::wstring &type);

}  // namespace tremappsdk
