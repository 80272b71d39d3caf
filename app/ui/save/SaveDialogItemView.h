// The view of one write-to-files row: check box, marker range, duration and the three
// text fields, enabled while the row is checked. It reports edits with its row index
// and asks to be scrolled into view when one of its fields gains focus.
#pragma once

#include "save/SaveDialogItem.h"

#include <QWidget>

class QCheckBox;
class QLabel;
class QLineEdit;

// Column widths shared by the rows and the heading.
struct SaveDialogColumns {
    static constexpr int check = 22;
    static constexpr int marker = 64;
    static constexpr int duration = 72;
    static constexpr int fileName = 230;
    static constexpr int trackTitle = 200;
    static constexpr int trackArtist = 170;
    static constexpr int spacing = 8;
    static constexpr int margin = 6;
    // Width of a row with its margins.
    static constexpr int rowWidth = 2 * margin + check + marker + duration + fileName + trackTitle + trackArtist +
                                    5 * spacing;
};

class SaveDialogItemView : public QWidget {
    Q_OBJECT
public:
    SaveDialogItemView(int row, QWidget* parent = nullptr);

    int row() const { return m_row; }
    // Shows item; a field's text is replaced only when it differs, so typing keeps its cursor.
    void setItem(const SaveDialogItem& item);

    // The first and last focusable fields, for the dialog's tab chain.
    QWidget* firstKeyView() const;
    QWidget* lastKeyView() const;

    QCheckBox* checkBox() const { return m_check; }
    QLineEdit* fileNameField() const { return m_fileName; }
    QLineEdit* trackTitleField() const { return m_title; }
    QLineEdit* trackArtistField() const { return m_artist; }
    QLabel* markerLabel() const { return m_marker; }
    QLabel* durationLabel() const { return m_duration; }

signals:
    void checkClicked(int row);
    void fileNameEdited(int row, const QString& text);
    void trackTitleEdited(int row, const QString& text);
    void trackArtistEdited(int row, const QString& text);
    void fieldFocused(SaveDialogItemView* view);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    int m_row;
    QCheckBox* m_check = nullptr;
    QLabel* m_marker = nullptr;
    QLabel* m_duration = nullptr;
    QLineEdit* m_fileName = nullptr;
    QLineEdit* m_title = nullptr;
    QLineEdit* m_artist = nullptr;
};
