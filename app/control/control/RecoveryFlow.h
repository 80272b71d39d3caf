// The question at start about a recording an earlier run left before its tracks were
// written (a crash, a kill, a power cut, a logout while recording): "A recording of MM:SS
// from <date, time> was not written to files. Recover it?" [Recover] [Discard] [Later].
// Recover hands the recording back to be opened; Discard deletes it once the user has
// confirmed, then asks about the next one; Later (or Escape) keeps every one for the next
// start. Recordings another program holds, or whose journal is torn or of another
// version, are not offered.
#pragma once

#include <QCoreApplication>
#include <QString>
#include <optional>

class CartovaController;
class DialogService;
struct RecoverableRecording;

class RecoveryFlow {
    Q_DECLARE_TR_FUNCTIONS(RecoveryFlow)
public:
    // Everything passed in outlives the flow.
    RecoveryFlow(DialogService& dialogs, CartovaController& bridge);

    // Asks about the recordings left in the temporary folder, newest first; the one the
    // user chose to recover, or none.
    std::optional<RecoverableRecording> ask();

    // The question's message for a recording.
    static QString question(const RecoverableRecording& recording);

private:
    // Asks again, then deletes the recording; true when the user confirmed.
    bool discard(const RecoverableRecording& recording);

    DialogService& m_dialogs;
    CartovaController& m_bridge;
};
