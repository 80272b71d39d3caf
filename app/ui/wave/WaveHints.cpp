// Hint labels over the waveform and their layout on the viewport.
#include "wave/WaveHints.h"

#include "wave/WaveGeometry.h"
#include "wave/WaveScrollView.h"
#include "wave/WaveView.h"
#include "wave/YUpCoordinates.h"

#include <QEvent>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QLabel>

namespace {
constexpr double kRecHintPointSize = 14.0;
constexpr double kRecHintMaxWidth = 404.0;
constexpr int kBackdropPadding = 16;
} // namespace

QString BreakNearMiddle(const QString& text, const QFontMetricsF& metrics, double maxWidth)
{
    if (text.contains(QLatin1Char('\n')) || metrics.horizontalAdvance(text) <= maxWidth)
        return text;
    const qsizetype middle = text.size() / 2;
    const qsizetype after = text.indexOf(QLatin1Char(' '), middle);
    const qsizetype before = middle > 0 ? text.lastIndexOf(QLatin1Char(' '), middle - 1) : -1;
    qsizetype at = after;
    if (after < 0 || (before >= 0 && middle - before < after - middle))
        at = before;
    if (at < 0)
        return text;
    QString broken = text;
    broken[at] = QLatin1Char('\n');
    return broken;
}

WaveHints::WaveHints(WaveScrollView* scroll, WaveView* view)
    : QObject(scroll), m_viewport(scroll->viewport()), m_recReady(new QLabel(m_viewport)),
      m_recReadyBackdrop(new QWidget(m_viewport)), m_markerArea(new QLabel(m_viewport))
{
    QFont font = QGuiApplication::font();
    font.setPointSizeF(kRecHintPointSize);
    m_recReady->setObjectName(QStringLiteral("label_rec_ready"));
    m_recReady->setFont(font);
    m_recReady->setAlignment(Qt::AlignCenter);
    m_recReady->setStyleSheet(QStringLiteral("color: #E5E5E5; background: transparent;"));
    m_recReady->setText(BreakNearMiddle(tr("Clicking the “Record” button starts preparation for recording."),
                                        QFontMetricsF(font), kRecHintMaxWidth));
    m_recReady->adjustSize();
    m_recReady->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_recReadyBackdrop->setObjectName(QStringLiteral("bg_rec_ready"));
    m_recReadyBackdrop->setStyleSheet(QStringLiteral("background: rgba(0, 0, 0, 110); border-radius: 8px;"));
    m_recReadyBackdrop->setAttribute(Qt::WA_StyledBackground);
    m_recReadyBackdrop->setAttribute(Qt::WA_TransparentForMouseEvents);

    m_markerArea->setObjectName(QStringLiteral("label_marker_area"));
    m_markerArea->setStyleSheet(QStringLiteral("color: rgba(255, 255, 255, 150); background: transparent;"));
    m_markerArea->setText(tr("Clicking this area adds a marker."));
    m_markerArea->adjustSize();
    m_markerArea->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_markerArea->hide();

    m_recReadyBackdrop->raise();
    m_recReady->raise();
    m_markerArea->raise();
    m_viewport->installEventFilter(this);
    view->setHints(m_markerArea, m_recReady, nullptr, m_recReadyBackdrop);
    layout();
}

bool WaveHints::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_viewport && event->type() == QEvent::Resize)
        layout();
    return QObject::eventFilter(watched, event);
}

void WaveHints::layout()
{
    const QSize hint = m_recReady->sizeHint();
    const QRect wave = YUp(wavegeom::kDocumentHeight)
                           .rect(wavegeom::kLeftMargin, wavegeom::kWaveAreaY,
                                 m_viewport->width() - wavegeom::kLeftMargin, wavegeom::kWaveAreaHeight)
                           .toRect();
    QRect label(QPoint(0, 0), hint);
    label.moveCenter(wave.center());
    m_recReady->setGeometry(label);
    m_recReadyBackdrop->setGeometry(label.adjusted(-kBackdropPadding, -kBackdropPadding / 2, kBackdropPadding,
                                                   kBackdropPadding / 2));
    const QRect strip = YUp(wavegeom::kDocumentHeight)
                            .rect(wavegeom::kLeftMargin + 8.0, wavegeom::kMarkerAreaY,
                                  m_markerArea->sizeHint().width(), wavegeom::kMarkerAreaHeight)
                            .toRect();
    m_markerArea->setGeometry(strip);
}
