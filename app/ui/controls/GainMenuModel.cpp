// Rows, keys and choices of the gain pop-up.
#include "controls/GainMenuModel.h"

#include <QCoreApplication>

namespace {

// Row bottoms measured from the view's bottom edge, row 0 first.
constexpr double kRowBottom[GainMenuModel::kRowCount] = {142, 122, 101, 81, 61, 41, 21, 1};

} // namespace

GainMenuModel::Outcome GainMenuModel::keyPressed(Key key)
{
    switch (key) {
    case Key::Escape:
        return Outcome::Close;
    case Key::Return:
    case Key::Enter:
        return Outcome::Choose;
    case Key::Up:
        m_selectedIdx = m_selectedIdx <= 0 ? kRowCount - 1 : m_selectedIdx - 1;
        return Outcome::None;
    case Key::Down:
        m_selectedIdx = (m_selectedIdx < 0 || m_selectedIdx >= kRowCount - 1) ? 0 : m_selectedIdx + 1;
        return Outcome::None;
    case Key::Home:
        m_selectedIdx = 0;
        return Outcome::None;
    case Key::End:
        m_selectedIdx = kRowCount - 1;
        return Outcome::Choose;
    case Key::Other:
        break;
    }
    return Outcome::None;
}

std::optional<GainMenuModel::Choice> GainMenuModel::choice() const
{
    if (m_selectedIdx < 0 || m_selectedIdx >= kRowCount)
        return std::nullopt;
    if (m_selectedIdx == 0)
        return Choice{0.0, false};
    if (m_selectedIdx == kAutoRow)
        return Choice{m_autoGain, true};
    return Choice{static_cast<double>(m_selectedIdx - 1), false};
}

QString GainMenuModel::ValueText(double dB, bool oneDecimal)
{
    const QString sign = dB >= 1.0 ? QStringLiteral("+") : QString();
    const QString unit = QCoreApplication::translate("CustomMenuView", "dB");
    if (oneDecimal)
        return QString::asprintf("%s%0.1f %s", qUtf8Printable(sign), dB, qUtf8Printable(unit));
    return QString::asprintf("%s%d %s", qUtf8Printable(sign), static_cast<int>(dB), qUtf8Printable(unit));
}

QString GainMenuModel::valueText(int row) const
{
    if (row == kAutoRow)
        return ValueText(m_autoGain, true);
    return ValueText(row == 0 ? 0.0 : row - 1, false);
}

double GainMenuModel::RowTop(int row, double height)
{
    return height - (kRowBottom[row] + kRowHeight);
}

int GainMenuModel::RowAt(double y, double x, double width, double height)
{
    if (x < 1.0 || x >= width - 1.0)
        return -1;
    for (int row = 0; row < kRowCount; ++row) {
        const double top = RowTop(row, height);
        if (y >= top && y < top + kRowHeight)
            return row;
    }
    return -1;
}
