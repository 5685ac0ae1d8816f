// Formatted printing of the platform runtime into a fixed buffer.
//
//     char key[256];
//     PR_snprintf(key, sizeof key, "%s/%s", root, cid.c_str());
#pragma once

#include <cstdint>

// Formats like std::snprintf but always terminates the buffer and answers the
// number of characters actually stored (without the terminator), so a result
// truncated to the buffer never reports a length beyond it. Answers
// UINT32_MAX when nothing could be written (empty buffer, bad format).
uint32_t PR_snprintf(char* buffer, uint32_t size, const char* format, ...)
    __attribute__((format(printf, 3, 4)));
