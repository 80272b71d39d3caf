// Settings load and save rules over a scratch QSettings store, and the bridge's
// re-posting of framework callbacks as notifications.
#include "ScratchDesktop.h"
#include "FakeCartova.h"
#include "bridge/CartovaController.h"
#include "settings/SettingManager.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <gtest/gtest.h>
#include <thread>

namespace {

class SettingManagerTest : public testing::Test {
protected:
    void SetUp() override
    {
        ResetFake();
        ScratchDesktop::ClearSettings();
    }
};

void Store(const QString& key, const QVariant& value)
{
    QSettings s;
    s.setValue(key, value);
    s.sync();
}

void RunPostedTasks()
{
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    QCoreApplication::sendPostedEvents();
}

} // namespace

TEST_F(SettingManagerTest, EmptyStoreGivesDefaultsAndCreatesTheDefaultFolder)
{
    SettingManager m;
    EXPECT_EQ(m.GetRecType(), 0);
    EXPECT_EQ(m.GetPcmFreq(), 44100u);
    EXPECT_EQ(m.GetDsdFreq(), 2822400u);
    EXPECT_EQ(m.GetBits(), 16);
    const QString expected = QDir(QStandardPaths::standardLocations(QStandardPaths::GenericCacheLocation).first())
                                 .filePath(QCoreApplication::applicationName());
    EXPECT_EQ(m.GetTempDirectory(), expected);
    EXPECT_TRUE(QFileInfo(expected).isDir());
    EXPECT_EQ(Fake().tempDirectory, expected.toStdString()); // handed to the framework
    EXPECT_TRUE(m.IsTempDirectoryExists());
    EXPECT_TRUE(m.IsTempDirectoryWritable());
}

TEST_F(SettingManagerTest, LoadRules)
{
    Store(kKeyRecordFormat, "dsf");
    Store(kKeyBitDepth, 8);
    Store(kKeyPcmFreq, 0);
    Store(kKeyDsdFreq, 5644800);
    {
        SettingManager m;
        EXPECT_EQ(m.GetRecType(), 0); // only "DSF" exactly selects DSD
        EXPECT_EQ(m.GetBits(), 16);
        EXPECT_EQ(m.GetPcmFreq(), 44100u);
        EXPECT_EQ(m.GetDsdFreq(), 5644800u);
    }
    Store(kKeyRecordFormat, "DSF");
    Store(kKeyBitDepth, 24);
    SettingManager m;
    EXPECT_EQ(m.GetRecType(), 1);
    EXPECT_EQ(m.GetBits(), 24);
}

TEST_F(SettingManagerTest, TempDirectoryNamingAFileIsKept)
{
    const QString file = QDir(QDir::tempPath()).filePath("sillaro-settings-test-file");
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();
    Store(kKeyTempDirectory, file);
    SettingManager m;
    EXPECT_EQ(m.GetTempDirectory(), file);
    EXPECT_FALSE(m.IsTempDirectoryExists());
    QFile::remove(file);
}

TEST_F(SettingManagerTest, SaveWritesEveryKey)
{
    SettingManager m;
    m.SetRecType(1);
    m.SetDsdFreq(11289600);
    m.SetBits(24);
    m.SetPcmFreq(96000);
    m.Destructor();
    QSettings s;
    EXPECT_EQ(s.value(kKeyRecordFormat).toString(), "DSF");
    EXPECT_EQ(s.value(kKeyDsdFreq).toULongLong(), 11289600u);
    EXPECT_EQ(s.value(kKeyPcmFreq).toULongLong(), 96000u);
    EXPECT_EQ(s.value(kKeyBitDepth).toInt(), 24);
    EXPECT_EQ(s.value(kKeyTempDirectory).toString(), m.GetTempDirectory());

    m.SetRecType(0);
    m.Destructor();
    EXPECT_EQ(QSettings().value(kKeyRecordFormat).toString(), "WAV");
}

TEST_F(SettingManagerTest, PcmFileFormatIsLoadedSavedAndHandedToTheFramework)
{
    const struct {
        QVariant stored;
        TkPcmFileFormat loaded;
    } cases[] = {{QVariant(), TkPcmFileFormatWav},
                 {"WAV", TkPcmFileFormatWav},
                 {"FLAC", TkPcmFileFormatFlac},
                 {"flac", TkPcmFileFormatWav}, // only "FLAC" exactly selects FLAC
                 {"OGG", TkPcmFileFormatWav}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stored.toString().toStdString());
        ResetFake();
        ScratchDesktop::ClearSettings();
        if (c.stored.isValid())
            Store(kKeyPcmFileFormat, c.stored);
        SettingManager m;
        EXPECT_EQ(m.GetPcmFileFormat(), c.loaded);
        EXPECT_EQ(Fake().pcmFileFormat, c.loaded);
        EXPECT_EQ(Fake().compressionLevel, 5);
        // Saving writes the key back, the default included.
        m.Destructor();
        EXPECT_EQ(QSettings().value(kKeyPcmFileFormat).toString(), c.loaded == TkPcmFileFormatFlac ? "FLAC" : "WAV");
    }
}

TEST_F(SettingManagerTest, DeviceQueriesWithAndWithoutInfo)
{
    SettingManager m;
    EXPECT_EQ(m.GetAvailableBits(), 24);
    EXPECT_EQ(m.channels(), 2);
    int32_t vid = 0, pid = 0;
    EXPECT_FALSE(m.GetVid(vid, pid));
    EXPECT_EQ(vid, -1);
    EXPECT_FALSE(m.GetAvailableFreq_PCM().has_value());

    m.RecognizeDevice();
    EXPECT_EQ(Fake().selected, "QT-LV200");
    EXPECT_TRUE(m.GetDriverName().isEmpty()); // recognising does not change the stored name
    ASSERT_EQ(m.FetchDriverInfo(), TkErrorSuccess);
    EXPECT_TRUE(m.GetVid(vid, pid));
    EXPECT_EQ(vid, 0x1234);
    EXPECT_EQ(m.GetAvailableFreq_PCM()->size(), 2u);

    EXPECT_EQ(m.SetDriverName("missing"), -1);
    EXPECT_EQ(m.SetDriverName("QT-LV200"), 0);
    EXPECT_EQ(m.GetDriverName(), "QT-LV200");

    m.SetRecType(1);
    ASSERT_EQ(m.FetchSettingToToolkit(), TkErrorSuccess);
    EXPECT_EQ(Fake().lastSetting.rec_type, 1);
    EXPECT_EQ(Fake().lastSetting.freq, 2822400u);
    EXPECT_EQ(Fake().lastSetting.bits, 1);

    Fake().setTempDirectoryResult = TkErrorFailed;
    const QString before = m.GetTempDirectory();
    EXPECT_FALSE(m.SetTempDirectory("/nowhere"));
    EXPECT_EQ(m.GetTempDirectory(), before);
}

TEST(CartovaControllerTest, CallbacksArePostedInOrderWithTheMessage)
{
    ResetFake();
    CartovaController& bridge = CartovaController::sharedInstance();
    ASSERT_EQ(bridge.Init(), TkErrorSuccess);
    const ICartovaDelegate* d = Fake().delegate;
    ASSERT_NE(d, nullptr);

    std::vector<QString> seen;
    QObject receiver;
    QObject::connect(&bridge, &CartovaController::operation, &receiver,
                     [&](TkRecOperation op) { seen.push_back(QStringLiteral("operation:%1").arg(op)); });
    QObject::connect(&bridge, &CartovaController::streamPosition, &receiver,
                     [&](double t) { seen.push_back(QStringLiteral("stream:%1").arg(t)); });
    QObject::connect(&bridge, &CartovaController::convertPosition, &receiver,
                     [&](double t) { seen.push_back(QStringLiteral("convert:%1").arg(t)); });
    QObject::connect(&bridge, &CartovaController::frameworkError, &receiver, [&](TkNotifyError code, const QString& m) {
        seen.push_back(QStringLiteral("error:%1:%2").arg(code).arg(m));
    });

    // The engine posts tasks, from any thread; each task calls one notification.
    struct Task {
        const ICartovaDelegate* d;
        int kind;
    };
    auto run = [](void* p) {
        auto* t = static_cast<Task*>(p);
        switch (t->kind) {
        case 0: t->d->NotifyOperationProc(t->d->context, TkRecOperationCaptureStarted); break;
        case 1: t->d->NotifyStreamPosProc(t->d->context, 1.5); break;
        case 2: t->d->NotifyConvertPosProc(t->d->context, 0.5); break;
        case 3: t->d->NotifyErrorMessageProc(t->d->context, TkNotifyFileSkipped, ""); break;
        }
    };
    Task tasks[] = {{d, 0}, {d, 1}, {d, 2}, {d, 3}};
    std::thread worker([&]() {
        for (Task& t : tasks)
            d->post_to_main_queue(d->context, run, &t);
    });
    worker.join();
    EXPECT_TRUE(seen.empty()); // nothing runs until the event loop does
    RunPostedTasks();

    const std::vector<QString> expected{"operation:1", "stream:1.5", "convert:0.5", "error:4:"};
    EXPECT_EQ(seen, expected);
}
