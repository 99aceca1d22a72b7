// Starting the dialog script of the configuration key "test.dlgScript" (internal).
#pragma once

namespace cuiutil {

// Once per run, when the key is set: queues cui::RunDlgScript for the next poll step.
void ScheduleDlgScript();

}  // namespace cuiutil
