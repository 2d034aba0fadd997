// The Windows interface, without its rarely used parts and without the min
// and max macros that would break std::min and std::max. Include it after
// the project's own headers, so that its other macros cannot reach their
// declarations.
#pragma once

#define WIN32_LEAN_AND_MEAN
#ifndef NOMINMAX
#define NOMINMAX  // libstdc++ may have asked for it already
#endif
#include <windows.h>
