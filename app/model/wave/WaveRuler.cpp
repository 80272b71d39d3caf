// Time ruler rendering into off-screen images.
#include "wave/WaveRuler.h"

#include "wave/YUpCoordinates.h"

#include <QFontMetricsF>
#include <QGuiApplication>
#include <QPainter>

namespace {

constexpr int kZoomLabels = 1200;     // 0, 5, ..., 5995 s
constexpr double kZoomPxPerSecond = 10.0;
constexpr int kZoomLabelStep = 5;     // seconds
constexpr int kZoomTickStep = 2;      // px
constexpr int kWideLabels = 100;      // 0 ... 99 min
constexpr double kWidePxPerMinute = 30.0;
constexpr int kWideTickStep = 5;      // px

QFont LabelFont()
{
    QFont font = QGuiApplication::font();
    font.setPointSizeF(ruler::kLabelPointSize);
    return font;
}

void DrawLabel(QPainter& p, const YUp& up, const QFontMetricsF& metrics, double textHeight, double x,
               const QString& text)
{
    const double w = metrics.horizontalAdvance(text);
    const QRectF box = up.rect(x - w / 2.0, ruler::kLabelCentreY - textHeight / 2.0, w, textHeight);
    p.drawText(box, Qt::AlignCenter, text);
}

void DrawTick(QPainter& p, const YUp& up, double x, double length)
{
    p.fillRect(up.rect(x, 0.0, 1.0, length), QColor::fromRgb(ruler::kTickColour));
}

struct RulerPainter {
    explicit RulerPainter(QImage& image)
        : painter(&image), up(image.height()), font(LabelFont()), metrics(font),
          textHeight(metrics.boundingRect(QStringLiteral("1234567890:")).height())
    {
        painter.setFont(font);
        painter.setPen(QColor::fromRgb(ruler::kLabelColour));
    }
    QPainter painter;
    YUp up;
    QFont font;
    QFontMetricsF metrics;
    double textHeight;
};

} // namespace

void drawZoomInScaleWithImage(QImage& image, double leftMargin, double width)
{
    if (image.isNull())
        return;
    RulerPainter r(image);
    for (int label = 0; label < kZoomLabels; ++label) {
        const int t = label * kZoomLabelStep;
        DrawLabel(r.painter, r.up, r.metrics, r.textHeight, leftMargin + kZoomPxPerSecond * t,
                  QString::asprintf("%02d:%02d", t / 60, t % 60));
    }
    for (int i = 0; i <= width; i += kZoomTickStep) {
        const double length = i % 50 == 0 ? 4.0 : i % 10 == 0 ? 2.0 : 1.0;
        DrawTick(r.painter, r.up, leftMargin + i, length);
    }
}

void drawZoomOutScaleWithImage(QImage& image, double leftMargin, double width)
{
    if (image.isNull())
        return;
    RulerPainter r(image);
    for (int m = 0; m < kWideLabels; ++m)
        DrawLabel(r.painter, r.up, r.metrics, r.textHeight, leftMargin + kWidePxPerMinute * m,
                  QString::asprintf("%02d", m));
    for (int i = 0; i <= width; i += kWideTickStep)
        DrawTick(r.painter, r.up, leftMargin + i, i % 30 == 0 ? 4.0 : 2.0);
}
