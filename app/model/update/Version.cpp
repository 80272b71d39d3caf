// Version parsing and comparison.
#include "update/Version.h"

#include <limits>
#include <tuple>

namespace {

// Reads an optionally signed decimal integer at pos after blanks, as a scanner
// does; advances pos past it. None when there is no digit or the value overflows.
std::optional<int32_t> ScanInt(const QString& text, qsizetype& pos)
{
    qsizetype i = pos;
    while (i < text.size() && text.at(i).isSpace())
        ++i;
    bool negative = false;
    if (i < text.size() && (text.at(i) == u'-' || text.at(i) == u'+')) {
        negative = text.at(i) == u'-';
        ++i;
    }
    const qsizetype firstDigit = i;
    int64_t value = 0;
    while (i < text.size() && text.at(i) >= u'0' && text.at(i) <= u'9') {
        value = value * 10 + (text.at(i).unicode() - u'0');
        if (value > int64_t(std::numeric_limits<int32_t>::max()) + 1)
            return std::nullopt;
        ++i;
    }
    if (i == firstDigit)
        return std::nullopt;
    if (negative)
        value = -value;
    if (value > std::numeric_limits<int32_t>::max())
        return std::nullopt;
    pos = i;
    return static_cast<int32_t>(value);
}

void SkipDot(const QString& text, qsizetype& pos)
{
    if (pos < text.size() && text.at(pos) == u'.')
        ++pos;
}

} // namespace

Version::Version(int32_t x_, int32_t y_, int32_t z_, QString text)
    : x(x_), y(y_), z(z_), version_string(std::move(text))
{
}

std::optional<Version> Version::initWithString(const QString& text)
{
    qsizetype pos = 0;
    const std::optional<int32_t> x = ScanInt(text, pos);
    if (!x)
        return std::nullopt;
    SkipDot(text, pos);
    const std::optional<int32_t> y = ScanInt(text, pos);
    if (!y)
        return std::nullopt;
    SkipDot(text, pos);
    const std::optional<int32_t> z = ScanInt(text, pos);
    if (!z)
        return std::nullopt;
    return Version(*x, *y, *z, text);
}

bool Version::isNewerThan(const Version& other) const
{
    return std::tie(x, y, z) > std::tie(other.x, other.y, other.z);
}
