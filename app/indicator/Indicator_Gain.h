// Gain indicator: the gain used for playback and writing, following the mode-time manager.
#pragma once

#include <QPushButton>

class Indicator_Gain : public QPushButton {
    Q_OBJECT
public:
    explicit Indicator_Gain(QWidget* parent = nullptr);
    static QString GainTitle(double dB, bool isAuto);

private:
    void refresh();
};
