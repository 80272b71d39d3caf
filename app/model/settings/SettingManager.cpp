// Loading, saving and forwarding of the persisted recording settings.
#include "settings/SettingManager.h"


#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

namespace {

constexpr uint64_t kDefaultPcmFreq = 44100;
constexpr uint64_t kDefaultDsdFreq = 2822400;
constexpr int16_t kMinimumBits = 16;

const QString kPcmFileFormatWav = QStringLiteral("WAV");
const QString kPcmFileFormatFlac = QStringLiteral("FLAC");

uint64_t LoadFrequency(const QSettings& store, const QString& key, uint64_t fallback)
{
    bool ok = false;
    const qulonglong value = store.value(key).toULongLong(&ok);
    return (ok && value != 0) ? value : fallback;
}

} // namespace

SettingManager::SettingManager()
{
    Constructor();
}

SettingManager::~SettingManager()
{
    Destructor();
}

void SettingManager::Constructor()
{
    QSettings store;
    m_rec_type = store.value(kKeyRecordFormat).toString() == QLatin1String("DSF") ? 1 : 0;
    m_pcm_freq = LoadFrequency(store, kKeyPcmFreq, kDefaultPcmFreq);
    m_dsd_freq = LoadFrequency(store, kKeyDsdFreq, kDefaultDsdFreq);
    const int16_t bits = static_cast<int16_t>(store.value(kKeyBitDepth).toLongLong());
    m_bits = bits < kMinimumBits ? kMinimumBits : bits;
    m_temp_path = store.value(kKeyTempDirectory).toString();
    if (m_temp_path.isEmpty())
        m_temp_path = GetDefaultTempDirectory();

    // The framework reports an unusable folder itself, when it is set or used.
    CartovaController::sharedInstance().SetTempDirectory(m_temp_path);
    SetPcmFileFormat(store.value(kKeyPcmFileFormat).toString() == kPcmFileFormatFlac ? TkPcmFileFormatFlac
                                                                                     : TkPcmFileFormatWav);

    info.reset();
}

void SettingManager::Destructor()
{
    QSettings store;
    store.setValue(kKeyRecordFormat, m_rec_type == 1 ? QStringLiteral("DSF") : QStringLiteral("WAV"));
    store.sync();
    store.setValue(kKeyPcmFreq, static_cast<qulonglong>(m_pcm_freq));
    store.sync();
    store.setValue(kKeyDsdFreq, static_cast<qulonglong>(m_dsd_freq));
    store.sync();
    store.setValue(kKeyBitDepth, static_cast<int>(m_bits));
    store.sync();
    store.setValue(kKeyTempDirectory, m_temp_path);
    store.sync();
    store.setValue(kKeyPcmFileFormat,
                   m_pcm_file_format == TkPcmFileFormatFlac ? kPcmFileFormatFlac : kPcmFileFormatWav);
    store.sync();
}

void SettingManager::RecognizeDevice()
{
    const std::optional<QStringList> names = EnumDriverNames();
    if (names && !names->isEmpty())
        CartovaController::sharedInstance().SetAudioDevice(names->first());
    else
        CartovaController::sharedInstance().SetAudioDevice(QString());
}

std::optional<QStringList> SettingManager::EnumDriverNames()
{
    QStringList names;
    if (CartovaController::sharedInstance().GetAudioDevices(names) != TkErrorSuccess)
        return std::nullopt;
    return names;
}

int SettingManager::SetDriverName(const QString& name)
{
    if (CartovaController::sharedInstance().SetAudioDevice(name) != TkErrorSuccess)
        return -1;
    m_driver_name = name;
    return 0;
}

TkError SettingManager::FetchDriverInfo()
{
    AudioDeviceInfo fetched;
    const TkError err = CartovaController::sharedInstance().GetAudioDeviceInfo(fetched);
    if (err == TkErrorSuccess)
        info = std::move(fetched);
    else
        info.reset();
    return err;
}

std::optional<std::vector<uint32_t>> SettingManager::GetAvailableFreq_PCM() const
{
    if (!info)
        return std::nullopt;
    return info->PCM_supported_freq;
}

std::optional<std::vector<uint32_t>> SettingManager::GetAvailableFreq_DSD() const
{
    if (!info)
        return std::nullopt;
    return info->DSD_supported_freq;
}

uint16_t SettingManager::GetAvailableBits() const
{
    return info ? info->PCM_supported_bits : 24;
}

uint16_t SettingManager::channels() const
{
    return info ? info->i_ch : 2;
}

bool SettingManager::GetVid(int32_t& vid, int32_t& pid) const
{
    if (!info) {
        vid = -1;
        pid = -1;
        return false;
    }
    vid = info->vid;
    pid = info->pid;
    return true;
}

TkError SettingManager::FetchSettingToToolkit()
{
    TkRecordSetting setting{};
    if (m_rec_type == 1) {
        setting.rec_type = 1;
        setting.freq = m_dsd_freq;
        setting.bits = 1;
    } else {
        setting.rec_type = 0;
        setting.freq = m_pcm_freq;
        setting.bits = static_cast<uint16_t>(m_bits);
    }
    return CartovaController::sharedInstance().SetRecordSetting(setting);
}

TkError SettingManager::SetPcmFileFormat(TkPcmFileFormat format)
{
    m_pcm_file_format = format == TkPcmFileFormatFlac ? TkPcmFileFormatFlac : TkPcmFileFormatWav;
    return CartovaController::sharedInstance().SetPcmFileFormat(m_pcm_file_format, kFlacCompressionLevel);
}

bool SettingManager::SetTempDirectory(const QString& path)
{
    if (CartovaController::sharedInstance().SetTempDirectory(path) != TkErrorSuccess)
        return false;
    m_temp_path = path;
    return true;
}

bool SettingManager::IsTempDirectoryExists() const
{
    const QFileInfo fi(m_temp_path);
    return !m_temp_path.isEmpty() && fi.exists() && fi.isDir();
}

bool SettingManager::IsTempDirectoryWritable() const
{
    return !m_temp_path.isEmpty() && QFileInfo(m_temp_path).isWritable();
}

QString SettingManager::GetDefaultTempDirectory()
{
    const QStringList caches = QStandardPaths::standardLocations(QStandardPaths::GenericCacheLocation);
    if (caches.isEmpty() || caches.first().isEmpty())
        return QString();
    const QString path = QDir(caches.first()).filePath(QCoreApplication::applicationName());
    const QFileInfo fi(path);
    if (fi.exists())
        return fi.isDir() ? path : QString();
    return QDir().mkpath(path) ? path : QString();
}

std::optional<UsbDeviceEntry> SettingManager::usbDevice(int32_t vid, int32_t pid) const
{
    QString product;
    int64_t bcd = 0;
    if (CartovaController::sharedInstance().GetUsbDeviceDescription(vid, pid, product, bcd) != TkErrorSuccess)
        return std::nullopt;
    UsbDeviceEntry entry{product, std::nullopt};
    if (bcd >= 0)
        entry.bcdDevice = bcd;
    return entry;
}

std::optional<int64_t> SettingManager::maxRecordMinutes(const QString& folder, bool dsd, uint64_t rate,
                                                        const FreeSpaceQuery& freeSpace) const
{
    AudioDeviceInfo info;
    const bool known = CartovaController::sharedInstance().GetAudioDeviceInfo(info) == TkErrorSuccess;
    return MaxRecordMinutes(folder, RecordSpaceFormatFor(dsd, rate, known ? &info : nullptr), freeSpace);
}

void SettingManager::deleteTempLeftovers(const QString& folder) const
{
    CartovaController::sharedInstance().DeleteTempLeftovers(folder);
}
