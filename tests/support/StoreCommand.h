// A command on a store's queue, sent step by step as the program sends it.
#pragma once

#include "vmdb/Store.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace testsupport {

// Appends a command `op` with `inputs` to `queue` (relative to where `c` stands), waits for its
// answer and removes it; the status, and the error text in `errMsg` when one is given.
inline std::string SendStoreCommand(vmdbstore::Context &c, const std::string &queue, const std::string &op,
                                    const std::vector<std::pair<std::string, std::string>> &inputs,
                                    std::string *errMsg)
{
   c.ChangePath(c.AppendElement(queue));
   c.OpenBatch();
   c.Write("op", op);
   c.ChangePath("op/" + op);
   for (const auto &input : inputs) {
      c.Write("in/" + input.first, input.second);
   }
   c.CloseBatch();
   EXPECT_TRUE(c.WaitUntilChanged("../../status", "", false, 5000)) << op << " was never answered";
   std::string status = c.Read("../../status");
   if (errMsg) {
      *errMsg = c.Read("../../status/error/errMsg");
   }
   c.Remove("../..", true);
   return status;
}

}  // namespace testsupport
