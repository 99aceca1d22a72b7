// The program's own resources, read from the module that holds them.
#pragma once

#include <string>

// The text of string-table entry `id` of the program's module; empty when there is none.
std::string LoadResString(unsigned int id);

// The application's title: the caption of the start-up boxes and the first word printed by -T.
std::string LoadAppTitle();
