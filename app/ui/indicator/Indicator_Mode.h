// Mode indicator: the text "Record Mode" or "Edit Mode" in light grey on the dark window.
#pragma once

#include <QWidget>

class Indicator_Mode : public QWidget {
    Q_OBJECT
public:
    explicit Indicator_Mode(QWidget* parent = nullptr);
    QString stringValue() const { return m_stringValue; }
    void setStringValue(const QString& value);
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QFont textFont() const;
    QString m_stringValue;
};
