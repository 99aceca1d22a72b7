// Localized message literals. A user-visible text that is not a resource string is written as one
// literal: the marker, the message id in parentheses, then the default text (printf-style inserts
// allowed). The model library finds the id in it to look up a translation, else shows the default.
#pragma once

// ZOLT_MSG("msg.zoltApp.Exit.converterBusy", "...") -> "@&!*@*@(msg.zoltApp.Exit.converterBusy)..."
#define ZOLT_MSG(id, defaultText) "@&!*@*@(" id ")" defaultText
