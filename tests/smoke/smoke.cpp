#include <gtest/gtest.h>
#include <sigc++/sigc++.h>
#include <windows.h>
TEST(Smoke, SignalsAndWindows) {
  sigc::signal<int, int> s; s.connect([](int x){ return x*2; });
  EXPECT_EQ(s.emit(21), 42);
  HWND h = CreateWindowExA(0, "STATIC", "x", WS_OVERLAPPEDWINDOW, 0,0,10,10, nullptr, nullptr, nullptr, nullptr);
  EXPECT_NE(h, nullptr);
  DestroyWindow(h);
}
