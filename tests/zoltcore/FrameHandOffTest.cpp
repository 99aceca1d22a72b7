// What the frame accepts from a second instance: only text that ends within the data sent.
#include "zoltFrame.h"

#include <gtest/gtest.h>

#include <string>

namespace {

COPYDATASTRUCT CopyData(ULONG_PTR kind, const void *bytes, DWORD size)
{
   COPYDATASTRUCT data;
   data.dwData = kind;
   data.cbData = size;
   data.lpData = const_cast<void *>(bytes);
   return data;
}

TEST(FrameHandOff, TextMustEndWithinTheBytesSent)
{
   std::string text;
   const char whole[] = "-t a.vmx";
   COPYDATASTRUCT data = CopyData(1, whole, sizeof whole);
   ASSERT_TRUE(ReadCopyDataText(&data, text));
   EXPECT_EQ(text, "-t a.vmx");

   const char early[] = {'-', 't', '\0', 'x', 'y'};
   data = CopyData(1, early, sizeof early);
   ASSERT_TRUE(ReadCopyDataText(&data, text));
   EXPECT_EQ(text, "-t") << "the text ends at its first zero";

   data = CopyData(1, whole, sizeof whole - 1);
   EXPECT_FALSE(ReadCopyDataText(&data, text)) << "no terminator within cbData";
   data = CopyData(1, whole, 0);
   EXPECT_FALSE(ReadCopyDataText(&data, text));
   data = CopyData(1, nullptr, 16);
   EXPECT_FALSE(ReadCopyDataText(&data, text));
   EXPECT_FALSE(ReadCopyDataText(nullptr, text));
}

TEST(FrameHandOff, HandOffRefusedWhenDataHasNoTerminator)
{
   CZOLTFrame frame;
   ASSERT_TRUE(frame.CreateFrame("hand-off test"));
   char data[4] = {'a', '.', 'v', 'm'};   // a sender that counted no terminator
   COPYDATASTRUCT unterminated = CopyData(0, data, sizeof data);
   EXPECT_EQ(SendMessageA(frame.m_hWnd, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&unterminated)), 0);
   unterminated.dwData = 1;
   EXPECT_EQ(SendMessageA(frame.m_hWnd, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&unterminated)), 0);
   EXPECT_EQ(SendMessageA(frame.m_hWnd, WM_COPYDATA, 0, 0), 0) << "no data at all";
   EXPECT_TRUE(IsWindow(frame.m_hWnd)) << "the frame survives malformed data";
   frame.DestroyWindow();
}

TEST(FrameHandOff, AnswersNothingButQueryAndHandOver)
{
   // Without an application nothing is taken, whatever is asked.
   EXPECT_EQ(AnswerHandOff(0, "-t a.vmx"), 0);
   EXPECT_EQ(AnswerHandOff(1, "-t a.vmx"), 0);
   EXPECT_EQ(AnswerHandOff(7, "-t a.vmx"), 0);
}

TEST(FrameWindow, PollStepsRunOnlyWhileDisabled)
{
   CZOLTFrame frame;
   ASSERT_TRUE(frame.CreateFrame("poll test"));
   // The system adds clip-siblings to every overlapped window.
   EXPECT_EQ(GetWindowLongA(frame.m_hWnd, GWL_STYLE) & ~(WS_VISIBLE | WS_DISABLED | WS_CLIPSIBLINGS),
             static_cast<LONG>(CZOLTFrame::kStyle));
   char className[32] = "";
   GetClassNameA(frame.m_hWnd, className, sizeof className);
   EXPECT_STREQ(className, "ZOLTFrame");

   EnableWindow(frame.m_hWnd, FALSE);
   bool posted = false;
   DWORD start = GetTickCount();
   MSG msg;
   while (!posted && GetTickCount() - start < 3000) {
      if (PeekMessageA(&msg, frame.m_hWnd, 0, 0, PM_REMOVE)) {
         posted = posted || msg.message == CZOLTFrame::WM_POLL_STEP;
         DispatchMessageA(&msg);
      } else {
         Sleep(10);
      }
   }
   EXPECT_TRUE(posted) << "a disabled frame posts itself poll steps";

   EnableWindow(frame.m_hWnd, TRUE);
   while (PeekMessageA(&msg, frame.m_hWnd, 0, 0, PM_REMOVE)) {
      DispatchMessageA(&msg);
   }
   posted = false;
   start = GetTickCount();
   while (GetTickCount() - start < 700) {
      if (PeekMessageA(&msg, frame.m_hWnd, 0, 0, PM_REMOVE)) {
         posted = posted || msg.message == CZOLTFrame::WM_POLL_STEP;
         DispatchMessageA(&msg);
      } else {
         Sleep(10);
      }
   }
   EXPECT_FALSE(posted) << "an enabled frame leaves the poll steps to the main loop";
   frame.DestroyWindow();
}

}  // namespace
