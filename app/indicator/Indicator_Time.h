// Time display: current time and, in edit mode, the total time, as MM:SS.t0.
// Follows the mode-time manager's currentTime and totalTime.
#pragma once

#include <QWidget>

class Indicator_Time : public QWidget {
    Q_OBJECT
public:
    explicit Indicator_Time(QWidget* parent = nullptr);
    void setCurrentTime(double seconds);
    void setTotalTime(double seconds);
    void setHideTotalTime(bool hide);
    bool hideTotalTime() const { return m_hideTotalTime; }
    QString text() const;
    void relayout() { updateGeometry(); }
    QSize sizeHint() const override { return QSize(260, 36); }

    static QString FormatTime(double seconds);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    double m_currentTime = 0.0;
    double m_totalTime = 0.0;
    bool m_hideTotalTime = false;
};
