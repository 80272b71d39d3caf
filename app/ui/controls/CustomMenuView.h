// The gain pop-up's content: eight rows (0 dB, Auto with the automatic gain, +1 to +6 dB)
// drawn on the dark background, the highlighted row following the pointer and the keys.
#pragma once

#include "controls/GainMenuModel.h"

#include <QWidget>

class CustomMenuView : public QWidget {
    Q_OBJECT
public:
    static constexpr int kTextInset = 12;

    explicit CustomMenuView(QWidget* parent = nullptr);

    GainMenuModel& model() { return m_model; }
    const GainMenuModel& model() const { return m_model; }
    int selectedIdx() const { return m_model.selectedIdx(); }
    void setAutoGain(double dB);
    double autoGain() const { return m_model.autoGain(); }
    void reset();

    // width("Auto") + 12 + 12 + width(automatic gain text) + 28.
    int preferredWidth() const;
    QSize sizeHint() const override;

signals:
    // A row was chosen by click or key; the pop-up closes and reports it.
    void rowChosen(int row);
    // Escape: close without choosing.
    void dismissed();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QFont rowFont() const;
    double valueEdge() const;
    void choose();

    GainMenuModel m_model;
};
