// The gain pop-up panel under the gain indicator. It takes the keyboard while open,
// closes when the user clicks elsewhere, and reports a chosen row (the gain-choice tag:
// 0 none, 1 automatic, 2 to 7 for +1 to +6 dB) to its handler.
#pragma once

#include "controls/CustomMenuView.h"

#include <QWidget>
#include <functional>

class CustomMenu : public QWidget {
    Q_OBJECT
public:
    explicit CustomMenu(QWidget* parent = nullptr);

    CustomMenuView* view() const { return m_view; }
    // Receives the chosen row; not called when the pop-up closes without a choice.
    void setChoiceHandler(std::function<void(int row)> handler) { m_handler = std::move(handler); }
    void setAutoGain(double dB);
    void reset(); // no row highlighted
    int preferredWidth() const { return m_view->preferredWidth(); }

    // Top-left corner of the panel: right edges aligned, top on the button's bottom,
    // kept inside the visible screen area (opening above the button when needed).
    static QPoint PanelOrigin(const QRect& button, const QSize& panel, const QRect& visible);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void onRowChosen(int row);

    CustomMenuView* m_view;
    std::function<void(int)> m_handler;
};
