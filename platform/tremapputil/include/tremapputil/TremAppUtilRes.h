// String ids of the application library, in res/tremapputil.rc. The program links that file
// into its own resources (CMake: ${TREMAPPUTIL_RESOURCES}); the ids stay clear of the
// program's own.
#pragma once

#define TREMAPPUTIL_IDS_COM_CREATE_FAILED 61000
#define TREMAPPUTIL_IDS_CAPTION 61001
