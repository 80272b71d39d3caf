// One row of the write-to-files dialog.
#include "save/SaveDialogItemView.h"

#include "save/SaveValueTransformers.h"

#include <QCheckBox>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>

namespace {

void SetTextIfDifferent(QLineEdit* field, const QString& text)
{
    if (field->text() != text)
        field->setText(text);
}

} // namespace

SaveDialogItemView::SaveDialogItemView(int row, QWidget* parent) : QWidget(parent), m_row(row)
{
    setObjectName(QStringLiteral("row"));
    setProperty("odd", row % 2 == 1);
    setAttribute(Qt::WA_StyledBackground, true);

    m_check = new QCheckBox(this);
    m_check->setFixedWidth(SaveDialogColumns::check);
    m_marker = new QLabel(this);
    m_marker->setFixedWidth(SaveDialogColumns::marker);
    m_marker->setAlignment(Qt::AlignCenter);
    m_duration = new QLabel(this);
    m_duration->setFixedWidth(SaveDialogColumns::duration);
    m_duration->setAlignment(Qt::AlignCenter);
    m_fileName = new QLineEdit(this);
    m_fileName->setFixedWidth(SaveDialogColumns::fileName);
    m_title = new QLineEdit(this);
    m_title->setFixedWidth(SaveDialogColumns::trackTitle);
    m_artist = new QLineEdit(this);
    m_artist->setFixedWidth(SaveDialogColumns::trackArtist);

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(SaveDialogColumns::margin, 3, SaveDialogColumns::margin, 3);
    layout->setSpacing(SaveDialogColumns::spacing);
    for (QWidget* w : {static_cast<QWidget*>(m_check), static_cast<QWidget*>(m_marker),
                       static_cast<QWidget*>(m_duration), static_cast<QWidget*>(m_fileName),
                       static_cast<QWidget*>(m_title), static_cast<QWidget*>(m_artist)})
        layout->addWidget(w);
    layout->addStretch();

    for (QWidget* field : {static_cast<QWidget*>(m_check), static_cast<QWidget*>(m_fileName),
                           static_cast<QWidget*>(m_title), static_cast<QWidget*>(m_artist)})
        field->installEventFilter(this);

    connect(m_check, &QCheckBox::clicked, this, [this] { emit checkClicked(m_row); });
    connect(m_fileName, &QLineEdit::textEdited, this, [this](const QString& t) { emit fileNameEdited(m_row, t); });
    connect(m_title, &QLineEdit::textEdited, this, [this](const QString& t) { emit trackTitleEdited(m_row, t); });
    connect(m_artist, &QLineEdit::textEdited, this, [this](const QString& t) { emit trackArtistEdited(m_row, t); });
}

void SaveDialogItemView::setItem(const SaveDialogItem& item)
{
    m_check->setChecked(item.isChecked());
    m_marker->setText(item.markerStart + QStringLiteral(" – ") + item.markerEnd);
    m_duration->setText(DurationValueTransformer::transformedValue(item.duration).toString());
    SetTextIfDifferent(m_fileName, item.fileName);
    SetTextIfDifferent(m_title, item.trackTitle);
    SetTextIfDifferent(m_artist, item.trackArtist);

    const bool enabled = CellStateValueToBoolTransformer::transformedValue(item.state).toBool();
    const QColor text = CellStateValueToTextColorTransformer::transformedValue(item.state).value<QColor>();
    for (QLineEdit* field : {m_fileName, m_title, m_artist})
        field->setEnabled(enabled);
    const QString labelStyle = QStringLiteral("color: %1;").arg(text.name());
    m_marker->setStyleSheet(labelStyle);
    m_duration->setStyleSheet(labelStyle);
}

QWidget* SaveDialogItemView::firstKeyView() const
{
    return m_check;
}

QWidget* SaveDialogItemView::lastKeyView() const
{
    return m_artist;
}

bool SaveDialogItemView::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::FocusIn)
        emit fieldFocused(this);
    return QWidget::eventFilter(watched, event);
}
