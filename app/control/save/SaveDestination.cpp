// Destination checks before writing: writability and free space for all tracks.
#include "save/SaveDestination.h"

#include "cartova.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLocale>

#include <cerrno>
#include <cmath>
#include <cstring>
#include <sys/statvfs.h>
#include <unistd.h>

namespace {

constexpr uint64_t kWavHeaderBytes = 44;
constexpr uint64_t kDsfHeaderBytes = 92;
constexpr uint64_t kDsfBlockBytes = 4096;
// Tags of one file: four text frames in UTF-16 and their Shift-JIS copies stay far below this,
// as do a FLAC file's comments, seek table and padding.
constexpr uint64_t kTagRoomBytes = 64 * 1024;
// A FLAC file never takes more than this many percent of its samples' PCM bytes: libFLAC
// stores no frame in more bits than its samples verbatim, plus one bit a sample for a
// stereo side channel and a few bytes of frame header and CRC (the framework's bound).
constexpr uint64_t kFlacBoundPercent = 104;

// The destination cannot be used; error is the errno of the failed call.
DestinationProblem Unusable(const QString& path, int error)
{
    const QString cause = QStringLiteral("%1: %2").arg(path, QString::fromLocal8Bit(std::strerror(error)));
    return {QCoreApplication::translate("SaveDialog", "Failed to save the file."), cause};
}

uint64_t SaturatingProduct(uint64_t a, uint64_t b)
{
    return b != 0 && a > UINT64_MAX / b ? UINT64_MAX / 2 : a * b;
}

} // namespace

uint64_t EstimatedTrackBytes(const TrackFormat& format, double start, double end)
{
    const uint64_t first = Cartova_SecondsToSamples(format.rate, start);
    const uint64_t last = Cartova_SecondsToSamples(format.rate, end);
    const uint64_t samples = last > first ? last - first : 0;
    const uint64_t channels = format.channels > 0 ? static_cast<uint64_t>(format.channels) : 0;
    uint64_t dataBytes = 0;
    if (format.dsd) {
        const uint64_t blocks = (samples / 8 + kDsfBlockBytes - 1) / kDsfBlockBytes;
        dataBytes = SaturatingProduct(blocks * kDsfBlockBytes, channels) + kDsfHeaderBytes;
    } else {
        const uint64_t sampleBytes = static_cast<uint64_t>(format.bits > 0 ? format.bits : 0) / 8;
        const uint64_t pcmBytes = SaturatingProduct(samples, channels * sampleBytes);
        dataBytes = format.flac ? SaturatingProduct(pcmBytes / 100 + 1, kFlacBoundPercent) : pcmBytes + kWavHeaderBytes;
    }
    return SaturatingSum(dataBytes, kTagRoomBytes);
}

uint64_t SaturatingSum(uint64_t a, uint64_t b)
{
    return a > UINT64_MAX - b ? UINT64_MAX : a + b;
}

std::optional<DestinationProblem> CheckDestination(const QString& albumFolder, uint64_t bytes)
{
    const QFileInfo album(albumFolder);
    // The writing creates the album folder one level deep, so its parent must exist then.
    const QString existing = album.isDir() ? album.absoluteFilePath() : album.absolutePath();
    const QByteArray path = existing.toLocal8Bit();
    if (::access(path.constData(), W_OK | X_OK) != 0)
        return Unusable(existing, errno);

    struct statvfs volume {};
    if (::statvfs(path.constData(), &volume) != 0)
        return Unusable(existing, errno);
    const uint64_t available = static_cast<uint64_t>(volume.f_bavail) * volume.f_frsize;
    if (available < bytes) {
        const QLocale locale;
        return DestinationProblem{QCoreApplication::translate("SaveDialog", "Insufficient free space in the destination."),
                                  QCoreApplication::translate("SaveDialog", "%1 needed, %2 available.")
                                      .arg(locale.formattedDataSize(static_cast<qint64>(bytes)),
                                           locale.formattedDataSize(static_cast<qint64>(available)))};
    }
    return std::nullopt;
}

QString JoinPath(const QString& a, const QString& b)
{
    if (a.isEmpty() || a.endsWith(u'/'))
        return a + b;
    return a + u'/' + b;
}
