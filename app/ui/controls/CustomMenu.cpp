// Window behaviour and placement of the gain pop-up.
#include "controls/CustomMenu.h"

#include <QVBoxLayout>

CustomMenu::CustomMenu(QWidget* parent) : QWidget(parent, Qt::Popup | Qt::FramelessWindowHint)
{
    setObjectName(QStringLiteral("gain_menu_panel"));
    m_view = new CustomMenuView(this);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_view);
    setFocusProxy(m_view);
    connect(m_view, &CustomMenuView::rowChosen, this, &CustomMenu::onRowChosen);
    connect(m_view, &CustomMenuView::dismissed, this, &QWidget::close);
    setAutoGain(0.0);
}

void CustomMenu::setAutoGain(double dB)
{
    m_view->setAutoGain(dB);
    setFixedSize(m_view->sizeHint());
}

void CustomMenu::reset()
{
    m_view->reset();
}

void CustomMenu::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    m_view->setFocus(Qt::PopupFocusReason);
}

void CustomMenu::onRowChosen(int row)
{
    close();
    if (row >= 0 && row < GainMenuModel::kRowCount && m_handler)
        m_handler(row);
}

QPoint CustomMenu::PanelOrigin(const QRect& button, const QSize& panel, const QRect& visible)
{
    int x = button.x() + button.width() - panel.width();
    int y = button.y() + button.height();
    const QRect frame(QPoint(x, y), panel);
    if (!visible.isEmpty() && !visible.contains(frame)) {
        if (x < visible.left())
            x = visible.left();
        else if (x + panel.width() > visible.x() + visible.width())
            x = visible.x() + visible.width() - panel.width();
        if (y + panel.height() > visible.y() + visible.height())
            y = button.y() - panel.height();
    }
    return QPoint(x, y);
}
