// The clip view (viewport) of the waveform scroll view. Qt's widgets already count y
// downwards from the top, so the document stays anchored at the top of the viewport; the
// waveform's own bottom-up figures are converted in YUpCoordinates.h.
#pragma once

#include <QWidget>

class FlippedClipView : public QWidget {
    Q_OBJECT
public:
    explicit FlippedClipView(QWidget* parent = nullptr) : QWidget(parent)
    {
        setObjectName(QStringLiteral("flippedClipView"));
    }
    bool isFlipped() const { return true; }
};
