// Scoped GDI objects: a memory DC, a window's DC, a created pen, brush, font or bitmap and a
// selection into a DC, each given back when its holder goes out of scope. Movable, not copyable;
// get() lends the handle, release() hands ownership on.
#pragma once

#include <windows.h>

#include <utility>

namespace atl {

// A memory DC made with CreateCompatibleDC, deleted with DeleteDC.
class ScopedDC {
public:
   ScopedDC() = default;
   explicit ScopedDC(HDC compatibleWith) : dc_(::CreateCompatibleDC(compatibleWith)) {}
   ScopedDC(ScopedDC &&other) noexcept : dc_(other.release()) {}
   ScopedDC &operator=(ScopedDC &&other) noexcept
   {
      if (this != &other) {
         ScopedDC old(std::move(*this));
         dc_ = other.release();
      }
      return *this;
   }
   ScopedDC(const ScopedDC &) = delete;
   ScopedDC &operator=(const ScopedDC &) = delete;
   ~ScopedDC()
   {
      if (dc_) {
         ::DeleteDC(dc_);
      }
   }

   HDC get() const { return dc_; }
   operator HDC() const { return dc_; }
   HDC release() { return std::exchange(dc_, nullptr); }

private:
   HDC dc_ = nullptr;
};

// A window's DC (the screen's for a null window) taken with GetDC, or with GetWindowDC for the
// whole window with its frame, given back with ReleaseDC.
class ScopedWindowDC {
public:
   enum Area { kClient, kWholeWindow };
   explicit ScopedWindowDC(HWND window, Area area = kClient)
      : window_(window), dc_(area == kWholeWindow ? ::GetWindowDC(window) : ::GetDC(window))
   {
   }
   ScopedWindowDC(ScopedWindowDC &&other) noexcept : window_(other.window_), dc_(std::exchange(other.dc_, nullptr))
   {
   }
   ScopedWindowDC &operator=(ScopedWindowDC &&other) noexcept
   {
      if (this != &other) {
         ScopedWindowDC old(std::move(*this));
         window_ = other.window_;
         dc_ = std::exchange(other.dc_, nullptr);
      }
      return *this;
   }
   ScopedWindowDC(const ScopedWindowDC &) = delete;
   ScopedWindowDC &operator=(const ScopedWindowDC &) = delete;
   ~ScopedWindowDC()
   {
      if (dc_) {
         ::ReleaseDC(window_, dc_);
      }
   }

   HDC get() const { return dc_; }
   operator HDC() const { return dc_; }

private:
   HWND window_ = nullptr;
   HDC dc_ = nullptr;
};

// A pen, brush, font, bitmap or region, deleted with DeleteObject. It must not be selected into
// a DC when it goes: a ScopedSelection made after it is undone before it is deleted.
template <class T>
class ScopedGdiObject {
public:
   ScopedGdiObject() = default;
   explicit ScopedGdiObject(T object) : object_(object) {}
   ScopedGdiObject(ScopedGdiObject &&other) noexcept : object_(other.release()) {}
   ScopedGdiObject &operator=(ScopedGdiObject &&other) noexcept
   {
      if (this != &other) {
         reset(other.release());
      }
      return *this;
   }
   ScopedGdiObject(const ScopedGdiObject &) = delete;
   ScopedGdiObject &operator=(const ScopedGdiObject &) = delete;
   ~ScopedGdiObject() { reset(); }

   T get() const { return object_; }
   operator T() const { return object_; }
   T release() { return std::exchange(object_, nullptr); }
   // Deletes what is held and takes `object` instead.
   void reset(T object = nullptr)
   {
      T old = std::exchange(object_, object);
      if (old && old != object) {
         ::DeleteObject(old);
      }
   }

private:
   T object_ = nullptr;
};

using ScopedPen = ScopedGdiObject<HPEN>;
using ScopedBrush = ScopedGdiObject<HBRUSH>;
using ScopedFont = ScopedGdiObject<HFONT>;
using ScopedBitmap = ScopedGdiObject<HBITMAP>;

// An object selected into a DC, the one it replaced selected back on scope exit. A null object
// selects nothing, so an optional font needs no branch at the call site.
class ScopedSelection {
public:
   ScopedSelection() = default;
   ScopedSelection(HDC dc, HGDIOBJ object) : dc_(dc), old_(object ? ::SelectObject(dc, object) : nullptr) {}
   ScopedSelection(ScopedSelection &&other) noexcept
      : dc_(std::exchange(other.dc_, nullptr)), old_(std::exchange(other.old_, nullptr))
   {
   }
   // Undoes this selection before taking over the other one.
   ScopedSelection &operator=(ScopedSelection &&other) noexcept
   {
      if (this != &other) {
         restore();
         dc_ = std::exchange(other.dc_, nullptr);
         old_ = std::exchange(other.old_, nullptr);
      }
      return *this;
   }
   ScopedSelection(const ScopedSelection &) = delete;
   ScopedSelection &operator=(const ScopedSelection &) = delete;
   ~ScopedSelection() { restore(); }

   // Selects the replaced object back now; the destructor then does nothing.
   void restore()
   {
      if (dc_ && old_) {
         ::SelectObject(dc_, old_);
      }
      dc_ = nullptr;
      old_ = nullptr;
   }

private:
   HDC dc_ = nullptr;
   HGDIOBJ old_ = nullptr;
};

}  // namespace atl
