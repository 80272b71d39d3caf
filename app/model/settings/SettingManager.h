// Recording settings that survive between runs, the chosen device and its description.
// Loads from QSettings when created, hands the temporary folder and the PCM file format
// to the framework and writes everything back when asked to save (Destructor).
#pragma once

#include "bridge/CartovaController.h"
#include "settings/DeviceIdentity.h"
#include "settings/MaxRecordTime.h"

#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>
#include <vector>

// Persisted keys.
inline const QString kKeyRecordFormat = QStringLiteral("Record Format");
inline const QString kKeyPcmFreq = QStringLiteral("Sampling Frequency (WAV)");
inline const QString kKeyDsdFreq = QStringLiteral("Sampling Frequency (DSF)");
inline const QString kKeyBitDepth = QStringLiteral("Bit Depth");
inline const QString kKeyTempDirectory = QStringLiteral("Temp Directory");
// "WAV" or "FLAC": the file format of PCM tracks; anything else is WAV.
inline const QString kKeyPcmFileFormat = QStringLiteral("PCM File Format");

// The FLAC compression level the program writes with (the framework's usual level).
inline constexpr int32_t kFlacCompressionLevel = 5;

class SettingManager {
public:
    SettingManager(); // init: initial values, then Constructor
    ~SettingManager();

    SettingManager(const SettingManager&) = delete;
    SettingManager& operator=(const SettingManager&) = delete;

    void Constructor();
    void Destructor();

    void RecognizeDevice();
    std::optional<QStringList> EnumDriverNames();
    int SetDriverName(const QString& name);
    QString GetDriverName() const { return m_driver_name; }
    TkError FetchDriverInfo();

    std::optional<std::vector<uint32_t>> GetAvailableFreq_PCM() const;
    std::optional<std::vector<uint32_t>> GetAvailableFreq_DSD() const;
    uint16_t GetAvailableBits() const;
    uint16_t channels() const;
    bool GetVid(int32_t& vid, int32_t& pid) const;

    int32_t GetRecType() const { return m_rec_type; }
    int SetRecType(int32_t type) { m_rec_type = type; return 0; }
    uint64_t GetPcmFreq() const { return m_pcm_freq; }
    int SetPcmFreq(uint64_t freq) { m_pcm_freq = freq; return 0; }
    uint64_t GetDsdFreq() const { return m_dsd_freq; }
    int SetDsdFreq(uint64_t freq) { m_dsd_freq = freq; return 0; }
    int16_t GetBits() const { return m_bits; }
    int SetBits(int16_t bits) { m_bits = bits; return 0; }

    TkError FetchSettingToToolkit();

    // The file format of PCM tracks; setting it also tells the framework.
    TkPcmFileFormat GetPcmFileFormat() const { return m_pcm_file_format; }
    TkError SetPcmFileFormat(TkPcmFileFormat format);

    // The USB product name and release of a device, as the framework reads them.
    std::optional<UsbDeviceEntry> usbDevice(int32_t vid, int32_t pid) const;
    // The one estimate of the recording time: whole minutes of a recording in the given
    // format (dsd: rate is the bit rate) that fit into folder, with the chosen device's
    // channels and sample storage; none when the free space cannot be read.
    std::optional<int64_t> maxRecordMinutes(const QString& folder, bool dsd, uint64_t rate,
                                            const FreeSpaceQuery& freeSpace = FolderFreeBytes) const;
    // Deletes the framework's leftover temporary files in folder.
    void deleteTempLeftovers(const QString& folder) const;

    bool SetTempDirectory(const QString& path);
    QString GetTempDirectory() const { return m_temp_path; }
    bool IsTempDirectoryExists() const;
    bool IsTempDirectoryWritable() const;

    // <user cache folder>/<application name>, created when missing; empty when unusable.
    static QString GetDefaultTempDirectory();

    const std::optional<AudioDeviceInfo>& deviceInfo() const { return info; }

private:
    std::optional<AudioDeviceInfo> info;
    int16_t m_bits = 16;
    int32_t m_rec_type = 0;
    QString m_driver_name;
    uint64_t m_pcm_freq = 44100;
    uint64_t m_dsd_freq = 2822400;
    QString m_temp_path;
    TkPcmFileFormat m_pcm_file_format = TkPcmFileFormatWav;
};
