// Drawing of the mode icon from the compiled-in artwork.
#include "indicator/Indicator_Mode_Icon.h"

#include <QPainter>

Indicator_Mode_Icon::Indicator_Mode_Icon(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("indicatorModeIcon"));
}

void Indicator_Mode_Icon::setImage(const QString& name)
{
    if (name == m_imageName)
        return;
    m_imageName = name;
    m_icon = name.isEmpty() ? QIcon() : QIcon(QStringLiteral(":/artwork/%1.svg").arg(name));
    update();
}

void Indicator_Mode_Icon::paintEvent(QPaintEvent*)
{
    if (m_icon.isNull())
        return;
    QPainter p(this);
    m_icon.paint(&p, rect());
}
