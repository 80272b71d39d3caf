// The recovery question at start, and Discard's confirmation.
#include "control/RecoveryFlow.h"

#include "bridge/CartovaController.h"
#include "control/AlertButtonTitles.h"
#include "control/DialogService.h"
#include "settings/SamplingRateFormatter.h"

#include <QLocale>
#include <cmath>

namespace {

enum QuestionButton { kRecover = 0, kDiscard = 1, kLater = 2 };

QString MinutesSeconds(double seconds)
{
    const long whole = std::lround(std::max(seconds, 0.0));
    return QString::asprintf("%02ld:%02ld", whole / 60, whole % 60);
}

} // namespace

RecoveryFlow::RecoveryFlow(DialogService& dialogs, CartovaController& bridge) : m_dialogs(dialogs), m_bridge(bridge)
{
}

QString RecoveryFlow::question(const RecoverableRecording& recording)
{
    return tr("A recording of %1 from %2 was not written to files. Recover it?")
        .arg(MinutesSeconds(recording.seconds),
             QLocale().toString(recording.started.date(), QLocale::ShortFormat) + QStringLiteral(", ") +
                 QLocale().toString(recording.started.time(), QLocale::ShortFormat));
}

std::optional<RecoverableRecording> RecoveryFlow::ask()
{
    std::vector<RecoverableRecording> recordings;
    if (m_bridge.GetRecoverableRecordings(recordings) != TkErrorSuccess)
        return std::nullopt;
    for (const RecoverableRecording& recording : recordings) {
        if (recording.state != TkRecoverableReady)
            continue;
        for (;;) {
            AlertRequest request;
            request.message = question(recording);
            QStringList lines;
            const QString rate = SamplingRateFormatter::TextForRate(recording.freq);
            lines << (recording.isDsd ? tr("DSD %1").arg(rate) : tr("PCM %1, %2-bit").arg(rate).arg(recording.bits));
            if (!recording.missing.isEmpty())
                lines << tr("Only what is left can be recovered: %1").arg(recording.missing);
            request.information = lines.join('\n');
            request.buttons = {tr("Recover"), tr("Discard"), tr("Later")};
            const int answer = m_dialogs.runAlert(request);
            if (answer == kRecover)
                return recording;
            if (answer != kDiscard)
                return std::nullopt; // Later, or the alert closed: every recording stays
            if (discard(recording))
                break; // the next one, if any
        }
    }
    return std::nullopt;
}

bool RecoveryFlow::discard(const RecoverableRecording& recording)
{
    AlertRequest confirm;
    confirm.message = tr("Discard the recording of %1? It cannot be recovered afterwards.")
                          .arg(MinutesSeconds(recording.seconds));
    confirm.buttons = {tr("Discard"), alert_buttons::Title(alert_buttons::kCancel)};
    if (m_dialogs.runAlert(confirm) != 0)
        return false;
    // One that cannot be deleted is not asked about again in this run.
    if (m_bridge.DiscardRecoverableRecording(recording.id) != TkErrorSuccess)
        m_dialogs.OkAlertWithMessage(tr("The recording could not be discarded."));
    return true;
}
