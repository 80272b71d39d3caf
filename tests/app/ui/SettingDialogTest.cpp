// The settings dialog: rate texts, maximum recording time, the leftovers it may delete,
// the device's frequency lists and identity, and the temporary-folder choice.
#include "ScratchDesktop.h"
#include "FakeCartova.h"
#include "bridge/CartovaController.h"
#include "settings/SettingManager.h"
#include "settings/DeviceIdentity.h"
#include "settings/MaxRecordTime.h"
#include "settings/SamplingRateFormatter.h"
#include "settings/SettingDialog.h"
#include "settings/TemporaryFolderCheck.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

constexpr uint64_t kGiB = 1024ull * 1024 * 1024;

struct AlertLog {
    std::vector<std::pair<AlertKind, QString>> shown;
    bool answer = true;
    AlertHandler handler()
    {
        return [this](AlertKind kind, const QString& message, const QString&) {
            shown.emplace_back(kind, message);
            return answer;
        };
    }
};

class SettingDialogTest : public testing::Test {
protected:
    void SetUp() override
    {
        ResetFake();
        ScratchDesktop::ClearSettings();
        CartovaController::sharedInstance().Init();
    }
};

} // namespace

TEST(SamplingRateFormatter, TextsAndTheirReverseReading)
{
    EXPECT_EQ(SamplingRateFormatter::TextForRate(44100), "44.1 kHz");
    EXPECT_EQ(SamplingRateFormatter::TextForRate(48000), "48 kHz");
    EXPECT_EQ(SamplingRateFormatter::TextForRate(2822400), "2.8 MHz");
    EXPECT_EQ(SamplingRateFormatter::TextForRate(5644800), "5.6 MHz");
    EXPECT_EQ(SamplingRateFormatter::TextForRate(11289600), "11.3 MHz");
    EXPECT_EQ(SamplingRateFormatter::TextForRate(2000000), "2 MHz");
    EXPECT_EQ(SamplingRateFormatter::stringForObjectValue(QVariant(192000)), "192 kHz");
    EXPECT_EQ(SamplingRateFormatter::stringForObjectValue(QVariant(QStringLiteral("48000"))), "");

    EXPECT_EQ(SamplingRateFormatter::RateForText("44.1 kHz"), 44100u);
    EXPECT_EQ(SamplingRateFormatter::RateForText("2.8 MHz"), 2800000u); // the text is rounded
    EXPECT_EQ(SamplingRateFormatter::RateForText("48 kHz"), 48000u);
    for (const char* refused : {"48kHz", "48 Hz", "48  kHz", "kHz", "", "x kHz", "1 2 MHz", "-1 kHz"})
        EXPECT_FALSE(SamplingRateFormatter::RateForText(QString::fromLatin1(refused))) << refused;
}

TEST(MaxRecordTime, MinutesForTheTwoFormats)
{
    const uint64_t dsd = RecordBytesPerSecond({true, 2822400, 2, 32});
    EXPECT_EQ(dsd, 882000u);
    EXPECT_EQ(MinutesForSpace(5 * kGiB, dsd), 101);
    const uint64_t pcm = RecordBytesPerSecond({false, 44100, 2, 24});
    EXPECT_EQ(pcm, 441000u);
    EXPECT_EQ(MinutesForSpace(kGiB, pcm), 40);
    EXPECT_EQ(MinutesForSpace(kGiB, 0), 0);
    EXPECT_EQ(MaxRecordTimeText(40), "Maximum recording time : approx. 40 min");
}

TEST(MaxRecordTime, FreeSpaceOfAFolderAndTheDeviceFallbacks)
{
    QTemporaryDir dir;
    EXPECT_TRUE(FolderFreeBytes(dir.path()).has_value());
    EXPECT_FALSE(FolderFreeBytes(dir.filePath("missing")).has_value());
    // An unknown device counts as two channels in 32-bit containers.
    const RecordSpaceFormat unknown = RecordSpaceFormatFor(false, 96000, nullptr);
    EXPECT_EQ(unknown.channels, 2u);
    EXPECT_EQ(unknown.recordBits, 32u);
    AudioDeviceInfo mono;
    mono.i_ch = 1;
    mono.PCM_record_bits = 24;
    const RecordSpaceFormat known = RecordSpaceFormatFor(false, 96000, &mono);
    EXPECT_EQ(known.channels, 1u);
    EXPECT_EQ(known.recordBits, 24u);
    EXPECT_FALSE(MaxRecordMinutes(dir.filePath("missing"), known).has_value());
}

TEST(DeviceIdentity, FirmwareVersionFromTheReleaseNumber)
{
    EXPECT_EQ(FirmwareVersionSuffix(0x0123), " 1.2.3");
    EXPECT_EQ(FirmwareVersionSuffix(0x1A5F), " 10.5.15");
}

TEST(TemporaryFolderCheck, LocalWritableAndSameVolume)
{
    QTemporaryDir dir;
    EXPECT_TRUE(IsLocalVolume(dir.path()));
    EXPECT_TRUE(IsWritableFolder(dir.path()));
    EXPECT_FALSE(IsOnOtherVolume(dir.path(), dir.path()));
    EXPECT_TRUE(IsOnOtherVolume(dir.filePath("missing"), dir.path()));
    EXPECT_TRUE(IsRemoteFileSystemType("nfs4"));
    EXPECT_TRUE(IsRemoteFileSystemType("fuse.sshfs"));
    EXPECT_FALSE(IsRemoteFileSystemType("ext4"));
    if (geteuid() != 0) { // root writes anywhere
        QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner);
        EXPECT_FALSE(IsWritableFolder(dir.path()));
        QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
}

TEST_F(SettingDialogTest, PcmOnlyDeviceDisablesDsdAndShowsItsIdentity)
{
    SettingManager manager; // the fake device offers 44.1 and 48 kHz PCM only
    SettingDialog dialog;
    EXPECT_TRUE(dialog.isRecModeDsd()); // before any device is known
    EXPECT_EQ(dialog.deviceNameText(), "QT-LVXXXXUSB");
    manager.RecognizeDevice();
    manager.FetchDriverInfo();
    dialog.setIsRecModeDsd(true);
    dialog.setSettingManager(&manager);

    EXPECT_FALSE(dialog.isDsdEnabled());
    EXPECT_TRUE(dialog.isPcmEnabled());
    EXPECT_FALSE(dialog.isRecModeDsd());
    EXPECT_FALSE(dialog.isDsdComboEnabled());
    EXPECT_TRUE(dialog.isPcmComboEnabled());
    EXPECT_TRUE(dialog.isBitDepthComboEnabled());
    EXPECT_EQ(dialog.pcmFrequencyTexts(), (QStringList{"44.1 kHz", "48 kHz"}));
    EXPECT_TRUE(dialog.dsdFrequencyTexts().isEmpty());
    EXPECT_EQ(dialog.DsdSamplingRate(), -1);
    dialog.setIsRecModeDsd(true); // only PCM is possible
    EXPECT_FALSE(dialog.isRecModeDsd());

    EXPECT_EQ(dialog.deviceNameText(), "QT-LV200");
    EXPECT_EQ(dialog.versionText(), "Software Version 1.0.2");
}

TEST_F(SettingDialogTest, VersionLineFromTheUsbRegistryAndNoDevice)
{
    SettingDialog dialog;
    dialog.setUsbDeviceLookup([](int32_t vid, int32_t pid) -> std::optional<UsbDeviceEntry> {
        if (vid == 7 && pid == 9)
            return UsbDeviceEntry{"Turntable", 0x0123};
        return std::nullopt;
    });
    dialog.SetVid(7, 9);
    EXPECT_EQ(dialog.deviceNameText(), "Turntable");
    EXPECT_EQ(dialog.versionText(), "Software Version 1.2.3");
    dialog.SetVid(7, 10);
    EXPECT_EQ(dialog.deviceNameText(), "---");
    EXPECT_EQ(dialog.versionText(), "");
    dialog.SetVid(-1, -1);
    EXPECT_EQ(dialog.deviceNameText(), "---");
}

TEST_F(SettingDialogTest, ListsKeepTheChosenValueAndNoDeviceGivesDefaults)
{
    Fake().devices.clear(); // no device: default lists
    SettingManager manager;
    SettingDialog dialog;
    dialog.setSettingManager(&manager);
    EXPECT_EQ(dialog.dsdFrequencyTexts(), (QStringList{"2.8 MHz", "5.6 MHz"}));
    EXPECT_EQ(dialog.pcmFrequencyTexts(), (QStringList{"44.1 kHz", "48 kHz", "96 kHz", "192 kHz"}));
    EXPECT_EQ(dialog.deviceNameText(), "---");

    dialog.setPcmSamplingRate(96000);
    dialog.setDsdSamplingRate(5644800);
    dialog.setDsdSamplingRate(11289600); // not offered: selection unchanged
    EXPECT_EQ(dialog.DsdSamplingRate(), 5644800);
    dialog.setAvailableFreq_PCM({48000, 96000, 192000, 384000});
    EXPECT_EQ(dialog.PcmSamplingRate(), 96000);
    dialog.setAvailableFreq_PCM({44100, 48000});
    EXPECT_EQ(dialog.PcmSamplingRate(), 44100); // gone: the first item

    dialog.setPcmBitDepth(24);
    EXPECT_EQ(dialog.PcmBitDepth(), 24);
    dialog.setPcmBitDepth(20);
    EXPECT_EQ(dialog.PcmBitDepth(), 16);

    // The file format: WAV unless FLAC is chosen, named in the PCM choice.
    EXPECT_EQ(dialog.PcmFileFormat(), TkPcmFileFormatWav);
    EXPECT_EQ(dialog.pcmButtonText(), "PCM (.wav)");
    dialog.setPcmFileFormat(TkPcmFileFormatFlac);
    EXPECT_EQ(dialog.PcmFileFormat(), TkPcmFileFormatFlac);
    EXPECT_EQ(dialog.pcmButtonText(), "PCM (.flac)");
    dialog.setPcmFileFormat(7);
    EXPECT_EQ(dialog.PcmFileFormat(), TkPcmFileFormatWav);

    dialog.setIsRecModeDsd(true);
    EXPECT_TRUE(dialog.isRecModeDsd());
    EXPECT_FALSE(dialog.isBitDepthComboEnabled());
    EXPECT_FALSE(dialog.isFileFormatComboEnabled());
    dialog.PCMClicked();
    EXPECT_TRUE(dialog.isFileFormatComboEnabled());
    EXPECT_FALSE(dialog.isRecModeDsd());
    EXPECT_FALSE(dialog.isDsdComboEnabled());
}

TEST_F(SettingDialogTest, MaximumTimeLabels)
{
    QTemporaryDir dir;
    SettingDialog dialog;
    uint64_t freeBytes = 5 * kGiB;
    dialog.setFreeSpaceQuery([&](const QString&) -> std::optional<uint64_t> {
        if (freeBytes == 0)
            return std::nullopt;
        return freeBytes;
    });
    dialog.setTemporaryDirectory(dir.path());
    dialog.setIsRecModeDsd(true); // 2.8 MHz, no device: stereo
    dialog.updateMaxTime();
    EXPECT_TRUE(dialog.isMaxTimeMaxShown()); // 101 minutes
    EXPECT_FALSE(dialog.isMaxTimeShown());

    Fake().recordBits = 24;
    SettingManager manager;
    manager.RecognizeDevice(); // the fake device: stereo, 24-bit samples
    dialog.setSettingManager(&manager);
    dialog.PCMClicked();
    freeBytes = kGiB;
    Fake().leftoverFolders.clear();
    dialog.updateMaxTime();
    // The framework clears its leftovers from the folder before it is measured.
    EXPECT_EQ(Fake().leftoverFolders, std::vector<std::string>{dir.path().toStdString()});
    EXPECT_TRUE(dialog.isMaxTimeShown());
    EXPECT_FALSE(dialog.isMaxTimeMaxShown());
    EXPECT_EQ(dialog.maxTimeText().toStdString(), "Maximum recording time : approx. 40 min");

    freeBytes = 0; // unreadable
    dialog.updateMaxTime();
    EXPECT_TRUE(dialog.isMaxTimeErrShown());
    EXPECT_FALSE(dialog.isMaxTimeShown());
}

TEST_F(SettingDialogTest, BrowseRefusesUnusableFoldersAndAsksForAnotherVolume)
{
    QTemporaryDir defaults;
    QTemporaryDir chosen;
    AlertLog alerts;
    SettingDialog dialog;
    dialog.setAlertHandler(alerts.handler());
    dialog.setDefaultDirectory(defaults.path());
    dialog.setTemporaryDirectory(defaults.path());
    QString startedAt;
    QString answer;
    dialog.setFolderChooser([&](const QString& title, const QString& start) {
        EXPECT_EQ(title, "Browse Folders");
        startedAt = start;
        return answer;
    });

    answer = QString(); // cancelled
    dialog.BrowseClicked();
    EXPECT_EQ(startedAt, defaults.path());
    EXPECT_EQ(dialog.temporaryDirectory(), defaults.path());
    EXPECT_TRUE(alerts.shown.empty());

    answer = chosen.path(); // same volume: taken without asking
    dialog.BrowseClicked();
    EXPECT_EQ(dialog.temporaryDirectory(), chosen.path());
    EXPECT_TRUE(alerts.shown.empty());

    answer = chosen.filePath("missing"); // cannot be used
    dialog.BrowseClicked();
    ASSERT_EQ(alerts.shown.size(), 1u);
    EXPECT_EQ(alerts.shown[0].second, "You cannot specify the folder as the temporary file storage.");
    EXPECT_EQ(dialog.temporaryDirectory(), chosen.path());

    dialog.setDefaultDirectory(defaults.filePath("gone")); // its volume cannot be queried: "other"
    alerts.answer = false;
    answer = defaults.path();
    dialog.BrowseClicked();
    ASSERT_EQ(alerts.shown.size(), 2u);
    EXPECT_EQ(alerts.shown[1].first, AlertKind::YesNo);
    EXPECT_EQ(dialog.temporaryDirectory(), chosen.path()); // "No" abandons

    dialog.setDefaultDirectory(defaults.path());
    dialog.ResetClicked();
    EXPECT_EQ(dialog.temporaryDirectory(), defaults.path());
}
