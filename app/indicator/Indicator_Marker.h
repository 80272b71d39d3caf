// Marker indicator: shows which marker is selected in edit mode.
#pragma once

#include <QLabel>

class Indicator_Marker : public QLabel {
    Q_OBJECT
public:
    explicit Indicator_Marker(QWidget* parent = nullptr) : QLabel(parent)
    {
        setObjectName(QStringLiteral("indicatorMarker"));
    }
};
