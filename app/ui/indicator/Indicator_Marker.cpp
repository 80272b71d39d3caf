// Marker indicator drawing and its binding to the marker manager's selection.
#include "indicator/Indicator_Marker.h"

#include "marker/MarkerManager.h"
#include "marker/MarkerView.h"

#include <QGuiApplication>
#include <QPainter>
#include <algorithm>
#include <cmath>

namespace {
constexpr double kMaxTime = 5999.9;
constexpr double kNumberCentreX = 7.5;
constexpr double kTimeX = 24.0;
constexpr unsigned kTimeColour = 0xCCCCCC;
} // namespace

QString MarkerTimeText(double seconds)
{
    const long n = static_cast<long>(std::clamp(seconds, 0.0, kMaxTime) * 10.0 + 0.5); // tenths
    return QString::asprintf("%ld%ld:%ld%ld.%ld%d", n / 6000, (n / 600) % 10, (n / 100) % 6, (n / 10) % 10, n % 10, 0);
}

Indicator_Marker::Indicator_Marker(QWidget* parent)
    : QWidget(parent), m_markerImage(LoadMarkerImage(QStringLiteral("selected"), QStringLiteral("normal")))
{
    setObjectName(QStringLiteral("indicatorMarker"));
}

void Indicator_Marker::setMarkerNumber(const QString& number)
{
    if (number == m_markerNumber)
        return;
    m_markerNumber = number;
    update();
}

void Indicator_Marker::setMarkerTime(double seconds)
{
    if (seconds == m_markerTime)
        return;
    m_markerTime = seconds;
    update();
}

void Indicator_Marker::setEnabled(bool enabled)
{
    if (enabled == m_enabled)
        return;
    m_enabled = enabled;
    update();
}

void Indicator_Marker::followMarkers(MarkerManager* markers)
{
    for (const QMetaObject::Connection& c : std::as_const(m_connections))
        disconnect(c);
    m_connections.clear();
    m_markers = markers;
    if (!markers)
        return;
    m_connections << connect(markers, &MarkerManager::selectionChanged, this, [this] { showSelected(); });
    m_connections << connect(markers, &MarkerManager::checkedChanged, this, [this] { showSelected(); });
    showSelected();
}

void Indicator_Marker::showSelected()
{
    if (!m_markers)
        return;
    const int32_t id = m_markers->SelectedMarker();
    setMarkerNumber(MarkerCaption(id));
    setMarkerTime(m_markers->GetMarkerPositionFromId(id));
    setEnabled(m_markers->IsMarkerCheckedFromId(id));
}

void Indicator_Marker::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const double h = height();
    if (!m_markerImage.isNull())
        p.drawImage(QPointF(0.0, std::round((h - m_markerImage.height()) / 2.0)), m_markerImage);

    QFont numberFont = QGuiApplication::font();
    numberFont.setPointSizeF(11.0);
    p.setFont(numberFont);
    p.setPen(Qt::black);
    const double w = QFontMetricsF(numberFont).horizontalAdvance(m_markerNumber);
    p.drawText(QRectF(kNumberCentreX - w / 2.0, 0.0, w, h), Qt::AlignCenter, m_markerNumber);

    QFont timeFont = QGuiApplication::font();
    timeFont.setPointSizeF(12.0);
    p.setFont(timeFont);
    p.setPen(QColor::fromRgb(kTimeColour));
    p.drawText(QRectF(kTimeX, 0.0, width() - kTimeX, h), Qt::AlignLeft | Qt::AlignVCenter, MarkerTimeText(m_markerTime));
}
