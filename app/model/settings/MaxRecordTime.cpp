// Maximum recording time for the settings dialog's temporary-folder page.
#include "settings/MaxRecordTime.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <sys/statvfs.h>

uint64_t RecordBytesPerSecond(const RecordSpaceFormat& f)
{
    uint64_t perChannel = 0;
    if (f.dsd)
        perChannel = f.rate / 8 + (f.rate / 64) * 2;
    else
        perChannel = f.rate * 2 + static_cast<uint64_t>(f.recordBits) * f.rate / 8;
    return perChannel * f.channels;
}

int64_t MinutesForSpace(uint64_t freeBytes, uint64_t bytesPerSecond)
{
    if (bytesPerSecond == 0)
        return 0;
    return static_cast<int64_t>(freeBytes / bytesPerSecond / 60);
}

bool IsFrameworkLeftoverName(const QString& name)
{
    static const QRegularExpression pattern(QStringLiteral("^tmp[A-Za-z0-9]{6}$"));
    return pattern.match(name).hasMatch();
}

void DeleteFrameworkLeftovers(const QString& folder)
{
    const QDir dir(folder);
    const QFileInfoList entries = dir.entryInfoList(QDir::Files | QDir::Hidden | QDir::System | QDir::NoSymLinks);
    for (const QFileInfo& entry : entries) {
        if (entry.isFile() && !entry.isSymLink() && IsFrameworkLeftoverName(entry.fileName()))
            QFile::remove(entry.absoluteFilePath());
    }
}

std::optional<uint64_t> FolderFreeBytes(const QString& folder)
{
    struct statvfs st {};
    if (folder.isEmpty() || statvfs(QFile::encodeName(folder).constData(), &st) != 0)
        return std::nullopt;
    return static_cast<uint64_t>(st.f_bavail) * static_cast<uint64_t>(st.f_frsize);
}

QString MaxRecordTimeText(int64_t minutes)
{
    return QStringLiteral("%1 : %2 %3 %4")
        .arg(QCoreApplication::translate("SettingDialog", "Maximum recording time"),
             QCoreApplication::translate("SettingDialog", "approx."), QString::number(minutes),
             QCoreApplication::translate("SettingDialog", "min"));
}
