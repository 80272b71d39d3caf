// A program version x.y.z parsed from its text, and the newer-than comparison of
// the update check.
#pragma once

#include <QString>
#include <cstdint>
#include <optional>

class Version {
public:
    Version() = default;
    Version(int32_t x, int32_t y, int32_t z, QString text = QString());

    // Reads an integer, skips one "." if present, reads an integer, skips one "."
    // if present, reads an integer; text after the third integer is ignored.
    // None when any of the three integers is missing or out of range.
    static std::optional<Version> initWithString(const QString& text);

    // True when (x, y, z) is greater than the other's in lexicographic order.
    bool isNewerThan(const Version& other) const;

    int32_t x = 0;
    int32_t y = 0;
    int32_t z = 0;
    QString version_string;
};
