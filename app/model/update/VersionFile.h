// The version file the update server publishes: the latest version, the address
// of its package and the release notes; and its parser.
#pragma once

#include "update/Version.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <optional>

struct VersionFile {
    Version version;
    QString detail; // release notes, each line followed by "\n"
    QUrl url;       // the package
};

// The rest of line after header when line begins with it, else none.
std::optional<QString> confirmString(const QString& line, const QString& header);

// Decodes UTF-16 text: a byte-order mark chooses the byte order, big-endian
// without one. None when the bytes are not valid UTF-16.
std::optional<QString> DecodeUtf16(const QByteArray& bytes);

// Splits text into lines at "\r\n", "\n", "\r", U+0085, U+2028 and U+2029. A line
// ending at the very end closes the last line and does not start another.
QStringList SplitLines(const QString& text);

// Parses a version file body: at least three lines, "Version: <x.y.z>", "URL: <url>",
// then the release notes. None when anything is missing or malformed, or when the
// package address is not one the program may download from (see UrlPolicy.h).
std::optional<VersionFile> ParseVersionFile(const QByteArray& body);
