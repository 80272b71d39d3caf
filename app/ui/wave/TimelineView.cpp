// Cursor head drawing from the compiled-in artwork, and the artwork loader other views share.
#include "wave/TimelineView.h"

#include <QFile>
#include <QPainter>
#include <QSvgRenderer>

QImage LoadArtworkImage(const QString& name)
{
    const QString path = QStringLiteral(":/artwork/%1.svg").arg(name);
    if (!QFile::exists(path)) // not an error: some looks have no artwork
        return QImage();
    QSvgRenderer svg(path);
    if (!svg.isValid())
        return QImage();
    QImage image(svg.defaultSize(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    svg.render(&p);
    return image;
}

TimelineView::TimelineView(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_TransparentForMouseEvents); // clicks reach the waveform under it
}

void TimelineView::setIsEditMode(bool editMode)
{
    m_isEditMode = editMode;
    update();
}

const QImage& TimelineView::image() const
{
    // Loaded on first use.
    QImage& image = m_isEditMode ? m_timeline_edit : m_timeline_rec;
    if (image.isNull())
        image = LoadArtworkImage(m_isEditMode ? QStringLiteral("timeline_head_editmode")
                                              : QStringLiteral("timeline_head_recmode"));
    return image;
}

QSize TimelineView::imageSize() const
{
    return image().size();
}

void TimelineView::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.drawImage(QPointF(0.0, 0.0), image());
}
