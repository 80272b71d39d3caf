// Recording-time estimate, start dialog texts and automatic gain.
#include "control/RecordingMath.h"

#include <QCoreApplication>
#include <algorithm>
#include <cmath>

namespace {

QString Tr(const char* text)
{
    return QCoreApplication::translate("ControlManager", text);
}

} // namespace

double MaxRecordMinutes(uint64_t freeBytes, int32_t recType, uint64_t frequency, uint16_t recordBits,
                        uint16_t channels)
{
    const uint64_t b = recordBits == 0 ? 32 : recordBits;
    const uint64_t c = channels == 0 ? 2 : channels;
    uint64_t bytesPerSecond = 0;
    if (recType == RecTypeDsd)
        bytesPerSecond = c * (frequency / 8 + 2 * (frequency / kDsdPreviewDivider));
    else if (recType == RecTypePcm)
        bytesPerSecond = c * (2 * frequency + (b * frequency) / 8);
    if (bytesPerSecond == 0)
        return 0.0;
    return static_cast<double>(freeBytes / bytesPerSecond) / 60.0;
}

AlertRequest StartRecordingAlert(double maxMinutes, const QString& temporaryFolder)
{
    AlertRequest request;
    request.message = Tr("Play the vinyl record on the turntable and click the \"Start Recording\" button.");
    request.buttons = {Tr("Start Recording"), Tr("Cancel")};
    if (maxMinutes < kMaxTimeDisplayThreshold) {
        request.information = QStringLiteral("%1: %2 %3 %4")
                                  .arg(Tr("Maximum recording time"), Tr("approx."))
                                  .arg(static_cast<int>(maxMinutes))
                                  .arg(Tr("min"));
        request.accessoryText = QStringLiteral("%1:\n%2").arg(Tr("Temporary file storage"), temporaryFolder);
    }
    if (static_cast<int>(maxMinutes) == 0)
        request.disabledButton = kStartRecordingButton;
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
