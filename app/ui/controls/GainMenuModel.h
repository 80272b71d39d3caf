// The gain pop-up's rows and choosing logic, without drawing: eight rows (0 dB, Auto with
// the automatic gain, +1 to +6 dB), the highlighted row, pointer and key handling.
#pragma once

#include <QString>
#include <optional>

class GainMenuModel {
public:
    static constexpr int kRowCount = 8;
    static constexpr int kAutoRow = 1;
    static constexpr int kRowHeight = 20;

    enum class Key { Escape, Return, Enter, Up, Down, Home, End, Other };
    enum class Outcome { None, Close, Choose }; // what the pop-up does after an event

    struct Choice {
        double dB;
        bool isAuto;
    };

    int selectedIdx() const { return m_selectedIdx; }
    void setSelectedIdx(int row) { m_selectedIdx = (row >= 0 && row < kRowCount) ? row : -1; }
    void reset() { m_selectedIdx = -1; }

    double autoGain() const { return m_autoGain; }
    void setAutoGain(double dB) { m_autoGain = dB; }

    Outcome keyPressed(Key key);
    // The row chosen now, none when no row is highlighted.
    std::optional<Choice> choice() const;

    // "0 dB", "+4.2 dB" (automatic, one decimal), "+3 dB"; "+" only from 1.0 up.
    static QString ValueText(double dB, bool oneDecimal);
    QString valueText(int row) const;

    // Geometry in a view of the given height, measured from the top: the row whose
    // 20-point band holds y, or -1.
    static int RowAt(double y, double x, double width, double height);
    // Top of a row, from the top edge, in a view of the given height.
    static double RowTop(int row, double height);
    static double PreferredHeight() { return 163.0; }

private:
    int m_selectedIdx = -1;
    double m_autoGain = 0.0;
};
