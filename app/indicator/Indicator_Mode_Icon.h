// Mode icon: one of the images "icon_rec", "icon_recpause", "icon_play", "icon_pause", or none.
#pragma once

#include <QIcon>
#include <QWidget>

class Indicator_Mode_Icon : public QWidget {
    Q_OBJECT
public:
    explicit Indicator_Mode_Icon(QWidget* parent = nullptr);
    QString image() const { return m_imageName; }
    void setImage(const QString& name); // empty: no image
    QSize sizeHint() const override { return QSize(20, 20); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_imageName;
    QIcon m_icon;
};
