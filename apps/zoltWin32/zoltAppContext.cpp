#include "zoltAppContext.h"

ZephroAppContext::ZephroAppContext()
{
   SetEditionTitle("Tremory Deskmoor Zephro Edition");
}

// Built at static initialisation: they only copy texts.
AppContext gAppContext;
ZephroAppContext gZephroAppContext;
