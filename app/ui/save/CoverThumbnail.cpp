// Loading and scaling the cover's thumbnail.
#include "save/CoverThumbnail.h"

#include <QImageReader>
#include <QPixmap>

CoverThumbnail::CoverThumbnail(QWidget* parent) : QLabel(parent)
{
    setObjectName(QStringLiteral("cover"));
    setFixedSize(kSide, kSide);
    setAlignment(Qt::AlignCenter);
    setWordWrap(true);
    setImagePath(QString());
}

void CoverThumbnail::setImagePath(const QString& path)
{
    QImage image;
    if (!path.isEmpty()) {
        QImageReader reader(path);
        reader.setAutoTransform(true); // as players show a JPEG with an orientation
        image = reader.read();
    }
    m_showsImage = !image.isNull();
    if (!m_showsImage) {
        setPixmap(QPixmap());
        setText(path.isEmpty() ? tr("No Cover") : tr("Cover"));
        setToolTip(path);
        return;
    }
    // Inside the frame, scaled for the screen's pixel ratio so that it stays sharp.
    const qreal ratio = devicePixelRatioF();
    const int inner = kSide - 6; // inside the border
    QPixmap pixmap = QPixmap::fromImage(image.scaled(QSize(inner, inner) * ratio, Qt::KeepAspectRatio,
                                                     Qt::SmoothTransformation));
    pixmap.setDevicePixelRatio(ratio);
    setPixmap(pixmap);
    setToolTip(path);
}
