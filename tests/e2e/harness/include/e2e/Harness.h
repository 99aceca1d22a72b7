// The end-to-end harness: starts a program, finds its windows and drives them through their
// messages, as a user or a second instance of the program would. Pure Win32; every wait is
// bounded and a failure leaves its reason in e2e::LastFailure().
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
