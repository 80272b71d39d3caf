// Time and string helpers with Windows names.
#pragma once

#include <cstddef>
#include <ctime>

// Converts to local time into out. Always 0.
int localtime_s(struct tm* out, const time_t* time);

// Length of a zero-terminated string in bytes.
int lstrlen(const char* text);

// Converts a wide string with wcstombs. The out size is ignored.
int wcstombs_s(size_t* converted, char* dest, size_t destSize, const wchar_t* source);
