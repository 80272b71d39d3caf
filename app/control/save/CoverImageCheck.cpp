// The cover check through the bridge, with a message for each kind of problem.
#include "save/CoverImageCheck.h"

#include "bridge/CartovaController.h"

#include <QCoreApplication>

std::optional<CoverImageProblem> CheckCoverImage(const QString& path)
{
    QString sentence;
    switch (CartovaController::sharedInstance().CheckCoverImage(path, sentence)) {
    case TkErrorSuccess:
        return std::nullopt;
    case TkErrorInvalidArgument:
        return CoverImageProblem{QCoreApplication::translate("SaveDialog", "The cover image is not a PNG or JPEG picture."),
                                 sentence};
    case TkErrorNotSupported:
        return CoverImageProblem{
            QCoreApplication::translate("SaveDialog", "The cover image is too large to be stored in FLAC files."),
            sentence};
    default:
        return CoverImageProblem{QCoreApplication::translate("SaveDialog", "The cover image cannot be read."), sentence};
    }
}

QString CoverImageNameFilter()
{
    return QCoreApplication::translate("SaveDialog", "PNG or JPEG pictures (*.png *.jpg *.jpeg)");
}
