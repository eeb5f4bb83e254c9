// Printf-format checking for the diagnostics functions. The MinGW build uses the C99 printf of
// its own runtime (__USE_MINGW_ANSI_STDIO), so the GNU archetype is the right one there too.
#pragma once

#if defined(__clang__)
#define M_PRINTF_FORMAT(fmt, args) __attribute__((format(printf, fmt, args)))
#elif defined(__GNUC__)
#define M_PRINTF_FORMAT(fmt, args) __attribute__((format(gnu_printf, fmt, args)))
#else
#define M_PRINTF_FORMAT(fmt, args)
#endif
