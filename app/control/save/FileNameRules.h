// Rules for the names of track files and of the album folder: refused characters,
// byte limits, how a name gets its extension, and the generated default, numbered
// and title-based names.
#pragma once

#include <QString>

// Limits in bytes of the UTF-8 form.
inline constexpr int kMaxFullPathBytes = 1023;
inline constexpr int kMaxFileNameBytes = 254;
inline constexpr int kMaxFolderNameBytes = 254;

// True when text holds "/", ":" or a control character (below U+0020, U+007F,
// U+0080 to U+009F); such text cannot be a file or folder name.
bool containsInvalidChar(const QString& text);

// Length of the UTF-8 form of text in bytes.
int Utf8Length(const QString& text);

// The name under which a track is written: unchanged when its extension (the text
// after the last ".", compared in lower case) already is extension; a name ending in
// "." gets the extension's letters; any other name gets "." and the extension.
// The checks of the dialog test this same form, so what is checked is what is written.
QString FileNameAsWritten(const QString& name, const QString& extension);

// True when a name counts as missing: absent, empty or beginning with ".".
bool IsMissingFileName(const QString& name);

// The local time as 14 digits "yyyyMMddHHmmss", the date part of generated names.
QString currentDateString();

// "NN_date.ext": the name a checked track without a name gets, and the numbered name
// of "Update File Names" (three digits from 100 on).
QString NumberedFileName(long number, const QString& date, const QString& extension);

// The name "Use Track Titles as File Names." gives a track: a name starting with two
// digits and "_" keeps those three characters before the title.
QString TitledFileName(const QString& oldName, const QString& title, const QString& extension);
