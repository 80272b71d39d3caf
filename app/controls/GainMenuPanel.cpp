// Rows and placement of the gain pop-up panel.
#include "controls/GainMenuPanel.h"

GainMenuPanel::GainMenuPanel(QWidget* parent) : QListWidget(parent)
{
    setObjectName(QStringLiteral("gain_menu_panel"));
    setWindowFlags(Qt::Popup);
    addItem(tr("0 dB"));
    addItem(tr("Auto"));
    for (int db = 1; db <= 6; ++db)
        addItem(QStringLiteral("+%1 %2").arg(db).arg(tr("dB")));
    setFixedSize(140, 8 * 22 + 4);
    connect(this, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) {
        const int r = row(item);
        close();
        if (m_handler)
            m_handler(r);
    });
}

void GainMenuPanel::setAutoTitle(const QString& title)
{
    item(1)->setText(title);
}

void GainMenuPanel::reset()
{
    clearSelection();
    setCurrentRow(-1);
}

QPoint GainMenuPanel::PanelOrigin(const QRect& button, const QSize& panel, const QRect& visible)
{
    int x = button.x() + button.width() - panel.width();
    int y = button.y() + button.height();
    if (x < visible.left())
        x = visible.left();
    else if (x + panel.width() > visible.x() + visible.width())
        x = visible.x() + visible.width() - panel.width();
    if (y + panel.height() > visible.y() + visible.height())
        y = button.y() - panel.height();
    return QPoint(x, y);
}
