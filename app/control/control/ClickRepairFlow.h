// Edit > Repair Clicks...: asks for the sensitivity, runs the framework's click analysis
// of the finished PCM recording behind a progress dialog with Cancel, and on success turns
// the repair on for listening and for writing, hands the places to the document as marks
// and becomes the step Edit > Undo takes back. The recording itself is never changed.
//
// The framework drops the places of an earlier analysis when a new one starts, so the
// document's marks are cleared at that moment too: marks and repair never disagree.
#pragma once

#include "cartova.h"

#include <QCoreApplication>

class CartovaController;
class DialogService;
class Document;

class ClickRepairFlow {
    Q_DECLARE_TR_FUNCTIONS(ClickRepairFlow)
public:
    // Everything passed in outlives the flow.
    ClickRepairFlow(DialogService& dialogs, CartovaController& bridge, Document& document);

    enum class Outcome {
        Declined,  // the sensitivity dialog was cancelled: nothing changed
        Cancelled, // the analysis was cancelled: no repair
        Failed,    // the analysis could not run or read the recording: no repair
        NoneFound, // nothing to repair
        Repaired,  // places found; the repair is on and is the latest undo step
    };
    Outcome run();
    // Takes the repair back: the framework forgets the places, the marks go.
    void undo();

private:
    Outcome analyse();
    void tellResult();

    DialogService& m_dialogs;
    CartovaController& m_bridge;
    Document& m_document;
    TkClickSensitivity m_sensitivity = TkClickSensitivityNormal; // offered next: the last one chosen
};
