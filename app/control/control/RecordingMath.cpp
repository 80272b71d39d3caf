// Recording-time estimate, start dialog texts, automatic gain and the lost-audio report.
#include "control/RecordingMath.h"

#include "cartova.h"

#include <QCoreApplication>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <cmath>

namespace {

// Texts given here are marked with QT_TRANSLATE_NOOP in the same context,
// so that the catalogue holds them.
QString Tr(const char* text)
{
    return QCoreApplication::translate("ControlManager", text);
}

} // namespace

AlertRequest StartRecordingAlert(double maxMinutes, const QString& temporaryFolder)
{
    AlertRequest request;
    request.message = Tr(QT_TRANSLATE_NOOP(
        "ControlManager", "Play the vinyl record on the turntable and click the \"Start Recording\" button."));
    request.buttons = {Tr(QT_TRANSLATE_NOOP("ControlManager", "Start Recording")),
                       Tr(QT_TRANSLATE_NOOP("ControlManager", "Cancel"))};
    if (maxMinutes < kMaxTimeDisplayThreshold) {
        request.information = QStringLiteral("%1: %2 %3 %4")
                                  .arg(Tr(QT_TRANSLATE_NOOP("ControlManager", "Maximum recording time")),
                                       Tr(QT_TRANSLATE_NOOP("ControlManager", "approx.")))
                                  .arg(static_cast<int>(maxMinutes))
                                  .arg(Tr(QT_TRANSLATE_NOOP("ControlManager", "min")));
        request.accessoryText = QStringLiteral("%1:\n%2").arg(
            Tr(QT_TRANSLATE_NOOP("ControlManager", "Temporary file storage")), temporaryFolder);
    }
    if (static_cast<int>(maxMinutes) == 0)
        request.disabledButton = kStartRecordingButton;
    return request;
}

AlertRequest StoreFailedAlert(int cause, const QString& temporaryFolder)
{
    AlertRequest request;
    if (cause == ENOSPC || cause == EDQUOT)
        request.message =
            Tr(QT_TRANSLATE_NOOP("ControlManager", "Stopped recording because the temporary file storage is full."));
    else
        request.message =
            Tr(QT_TRANSLATE_NOOP("ControlManager", "Stopped recording because the recording could not be stored: %1."))
                .arg(cause > 0 ? QString::fromLocal8Bit(std::strerror(cause)) : QStringLiteral("?"));
    request.information = temporaryFolder;
    return request;
}

double AutomaticGain(double peak)
{
    if (peak >= kAutoGainReferenceLevel)
        return 0.0;
    if (!(peak > 0.0)) // silence (or no peak at all): the most the automatic gain gives
        return kAutoGainCeiling;
    return std::min(20.0 * std::log10(kAutoGainReferenceLevel / peak), kAutoGainCeiling);
}

namespace {

// Recorded time as minutes, seconds and hundredths ("01:23.45"), as the edit mode shows it.
QString RecordedTime(double seconds)
{
    const qint64 hundredths = std::llround(std::max(seconds, 0.0) * 100.0);
    return QStringLiteral("%1:%2.%3")
        .arg(hundredths / 6000, 2, 10, QLatin1Char('0'))
        .arg(hundredths / 100 % 60, 2, 10, QLatin1Char('0'))
        .arg(hundredths % 100, 2, 10, QLatin1Char('0'));
}

QString LostPlace(const TkDroppedAudio& place, uint64_t frequency)
{
    // A plain count variable: the catalogue tool does not see a text whose
    // count argument is a cast expression.
    const int lost = static_cast<int>(std::min<uint64_t>(place.frames_lost, INT32_MAX));
    QString line = QCoreApplication::translate("ControlManager", "%1: %n sample(s) lost", nullptr, lost)
                       .arg(RecordedTime(place.position_seconds));
    if (frequency > 0) {
        const double ms = 1000.0 * static_cast<double>(place.frames_lost) / static_cast<double>(frequency);
        line += QStringLiteral(" (%1 ms)").arg(ms, 0, 'f', ms < 10.0 ? 1 : 0);
    }
    return line;
}

} // namespace

AlertRequest LostAudioAlert(const std::vector<TkDroppedAudio>& places, uint64_t frequency, int overflowReports)
{
    AlertRequest request;
    request.message = QCoreApplication::translate("ControlManager",
                                                  "Some audio was lost while recording: the recording has gaps.");
    if (places.empty()) {
        request.information = QCoreApplication::translate(
            "ControlManager", "The computer could not keep up with the turntable %n time(s).", nullptr, overflowReports);
        return request;
    }
    QStringList lines;
    const int placeCount = static_cast<int>(places.size());
    lines << QCoreApplication::translate(
        "ControlManager", "The computer could not keep up with the turntable at %n place(s) of the recording:", nullptr,
        placeCount);
    const size_t listed = std::min(places.size(), kLostAudioPlacesListed);
    for (size_t i = 0; i < listed; ++i)
        lines << LostPlace(places[i], frequency);
    if (places.size() > listed) {
        const int more = static_cast<int>(places.size() - listed);
        lines << QCoreApplication::translate("ControlManager", "and %n more.", nullptr, more);
    }
    request.information = lines.join(QLatin1Char('\n'));
    return request;
}
