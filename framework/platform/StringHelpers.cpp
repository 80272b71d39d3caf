// Time and string helpers with Windows names.
#include "platform/StringHelpers.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <cwchar>

namespace {
constexpr int kInvalidArgument = 22; // EINVAL
constexpr int kRangeError = 34;      // ERANGE
} // namespace

int localtime_s(struct tm* out, const time_t* time)
{
    if (out == nullptr || time == nullptr) {
        return kInvalidArgument;
    }
    struct tm result {};
    localtime_r(time, &result);
    *out = result;
    return 0;
}

int lstrlen(const char* text)
{
    return text == nullptr ? 0 : static_cast<int>(std::strlen(text));
}

int wcstombs_s(size_t* converted, char* dest, size_t destSize, const wchar_t* source)
{
    if (converted != nullptr) {
        *converted = 0;
    }
    if (dest == nullptr || destSize == 0 || source == nullptr) {
        return kInvalidArgument;
    }
    // Converts at most destSize - 1 bytes (wcstombs never splits a
    // character) and always terminates the result.
    const size_t written = std::wcstombs(dest, source, destSize - 1);
    if (written == static_cast<size_t>(-1)) {
        dest[0] = '\0';
        return EILSEQ;
    }
    dest[written] = '\0';
    if (converted != nullptr) {
        *converted = written + 1;
    }
    if (written == destSize - 1 && source[0] != L'\0') {
        // Exactly full: check whether the whole source fit.
        const size_t needed = std::wcstombs(nullptr, source, 0);
        if (needed != static_cast<size_t>(-1) && needed > written) {
            return kRangeError;
        }
    }
    return 0;
}
