// The click repair command: sensitivity, analysis with progress, result, undo.
#include "control/ClickRepairFlow.h"

#include "bridge/CartovaController.h"
#include "control/DialogService.h"
#include "document/Document.h"

namespace {

// The progress dialog's delegate while the analysis runs: polls the framework and closes
// the dialog once the analysis has ended, whichever way it ended.
class ClickAnalysisProgress : public ProgressDelegate {
public:
    ClickAnalysisProgress(CartovaController& bridge, DialogService& dialogs) : m_bridge(bridge), m_dialogs(dialogs) {}

    int progress(int32_t& item, int32_t& total) override
    {
        int32_t thousandths = 0;
        if (m_bridge.FindClicksProgress(thousandths, m_state) != TkErrorSuccess)
            m_state = TkClickAnalysisFailed;
        item = total = thousandths;
        if (m_state != TkClickAnalysisRunning && !m_finished) {
            m_finished = true;
            m_dialogs.finishProgressDialog();
        }
        return 0;
    }
    int cancel(bool cancel) override { return cancel ? m_bridge.FindClicksCancel() : TkErrorSuccess; }
    QString title() const override { return ClickRepairFlow::tr("Repair Clicks"); }
    QString label() const override { return ClickRepairFlow::tr("Finding clicks…"); }

    TkClickAnalysisState state() const { return m_state; }

private:
    CartovaController& m_bridge;
    DialogService& m_dialogs;
    TkClickAnalysisState m_state = TkClickAnalysisRunning;
    bool m_finished = false;
};

} // namespace

ClickRepairFlow::ClickRepairFlow(DialogService& dialogs, CartovaController& bridge, Document& document)
    : m_dialogs(dialogs), m_bridge(bridge), m_document(document)
{
}

ClickRepairFlow::Outcome ClickRepairFlow::run()
{
    TkClickSensitivity sensitivity = m_sensitivity;
    if (!m_dialogs.runRepairClicksDialog(sensitivity))
        return Outcome::Declined;
    m_sensitivity = sensitivity;
    const Outcome outcome = analyse();
    switch (outcome) {
    case Outcome::Repaired:
        m_document.done(UndoStep::ClickRepair);
        tellResult();
        break;
    case Outcome::NoneFound: m_dialogs.OkAlertWithMessage(tr("No clicks were found.")); break;
    case Outcome::Failed: m_dialogs.OkAlertWithMessage(tr("Failed to find the clicks.")); break;
    case Outcome::Declined:
    case Outcome::Cancelled: break;
    }
    return outcome;
}

ClickRepairFlow::Outcome ClickRepairFlow::analyse()
{
    // Starting drops the framework's earlier places: the marks follow at once.
    const TkError started = m_bridge.FindClicks(m_sensitivity);
    m_document.clearClickMarks();
    if (started != TkErrorSuccess)
        return Outcome::Failed;
    ClickAnalysisProgress progress(m_bridge, m_dialogs);
    m_dialogs.runProgressDialog(progress);
    if (progress.state() == TkClickAnalysisCancelled)
        return Outcome::Cancelled;
    std::vector<ClickPlace> places;
    if (progress.state() != TkClickAnalysisFinished || m_bridge.GetClickPlaces(places) != TkErrorSuccess)
        return Outcome::Failed;
    if (places.empty())
        return Outcome::NoneFound;
    if (m_bridge.SetClickRepair(true, true) != TkErrorSuccess) {
        m_bridge.ClearClickPlaces();
        return Outcome::Failed;
    }
    m_document.setClickMarks(std::move(places));
    return Outcome::Repaired;
}

void ClickRepairFlow::tellResult()
{
    const ClickMarks& marks = m_document.clickMarks();
    AlertRequest result;
    result.message = tr("Clicks repaired: %1").arg(marks.repairedCount());
    QStringList lines;
    lines << tr("Clicks: %1, pops: %2, crackle: %3.")
                 .arg(marks.repairedCount(TkClickKindClick))
                 .arg(marks.repairedCount(TkClickKindPop))
                 .arg(marks.repairedCount(TkClickKindCrackle));
    if (marks.unrepairedCount() > 0)
        lines << tr("Could not be rebuilt, left as recorded: %1.").arg(marks.unrepairedCount());
    lines << tr("Listening and Write to Files use the repair; the recording itself is unchanged. "
                "Edit > Undo takes the repair back.");
    result.information = lines.join('\n');
    m_dialogs.runAlert(result);
}

void ClickRepairFlow::undo()
{
    m_bridge.ClearClickPlaces();
    m_bridge.SetClickRepair(false, false);
    m_document.clearClickMarks();
}
