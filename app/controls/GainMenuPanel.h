// Gain pop-up panel under the gain button: rows "0 dB", "Auto", "+1 dB" ... "+6 dB".
// Closes itself when it loses focus; a chosen row goes to the control manager.
#pragma once

#include <QListWidget>
#include <functional>

class GainMenuPanel : public QListWidget {
    Q_OBJECT
public:
    explicit GainMenuPanel(QWidget* parent = nullptr);
    // Receives the chosen row (the gain-choice tag).
    void setChoiceHandler(std::function<void(int row)> handler) { m_handler = std::move(handler); }
    void setAutoTitle(const QString& title);
    void reset(); // no row highlighted

    // Top-left corner of the panel: right edges aligned, top on the button's bottom,
    // kept inside the visible screen area (opening above the button when needed).
    static QPoint PanelOrigin(const QRect& button, const QSize& panel, const QRect& visible);

private:
    std::function<void(int)> m_handler;
};
