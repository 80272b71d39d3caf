// Edit > Find Track Gaps: asks the framework for the tracks of the finished recording,
// shows its suggestions in their own colour with the result ("Gaps between tracks found: N")
// and the side's track count, and on "Add Markers" adds them as one step Edit > Undo takes
// back. A changed track count asks the framework again for that many tracks and shows the
// new suggestions before anything is added. Where the recording has a lead-in before the
// needle dropped or a run-out after the arm lifted, markers at the music's start and end
// are suggested too, and those tracks are left unchecked for Write to Files.
#pragma once

#include <QCoreApplication>

class CartovaController;
class DialogService;
class Document;
class MarkerManager;
struct TrackFinding;

class TrackGapFlow {
    Q_DECLARE_TR_FUNCTIONS(TrackGapFlow)
public:
    // Everything passed in outlives the flow.
    TrackGapFlow(DialogService& dialogs, CartovaController& bridge, Document& document);

    // Runs the command on the markers of a recording of totalTime seconds; true when
    // markers were added.
    bool run(MarkerManager& markers, double totalTime);

private:
    // A message for a finding that suggests nothing; empty when it suggests something.
    QString problemText(const TrackFinding& finding, bool failed) const;

    DialogService& m_dialogs;
    CartovaController& m_bridge;
    Document& m_document;
};
