#include "zoltResources.h"

#include "resource.h"

#include <windows.h>

std::string LoadResString(unsigned int id)
{
   // A string-table entry holds at most 4095 characters.
   char text[4096];
   int length = LoadStringA(GetModuleHandleA(nullptr), id, text, sizeof text);
   return length > 0 ? std::string(text, length) : std::string();
}

std::string LoadAppTitle()
{
   return LoadResString(IDS_APP_TITLE);
}
