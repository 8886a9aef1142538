/* The one compile-time check the plug-in headers share, in C and in C++, and the C types they
 * use (fixed widths, char16_t). */
#ifndef MORVELANT_SDK_STATIC_ASSERT_H
#define MORVELANT_SDK_STATIC_ASSERT_H

#include <stddef.h>
#include <stdint.h>
#ifndef __cplusplus
#include <uchar.h>
#endif

#ifdef __cplusplus
#define MORVELANT_STATIC_ASSERT(condition, text) static_assert(condition, text)
#else
#define MORVELANT_STATIC_ASSERT(condition, text) _Static_assert(condition, text)
#endif

#endif
