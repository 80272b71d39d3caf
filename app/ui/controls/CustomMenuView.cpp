// Drawing, pointer and keys of the gain pop-up's rows.
#include "controls/CustomMenuView.h"

#include <QCoreApplication>
#include <QFontMetricsF>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <cmath>

namespace {

const QColor kBackground(0x33, 0x33, 0x33);
const QColor kHighlight(0x5C, 0x5C, 0x5C);
const QColor kText(0xE5, 0xE5, 0xE5);

QString AutoLabel()
{
    return QCoreApplication::translate("CustomMenuView", "Auto");
}

GainMenuModel::Key KeyOf(int key)
{
    switch (key) {
    case Qt::Key_Escape:
        return GainMenuModel::Key::Escape;
    case Qt::Key_Return:
        return GainMenuModel::Key::Return;
    case Qt::Key_Enter:
        return GainMenuModel::Key::Enter;
    case Qt::Key_Up:
        return GainMenuModel::Key::Up;
    case Qt::Key_Down:
        return GainMenuModel::Key::Down;
    case Qt::Key_Home:
        return GainMenuModel::Key::Home;
    case Qt::Key_End:
        return GainMenuModel::Key::End;
    default:
        return GainMenuModel::Key::Other;
    }
}

} // namespace

CustomMenuView::CustomMenuView(QWidget* parent) : QWidget(parent)
{
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
}

QFont CustomMenuView::rowFont() const
{
    QFont f = font();
    f.setPixelSize(12);
    return f;
}

void CustomMenuView::setAutoGain(double dB)
{
    m_model.setAutoGain(dB);
    updateGeometry();
    update();
}

void CustomMenuView::reset()
{
    m_model.reset();
    update();
}

double CustomMenuView::valueEdge() const
{
    const QFontMetricsF fm(rowFont());
    return fm.horizontalAdvance(AutoLabel()) + kTextInset + kTextInset +
           fm.horizontalAdvance(m_model.valueText(GainMenuModel::kAutoRow));
}

int CustomMenuView::preferredWidth() const
{
    return static_cast<int>(std::ceil(valueEdge() + 28.0));
}

QSize CustomMenuView::sizeHint() const
{
    return QSize(preferredWidth(), static_cast<int>(GainMenuModel::PreferredHeight()));
}

void CustomMenuView::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const double w = width();
    const double h = height();
    p.fillRect(rect(), kBackground);
    p.setPen(QPen(Qt::black, 1));
    p.drawRect(QRectF(0.5, 0.5, w - 1, h - 1));

    p.setFont(rowFont());
    const double edge = valueEdge();
    for (int row = 0; row < GainMenuModel::kRowCount; ++row) {
        const QRectF band(1, GainMenuModel::RowTop(row, h), w - 2, GainMenuModel::kRowHeight);
        p.fillRect(band, row == m_model.selectedIdx() ? kHighlight : kBackground);
        p.setPen(kText);
        if (row == GainMenuModel::kAutoRow)
            p.drawText(QRectF(kTextInset, band.top(), edge - kTextInset, band.height()), Qt::AlignLeft | Qt::AlignVCenter,
                       AutoLabel());
        p.drawText(QRectF(0, band.top(), edge, band.height()), Qt::AlignRight | Qt::AlignVCenter,
                   m_model.valueText(row));
    }
    // Separator between the automatic row and the fixed gains.
    const double y = GainMenuModel::RowTop(GainMenuModel::kAutoRow + 1, h) - 0.5;
    p.setPen(QPen(kHighlight, 1));
    p.drawLine(QPointF(1, y), QPointF(w - 1, y));
}

void CustomMenuView::mouseMoveEvent(QMouseEvent* event)
{
    const QPointF pos = event->position();
    const int row = GainMenuModel::RowAt(pos.y(), pos.x(), width(), height());
    if (row != m_model.selectedIdx()) {
        m_model.setSelectedIdx(row);
        update();
    }
}

void CustomMenuView::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    const QPointF pos = event->position();
    m_model.setSelectedIdx(GainMenuModel::RowAt(pos.y(), pos.x(), width(), height()));
    choose();
}

void CustomMenuView::leaveEvent(QEvent*)
{
    if (m_model.selectedIdx() != -1) {
        m_model.reset();
        update();
    }
}

void CustomMenuView::keyPressEvent(QKeyEvent* event)
{
    const GainMenuModel::Key key = KeyOf(event->key());
    if (key == GainMenuModel::Key::Other) {
        QWidget::keyPressEvent(event);
        return;
    }
    switch (m_model.keyPressed(key)) {
    case GainMenuModel::Outcome::Close:
        emit dismissed();
        break;
    case GainMenuModel::Outcome::Choose:
        choose();
        break;
    case GainMenuModel::Outcome::None:
        update();
        break;
    }
}

void CustomMenuView::choose()
{
    update();
    emit rowChosen(m_model.selectedIdx());
}
