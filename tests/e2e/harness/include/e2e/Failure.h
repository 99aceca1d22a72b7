// Every harness call that can fail returns false, null or an empty optional and leaves the
// reason here, so a test can say why: ASSERT_TRUE(w) << e2e::LastFailure();
#pragma once

#include <string>

namespace e2e {

// Why the calling thread's latest failed harness call failed; cleared by each call.
const std::string &LastFailure();

} // namespace e2e
