// Whether a picture can be the cover of FLAC tracks, asked of the framework when the user
// picks it and again before writing starts, so that a picture that cannot be stored is
// refused with a message and never reaches the writing.
#pragma once

#include <QString>
#include <optional>

// What the user is told about a picture that cannot be the cover: a message chosen by the
// kind of problem, and the framework's sentence naming the file under it.
struct CoverImageProblem {
    QString message;
    QString information;
};

// None when the picture at path can be used.
std::optional<CoverImageProblem> CheckCoverImage(const QString& path);

// The file-chooser filter of the pictures a cover may be.
QString CoverImageNameFilter();
