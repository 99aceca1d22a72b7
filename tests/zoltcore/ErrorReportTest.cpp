// What the error boxes say: the text as given, a resource template filled with the detail and
// the text, and COM errors with their codes.
#include "zoltApp.h"

#include "res/resource.h"

#include <gtest/gtest.h>

TEST(ErrorBox, TextTemplateAndDetail)
{
   EXPECT_EQ(ErrorBoxText("Disk full.", -1, "ignored"), "Disk full.") << "no template: the text unchanged";
   EXPECT_EQ(ErrorBoxText("a.vmx", IDS_OPEN_FILE_UNKNOWN_FORMAT, ""),
             "Cannot open the file \"a.vmx\": its format is unknown.");
   EXPECT_EQ(ErrorBoxText("a.vmx", IDS_OPEN_FILE_UNKNOWN_FORMAT, "b.vmx"),
             "Cannot open the file \"b.vmx\": its format is unknown.")
      << "a detail is the first insert";
}

TEST(ErrorBox, ComErrorsCarryTheirCode)
{
   EXPECT_EQ(ComErrorText(static_cast<HRESULT>(0x80004005), "Access failed"), "Access failed (0x80004005)");
   EXPECT_EQ(ComErrorText(static_cast<HRESULT>(0x80004005), ""), "Unknown error (0x80004005).");
   EXPECT_EQ(ComErrorText(static_cast<HRESULT>(0x8004012C), "As is"), "As is") << "this code adds nothing";
}
