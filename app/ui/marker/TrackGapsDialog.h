// The result of Find Track Gaps: how many gaps were found and what will happen, the side's
// track count (which the user may change to ask for that many tracks), [Cancel] and
// [Add Markers] (the default, so Return accepts).
#pragma once

#include "control/DialogService.h"

#include <QDialog>

class QSpinBox;

class TrackGapsDialog : public QDialog {
    Q_OBJECT
public:
    TrackGapsDialog(const TrackGapsRequest& request, QWidget* parent = nullptr);

    int trackCount() const;

private:
    QSpinBox* m_count = nullptr;
};
