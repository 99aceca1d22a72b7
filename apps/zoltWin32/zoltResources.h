// The program's own resources: strings, icons and the module they are loaded from.
#pragma once

#include <windows.h>

#include <string>

// The module resources come from: the one installed by SetResourceInstance, else the program's.
void SetResourceInstance(HINSTANCE instance);
HINSTANCE GetResourceInstance();

// The text of string-table entry `id` of the resource module, in UTF-8; empty when there is none.
std::string LoadResString(unsigned int id);

// A resource filter ("text|pattern|...||") in the form the file dialogs take: wide, every bar a
// zero.
std::wstring LoadDialogFilter(unsigned int id);

// The application's title: the caption of the start-up boxes and the first word printed by -T.
std::string LoadAppTitle();

// Icon `id` of `module`: in the default size when `large`, else 16 by 16. Null when missing.
HICON LoadIconImage(HINSTANCE module, unsigned int id, bool large);
// Icon 200 of "zoltRes.dll" in the default size; null when the library is missing.
HICON LoadResLibImage();
// The edition's icon in both sizes: icon 200 of "zoltRes.dll", else the program's own
// (IDI_ZOLT_ZEPHRO for the Zephro edition, IDI_ZOLT otherwise). True only when both exist; the caller destroys them.
bool LoadEditionImage(HICON &large, HICON &small);
void DestroyImages(HICON &large, HICON &small);

// Case-blind comparison of two wide texts; two null texts are equal, a null one sorts first.
int CompareTextNoCase(const wchar_t *a, const wchar_t *b);
