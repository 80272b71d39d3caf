// The write dialog's picture of the chosen cover: the image scaled to fit a square, kept
// in proportion, or a short note when there is no cover or it cannot be shown.
#pragma once

#include <QLabel>

class CoverThumbnail : public QLabel {
    Q_OBJECT
public:
    static constexpr int kSide = 64;

    explicit CoverThumbnail(QWidget* parent = nullptr);

    // Shows the picture at path; empty: no cover.
    void setImagePath(const QString& path);
    bool showsImage() const { return m_showsImage; }

private:
    bool m_showsImage = false;
};
