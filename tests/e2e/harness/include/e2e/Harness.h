// The end-to-end harness: starts a program, finds its windows and drives them through their
// messages, as a user or a second instance of the program would. Pure Win32; every wait is
// bounded and a failure leaves its reason in e2e::LastFailure().
//
// A test program is declared in tests/e2e/CMakeLists.txt with
//    e2e_test(zolt_handoff_tests SOURCES HandOffTest.cpp PROGRAMS zolt)
// which defines ZOLT_EXE, and typically reads:
//    e2e::TestFolder folder;
//    e2e::ProcessOptions options;
//    options.arguments = e2e::QuoteArgument(folder.WriteFile("a.vmx", "..."));
//    options.environment = {{"TREMORY_CONFIG", folder.WriteFile("config", "...")}};
//    e2e::Process zolt;
//    ASSERT_TRUE(zolt.Start(ZOLT_EXE, options)) << e2e::LastFailure();
//    HWND frame = e2e::WaitForWindow({"ZOLTFrame", "", false, zolt.Id()});
//    ASSERT_TRUE(frame) << e2e::LastFailure();
#pragma once

#include "e2e/CopyData.h"
#include "e2e/Failure.h"
#include "e2e/Files.h"
#include "e2e/Input.h"
#include "e2e/MenuReader.h"
#include "e2e/Process.h"
#include "e2e/TestFolder.h"
#include "e2e/Wait.h"
#include "e2e/WindowFinder.h"
#include "e2e/WindowText.h"
