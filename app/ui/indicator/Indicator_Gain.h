// Gain indicator: the gain used for playback and writing ("0 dB", "+2.5 dB"), following
// the mode-time manager; a button that opens the gain pop-up. The title ends 25 points
// before the right edge, where a small arrow shows that it opens a choice.
#pragma once

#include "controls/CustomButton.h"

class Indicator_Gain : public CustomButton {
    Q_OBJECT
public:
    static constexpr int kTitleRightInset = 25;

    explicit Indicator_Gain(QWidget* parent = nullptr);
    static QString GainTitle(double dB, bool isAuto);
    QSize sizeHint() const override;

protected:
    void drawImage(QPainter& painter, const QRectF& frame) override;
    void drawTitle(QPainter& painter, const QRectF& frame) override;

private:
    void refresh();
};
