#pragma once

// <windows.h> as every Windows file of the program includes it: without the
// min and max macros, which would clash with the standard library's, and
// without the parts of the API nobody here uses.

#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
