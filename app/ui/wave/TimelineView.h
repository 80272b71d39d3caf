// The play/record cursor head: a red head and line while recording, a light one in the
// edit mode, drawn over the waveform centred on the cursor's x.
#pragma once

#include <QImage>
#include <QWidget>

class TimelineView : public QWidget {
    Q_OBJECT
public:
    explicit TimelineView(QWidget* parent = nullptr);

    bool isEditMode() const { return m_isEditMode; }
    void setIsEditMode(bool editMode);
    QSize imageSize() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    const QImage& image() const;

    mutable QImage m_timeline_rec;
    mutable QImage m_timeline_edit;
    bool m_isEditMode = false;
};

// An artwork image ":/artwork/<name>.svg" rendered at its own size; null when missing.
QImage LoadArtworkImage(const QString& name);
