// Timer, drawing and level source of the level meter.
#include "indicator/Indicator_LevelMeter.h"

#include "playback/PreviewController.h"

#include <QPainter>

namespace {

constexpr double kLeftMargin = 14.0;  // room for the channel letters
constexpr double kRowHeight = 10.0;   // height of the segment artwork
constexpr double kLampWidth = 12.0;   // width of the over lamp artwork
const QColor kUnlit(0x2C, 0x31, 0x36);
const QColor kScaleText(0x8C, 0x92, 0x99);

} // namespace

Indicator_LevelMeter::Indicator_LevelMeter(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("indicatorLevelMeter"));
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    m_updateTimer.setInterval(LevelMeterState::kTimerIntervalMs);
    connect(&m_updateTimer, &QTimer::timeout, this, &Indicator_LevelMeter::onTimer);
    m_updateTimer.start();
}

Indicator_LevelMeter::~Indicator_LevelMeter()
{
    m_updateTimer.stop();
}

void Indicator_LevelMeter::setPlayController(PreviewController* controller)
{
    if (!controller) {
        m_levelSource = nullptr;
        return;
    }
    QPointer<PreviewController> guarded(controller);
    m_levelSource = [guarded](float* levels, int count) {
        if (guarded)
            guarded->GetLevel(levels, count);
    };
}

void Indicator_LevelMeter::clearImmediately()
{
    m_state.clearImmediately();
    update();
}

void Indicator_LevelMeter::setLevel(float left, float right)
{
    m_state.setLevel(left, right);
    update();
}

void Indicator_LevelMeter::onTimer()
{
    float levels[LevelMeterState::kChannels] = {-1.0f, -1.0f};
    if (m_levelSource)
        m_levelSource(levels, LevelMeterState::kChannels);
    m_state.onTimer(levels[0], levels[1]);
    update();
}

QSize Indicator_LevelMeter::sizeHint() const
{
    return QSize(static_cast<int>(kLeftMargin) + LevelMeterState::kOverX + static_cast<int>(kLampWidth) + 1,
                 LevelMeterState::kRowPitch + static_cast<int>(kRowHeight));
}

double Indicator_LevelMeter::rowTop(int channelIndex) const
{
    return height() - m_state.channel(channelIndex).bar_y - kRowHeight;
}

void Indicator_LevelMeter::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);

    QFont small = font();
    small.setPixelSize(9);
    p.setFont(small);
    const char* const letters[LevelMeterState::kChannels] = {"L", "R"};
    for (int c = 0; c < LevelMeterState::kChannels; ++c) {
        const double y = rowTop(c);
        // Unlit scale behind the lit segments.
        for (int i = 0; i < LevelMeterState::kSegmentCount; ++i)
            p.fillRect(QRectF(kLeftMargin + LevelMeterState::barX(i), y + 1, 4, kRowHeight - 2), kUnlit);
        p.setPen(QPen(kUnlit, 1));
        p.setBrush(Qt::NoBrush);
        p.drawRoundedRect(QRectF(kLeftMargin + LevelMeterState::kOverX + 0.5, y + 0.5, kLampWidth - 1, kRowHeight - 1),
                          2, 2);
        p.setPen(kScaleText);
        p.drawText(QRectF(0, y, kLeftMargin - 3, kRowHeight), Qt::AlignRight | Qt::AlignVCenter,
                   QLatin1String(letters[c]));
    }

    // dB scale between the two rows.
    const double scaleTop = rowTop(0) + kRowHeight;
    const double scaleBottom = rowTop(1);
    p.setPen(kScaleText);
    for (int db : {-50, -40, -30, -20, -10, -5, 0}) {
        const double x = kLeftMargin + LevelMeterState::barX(db - LevelMeterState::kLowestDb) + 2;
        p.drawLine(QPointF(x, scaleTop + 2), QPointF(x, scaleTop + 4));
        p.drawText(QRectF(x - 12, scaleTop + 4, 24, scaleBottom - scaleTop - 6), Qt::AlignHCenter | Qt::AlignVCenter,
                   QString::number(db));
    }

    // Lit segments, peak segment and over lamp.
    for (int c = 0; c < LevelMeterState::kChannels; ++c) {
        const double y = rowTop(c);
        for (const LevelMeterState::Mark& mark : m_state.marks(c)) {
            const double x = kLeftMargin + LevelMeterState::barX(mark.segment);
            if (mark.peakImage)
                m_peakImage.draw(p, QPointF(x - 1, y));
            else
                m_barImage.draw(p, QPointF(x, y));
        }
        if (m_state.channel(c).over)
            m_overImage.draw(p, QPointF(kLeftMargin + LevelMeterState::kOverX, y));
    }
}
