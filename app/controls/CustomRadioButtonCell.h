// Text-only radio button of the page selector: the title alone, centred, white when on
// and grey when off, with a light underline when on.
#pragma once

#include <QAbstractButton>

class CustomRadioButtonCell : public QAbstractButton {
    Q_OBJECT
public:
    explicit CustomRadioButtonCell(const QString& title = QString(), QWidget* parent = nullptr);
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QFont titleFont() const;
};
