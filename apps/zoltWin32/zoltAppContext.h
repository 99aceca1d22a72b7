// The product editions the program runs as; exactly one is registered with the model library.
#pragma once

#include "cui/AppContext.h"

// The plain edition.
class AppContext : public wui::AppContext {
public:
   AppContext() = default;
};

// The edition with the managed-template ("Zephro") extension.
class ZephroAppContext : public wui::AppContext {
public:
   ZephroAppContext();
};

extern AppContext gAppContext;
extern ZephroAppContext gZephroAppContext;
