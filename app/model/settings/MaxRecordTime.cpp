// Maximum recording time for the settings dialog's temporary-folder page.
#include "settings/MaxRecordTime.h"

#include "bridge/CartovaController.h"
#include "bridge/PreviewFrequency.h"

#include <QCoreApplication>
#include <QFile>
#include <sys/statvfs.h>

uint64_t RecordBytesPerSecond(const RecordSpaceFormat& f)
{
    uint64_t perChannel = 0;
    if (f.dsd)
        perChannel = f.rate / 8 + PreviewFrequency(true, f.rate) * 2;
    else
        perChannel = f.rate * 2 + static_cast<uint64_t>(f.recordBits) * f.rate / 8;
    return perChannel * f.channels;
}

RecordSpaceFormat RecordSpaceFormatFor(bool dsd, uint64_t rate, const AudioDeviceInfo* device)
{
    RecordSpaceFormat format;
    format.dsd = dsd;
    format.rate = rate;
    if (device) {
        format.channels = device->i_ch != 0 ? device->i_ch : 2;
        format.recordBits = device->PCM_record_bits != 0 ? device->PCM_record_bits : 32;
    }
    return format;
}

int64_t MinutesForSpace(uint64_t freeBytes, uint64_t bytesPerSecond)
{
    if (bytesPerSecond == 0)
        return 0;
    return static_cast<int64_t>(freeBytes / bytesPerSecond / 60);
}

std::optional<uint64_t> FolderFreeBytes(const QString& folder)
{
    struct statvfs st {};
    if (folder.isEmpty() || statvfs(QFile::encodeName(folder).constData(), &st) != 0)
        return std::nullopt;
    return static_cast<uint64_t>(st.f_bavail) * static_cast<uint64_t>(st.f_frsize);
}

std::optional<int64_t> MaxRecordMinutes(const QString& folder, const RecordSpaceFormat& format,
                                        const FreeSpaceQuery& freeSpace)
{
    const std::optional<uint64_t> freeBytes = freeSpace ? freeSpace(folder) : std::nullopt;
    if (!freeBytes)
        return std::nullopt;
    return MinutesForSpace(*freeBytes, RecordBytesPerSecond(format));
}

QString MaxRecordTimeText(int64_t minutes)
{
    return QStringLiteral("%1 : %2 %3 %4")
        .arg(QCoreApplication::translate("SettingDialog", "Maximum recording time"),
             QCoreApplication::translate("SettingDialog", "approx."), QString::number(minutes),
             QCoreApplication::translate("SettingDialog", "min"));
}
