// Marker indicator: the selected marker's head with its caption, and its time as
// mm:ss.hh. Follows a marker manager's selection.
#pragma once

#include <QImage>
#include <QMetaObject>
#include <QPointer>
#include <QWidget>

class MarkerManager;

class Indicator_Marker : public QWidget {
    Q_OBJECT
public:
    explicit Indicator_Marker(QWidget* parent = nullptr);

    const QString& markerNumber() const { return m_markerNumber; }
    void setMarkerNumber(const QString& number);
    double markerTime() const { return m_markerTime; }
    void setMarkerTime(double seconds);
    bool enabled() const { return m_enabled; }
    void setEnabled(bool enabled);

    // Shows the selected marker of markers from now on (null: stays as it is).
    void followMarkers(MarkerManager* markers);

    QSize sizeHint() const override { return QSize(110, 22); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void showSelected();

    QImage m_markerImage;
    QString m_markerNumber = QStringLiteral("S");
    double m_markerTime = 0.0;
    bool m_enabled = true;
    QPointer<MarkerManager> m_markers;
    QList<QMetaObject::Connection> m_connections;
};

// Marker time as shown by the indicator: minutes, seconds and tenths, and a hundredths
// digit that is always 0, from 0 to 99:59.90.
QString MarkerTimeText(double seconds);
