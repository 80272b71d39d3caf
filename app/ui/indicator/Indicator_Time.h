// Time display built from digit images: the current time as MM:SS.t0 in large and medium
// digits and, in edit mode, "/" and the total time in small digits. Follows the
// mode-time manager's currentTime and totalTime.
#pragma once

#include "controls/Artwork.h"

#include <QHash>
#include <QWidget>

class Indicator_Time : public QWidget {
    Q_OBJECT
public:
    explicit Indicator_Time(QWidget* parent = nullptr);
    void setCurrentTime(double seconds);
    void setTotalTime(double seconds);
    void setHideTotalTime(bool hide);
    double currentTime() const { return m_currentTime; }
    double totalTime() const { return m_totalTime; }
    bool hideTotalTime() const { return m_hideTotalTime; }
    // What the display reads, e.g. "12:34.40 / 45:00.00".
    QString text() const;
    void relayout() { updateGeometry(); }
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

    static QString FormatTime(double seconds);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    const Artwork& image(const QString& name) const;

    QHash<QString, Artwork> m_image; // the digit table: 3 sizes of digits and signs
    double m_currentTime = 0.0;
    double m_totalTime = 0.0;
    bool m_hideTotalTime = false;
};
