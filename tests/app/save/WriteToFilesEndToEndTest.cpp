// Write to Files in the complete program on the simulated turntable under Xvfb, through
// the real window and dialogs: a recording cut by two markers into three tracks, named in
// Japanese, one of them unchecked, written with +3 dB into a folder picked in the folder
// chooser; the files are read back by ffprobe, Python mutagen and sox. The same with FLAC
// chosen in the settings and a cover picked in the write dialog: flac tests the files and
// mutagen reads their tags and picture. A recording in DSD is cancelled while its file is
// being written, and nothing of it stays behind. Repair Clicks marks the turntable's clicks
// and the track written has them rebuilt, every other sample as recorded.
#include "ScratchDesktop.h"
#include "AlertClicker.h"
#include "ProgramWindows.h"
#include "WaitFor.h"
#include "XKeyboard.h"
#include "root/AppDelegate.h"
#include "bridge/CartovaController.h"
#include "document/Document.h"
#include "control/ControlManager.h"
#include "control/RecoveryFlow.h"
#include "state/ModeTimeManager.h"
#include "settings/SettingManager.h"
#include "root/SimulateOption.h"
#include "marker/MarkerManager.h"
#include "indicator/Indicator_Setting.h"
#include "save/CoverThumbnail.h"
#include "save/SaveDialogItemView.h"
#include "support/ExternalReaders.h"
#include "support/JournalOnDisk.h"
#include "update/UpdateServer.h"
#include "support/RecordSide.h"
#include "support/SourceWav.h"
#include "window/MainWindow.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <cmath>
#include <gtest/gtest.h>

namespace {

const QString kOutputDir = QStringLiteral(CARTOVA_SOURCE_DIR "/tests/output");
constexpr int kPatienceMs = 120000;
const QString kStartMessage =
    QStringLiteral("Play the vinyl record on the turntable and click the \"Start Recording\" button.");

// Text as an input method delivers it (how Japanese reaches a field), replacing what is there.
void Type(QLineEdit* field, const QString& text)
{
    field->setFocus();
    field->selectAll();
    QInputMethodEvent commit;
    commit.setCommitString(text);
    QApplication::sendEvent(field, &commit);
}

void Click(QAbstractButton* button)
{
    QTest::mouseClick(button, Qt::LeftButton);
}

// Picks path (a folder or a file) in the chooser the program opens, typed into its name
// field as a user would.
void ChooseWhenAsked(AlertClicker& clicker, const QString& path)
{
    clicker.onModal(QStringLiteral("QFileDialog"), [path](QWidget* chooser) {
        auto* name = chooser->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        ASSERT_NE(name, nullptr);
        name->setText(path);
        QMetaObject::invokeMethod(chooser, "accept"); // as its "Choose" or "Open" button does
    });
}

// FLAC as the PCM file format, chosen with the keyboard in the settings dialog.
void ChooseFlacInTheSettings(AlertClicker& clicker, MainWindow& window)
{
    clicker.onModal(QStringLiteral("SettingDialog"), [](QWidget* dialog) {
        auto* format = dialog->findChild<QComboBox*>(QStringLiteral("combo_file_format"));
        ASSERT_NE(format, nullptr);
        format->setFocus();
        QTest::keyClick(format, Qt::Key_Down); // WAV, then FLAC
        Click(dialog->findChild<QPushButton*>(QStringLiteral("button_ok")));
    });
    Click(window.controls().indicatorSetting);
}

std::vector<SaveDialogItemView*> Rows(QWidget* dialog)
{
    std::vector<SaveDialogItemView*> rows;
    for (SaveDialogItemView* row : dialog->findChildren<SaveDialogItemView*>())
        if (row->isVisible())
            rows.push_back(row);
    std::sort(rows.begin(), rows.end(), [](QWidget* a, QWidget* b) { return a->y() < b->y(); });
    return rows;
}

// The write dialog filled as a user would: the album, its artist and the titles of three
// tracks, the second of them unchecked.
void FillThreeTracks(QWidget* dialog, const QString& album, const QString& artist, const QStringList& titles)
{
    Type(dialog->findChild<QLineEdit*>(QStringLiteral("edit_album_name")), album);
    Type(dialog->findChild<QLineEdit*>(QStringLiteral("edit_album_artist")), artist);
    const std::vector<SaveDialogItemView*> rows = Rows(dialog);
    ASSERT_EQ(rows.size(), 3u);
    for (size_t i = 0; i < rows.size(); ++i)
        Type(rows[i]->trackTitleField(), titles[int(i)]);
    Click(rows[1]->checkBox());
}

// Starts the program with the given recording format, records until `seconds` of the
// recording are there and stops into the edit mode.
class RecordedSession {
public:
    // prepare runs in the ready state, before the record button is pressed.
    RecordedSession(AlertClicker& clicker, const QString& format, double seconds,
                    const std::function<void(MainWindow&)>& prepare = {})
    {
        QSettings().setValue(kKeyRecordFormat, format);
        QSettings().setValue(kKeyDsdFreq, 2822400);
        QSettings().setValue(kKeyPcmFreq, 44100);
        QSettings().setValue(kKeyBitDepth, 16);
        QSettings().setValue(kKeyPcmFileFormat, QStringLiteral("WAV"));
        clicker.answer(kStartMessage, "Start Recording");
        app = std::make_unique<AppDelegate>();
        app->launch(); // the real window and dialogs
        window = app->window();
        ok = WaitFor([&] { return window->isVisible() && Mtm().status() == ModeStatusReady; }, kPatienceMs);
        if (!ok)
            return;
        if (prepare)
            prepare(*window);
        Click(window->controls().button_rec_start);
        ok = WaitFor([&] { return Mtm().status() == ModeStatusRecording; }, kPatienceMs) &&
             WaitFor([&] { return Mtm().currentTime() >= seconds; }, kPatienceMs);
        if (!ok)
            return;
        Click(window->controls().button_rec_stop);
        ok = WaitFor([&] { return Mtm().status() == ModeStatusEditStopped; }, kPatienceMs);
    }

    ~RecordedSession()
    {
        app->shutdown();
        app.reset();
    }

    static ModeTimeManager& Mtm() { return ModeTimeManager::sharedInstance(); }

    void addMarkerAt(double seconds)
    {
        Mtm().setCurrentTime(seconds);
        Click(window->controls().button_marker_add);
    }

    std::unique_ptr<AppDelegate> app;
    MainWindow* window = nullptr;
    bool ok = false;
};

// The RMS level in dB of a stretch of interleaved samples.
double RmsDb(const std::vector<double>& samples)
{
    double sum = 0.0;
    for (double s : samples)
        sum += s * s;
    return 10.0 * std::log10(sum / static_cast<double>(samples.size()));
}

// The recorded preview (16-bit, what the wave shows) of [from, to) frames, as doubles.
std::vector<double> RecordedSamples(uint64_t from, uint64_t to)
{
    std::vector<int16_t> preview((to - from) * 2);
    CartovaController::sharedInstance().GetPreviewDataFrom(from, to, preview.data(), preview.size());
    return {preview.begin(), preview.end()};
}

// Hidden files too (a track being written has a hidden temporary name).
QStringList AllFilesIn(const QString& folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

QStringList FilesIn(const QString& folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::NoDotAndDotDot, QDir::Name);
}

// Write to Files clicked in the main window: fill handles the write dialog, which then
// writes into destination / album. The whole command runs inside the click: dialog, folder
// chooser, writing, progress; no alert may come up. The names of the files written.
QStringList WriteAlbum(AlertClicker& clicker, MainWindow& window, const QString& destination, const QString& album,
                       const std::function<void(QWidget* dialog)>& fill)
{
    bool filled = false;
    clicker.onModal(QStringLiteral("SaveDialog"), [&](QWidget* dialog) {
        fill(dialog);
        filled = true;
        ChooseWhenAsked(clicker, destination);
        Click(dialog->findChild<QPushButton*>(QStringLiteral("button_write")));
    });
    const qsizetype alertsBefore = clicker.messages().size();
    Click(window.controls().button_file_save);
    EXPECT_TRUE(filled);
    EXPECT_EQ(clicker.messages().mid(alertsBefore), QStringList()) << "no alert while writing";
    return FilesIn(destination + "/" + album);
}

// The whole of a text file, for a failure's message.
std::string TextOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : std::string();
}

// Presses chord until done() holds: a key pressed before the other program's window has
// the focus is lost, so it is pressed again after a while.
bool PressUntil(XKeyboard& keys, const QString& chord, const std::function<bool()>& done)
{
    for (int round = 0; round * 3000 < kPatienceMs; ++round) {
        keys.press(chord);
        if (WaitFor(done, 3000))
            return true;
    }
    return false;
}

} // namespace

TEST(WriteToFiles, WritesTheCheckedTracksWithJapaneseTagsAndGain)
{
    QTemporaryDir destination;
    QDir().mkpath(kOutputDir);
    AlertClicker clicker(kOutputDir);
    RecordedSession session(clicker, QStringLiteral("WAV"), 7.0);
    ASSERT_TRUE(session.ok) << clicker.messages().join('|').toStdString();
    session.addMarkerAt(2.0);
    session.addMarkerAt(4.0);
    ASSERT_EQ(session.app->markerManager()->count(), 4);
    session.app->controlManager()->setGain(3.0, false);
    const double total = RecordedSession::Mtm().totalTime();

    const QString album = QStringLiteral("夜明けの歌");
    const QStringList titles = {QStringLiteral("序曲"), QStringLiteral("月の光"), QStringLiteral("終わりに")};
    const QStringList files = WriteAlbum(clicker, *session.window, destination.path(), album, [&](QWidget* dialog) {
        FillThreeTracks(dialog, album, QStringLiteral("山田"), titles);
        EXPECT_EQ(dialog->findChild<QCheckBox*>(QStringLiteral("button_check"))->checkState(), Qt::PartiallyChecked);
        EXPECT_TRUE(dialog->grab().save(kOutputDir + "/sillaro-write-to-files.png"));
    });
    const QString folder = destination.path() + "/" + album;
    ASSERT_EQ(files.size(), 2) << files.join('|').toStdString();
    EXPECT_TRUE(files[0].startsWith("01_") && files[0].endsWith(".wav")) << files[0].toStdString();
    EXPECT_TRUE(files[1].startsWith("03_") && files[1].endsWith(".wav")) << files[1].toStdString();

    const struct {
        QString title;
        double start, end;
    } expected[] = {{titles[0], 0.0, 2.0}, {titles[2], 4.0, total}};
    for (int i = 0; i < 2; ++i) {
        const std::string path = (folder + "/" + files[i]).toStdString();
        SCOPED_TRACE(path);
        std::map<std::string, std::string> probe = saving::Probe(path);
        EXPECT_EQ(probe["sample_rate"], "44100");
        EXPECT_EQ(probe["channels"], "2");
        EXPECT_NEAR(std::stod(probe["duration"]), expected[i].end - expected[i].start, 1.0 / 44100.0);

        // The ID3 tag carries the names in Unicode (the RIFF INFO copy is in the Japanese
        // legacy code page, which ffprobe does not decode).
        std::map<std::string, std::string> id3;
        ASSERT_TRUE(saving::ReadId3WithMutagen(path, id3));
        EXPECT_EQ(id3["TIT2"], expected[i].title.toStdString());
        EXPECT_EQ(id3["TALB"], album.toStdString());
        EXPECT_EQ(id3["TPE2"], "山田");

        // +3 dB over what was recorded, as sox decodes it.
        std::vector<int32_t> decoded;
        ASSERT_TRUE(saving::DecodeWithSox(path, decoded));
        const uint64_t from = std::llround(expected[i].start * 44100.0);
        ASSERT_EQ(decoded.size() % 2, 0u);
        const std::vector<double> recorded = RecordedSamples(from, from + decoded.size() / 2);
        std::vector<double> written(decoded.size());
        std::transform(decoded.begin(), decoded.end(), written.begin(), [](int32_t v) { return v / 65536.0; });
        EXPECT_NEAR(RmsDb(written) - RmsDb(recorded), 3.0, 0.05);
    }
}

TEST(WriteToFiles, FlacChosenInTheSettingsWritesTaggedTracksWithTheCover)
{
    QTemporaryDir destination;
    QTemporaryDir pictures;
    QImage picture(120, 120, QImage::Format_RGB32);
    picture.fill(QColor(0xE6, 0xAD, 0x57));
    const QString cover = pictures.filePath(QStringLiteral("ジャケット.png"));
    ASSERT_TRUE(picture.save(cover));

    QDir().mkpath(kOutputDir);
    AlertClicker clicker(kOutputDir);
    RecordedSession session(clicker, QStringLiteral("WAV"), 7.0,
                            [&](MainWindow& window) { ChooseFlacInTheSettings(clicker, window); });
    ASSERT_TRUE(session.ok) << clicker.messages().join('|').toStdString();
    EXPECT_EQ(session.app->controlManager()->settingManager()->GetPcmFileFormat(), TkPcmFileFormatFlac);
    session.addMarkerAt(2.0);
    session.addMarkerAt(4.0);
    const QDate recorded = session.app->markerManager()->RecordingDate();
    ASSERT_TRUE(recorded.isValid());

    const QString album = QStringLiteral("Été");
    const QStringList titles = {QStringLiteral("夜"), QStringLiteral("Skipped"), QStringLiteral("Fin")};
    const QStringList files = WriteAlbum(clicker, *session.window, destination.path(), album, [&](QWidget* dialog) {
        FillThreeTracks(dialog, album, QStringLiteral("Trio"), titles);
        ChooseWhenAsked(clicker, cover);
        Click(dialog->findChild<QPushButton*>(QStringLiteral("button_cover")));
        EXPECT_TRUE(dialog->findChild<CoverThumbnail*>()->showsImage());
        EXPECT_TRUE(dialog->grab().save(kOutputDir + "/sillaro-write-to-files-flac-cover.png"));
    });
    const QString folder = destination.path() + "/" + album;
    ASSERT_EQ(files.size(), 2) << files.join('|').toStdString();
    QFile coverFile(cover);
    ASSERT_TRUE(coverFile.open(QIODevice::ReadOnly));
    const std::string coverHex = coverFile.readAll().toHex().toStdString();
    // The tags of the tool's tracks: the place among all three tracks, the total and the
    // day the recording started.
    const struct {
        const char* prefix;
        QString title;
        const char* number;
    } expected[] = {{"01_", titles[0], "1"}, {"03_", titles[2], "3"}};
    for (int i = 0; i < 2; ++i) {
        const std::string path = (folder + "/" + files[i]).toStdString();
        SCOPED_TRACE(path);
        EXPECT_TRUE(files[i].startsWith(expected[i].prefix) && files[i].endsWith(".flac"));
        std::string output;
        EXPECT_TRUE(saving::RunCommand("flac -t -s '" + path + "' 2>&1", output)) << output; // frames and MD5

        const std::multimap<std::string, std::string> facts = saving::ReadFlacWithMutagen(path);
        const std::pair<const char*, std::string> comments[] = {
            {"TITLE", expected[i].title.toStdString()}, {"ALBUM", album.toStdString()},
            {"ALBUMARTIST", "Trio"},                     {"TRACKNUMBER", expected[i].number},
            {"TRACKTOTAL", "3"},                         {"DATE", recorded.toString(Qt::ISODate).toStdString()}};
        for (const auto& [field, value] : comments) {
            const auto found = facts.find(std::string("COMMENT ") + field);
            ASSERT_NE(found, facts.end()) << field;
            EXPECT_EQ(found->second, value) << field;
        }
        ASSERT_EQ(facts.count("PICTURE"), 1u);
        EXPECT_EQ(facts.find("PICTURE")->second, "3 image/png 120 120 24 0 " + coverHex); // the front cover
    }
}

TEST(WriteToFiles, CancellingWhileWritingRemovesThePartialFileAndTheNewFolder)
{
    QTemporaryDir destination;
    AlertClicker clicker(kOutputDir);
    RecordedSession session(clicker, QStringLiteral("DSF"), 40.0);
    ASSERT_TRUE(session.ok) << clicker.messages().join('|').toStdString();
    // A gain makes the DSD file slow enough to write that the cancel lands in its middle.
    session.app->controlManager()->setGain(3.0, false);
    EXPECT_TRUE(clicker.hasSeen("Increasing the gain will result in a longer time in writing to files."));

    const QString folder = destination.path() + "/Cancelled";
    bool cancelled = false;
    clicker.onModal(QStringLiteral("SaveDialog"), [&](QWidget* dialog) {
        Type(dialog->findChild<QLineEdit*>(QStringLiteral("edit_album_name")), QStringLiteral("Cancelled"));
        clicker.onModal(QStringLiteral("ProgressDialog"), [&](QWidget* progress) {
            // Cancelled once the file is being written (under its hidden temporary name), as a
            // user would.
            EXPECT_TRUE(WaitFor([&] { return !AllFilesIn(folder).isEmpty(); }, kPatienceMs));
            Click(progress->findChild<QPushButton*>(QStringLiteral("cancel")));
            cancelled = true;
        });
        ChooseWhenAsked(clicker, destination.path());
        Click(dialog->findChild<QPushButton*>(QStringLiteral("button_write")));
    });
    Click(session.window->controls().button_file_save);
    ASSERT_TRUE(cancelled);
    EXPECT_FALSE(QFileInfo::exists(folder)) << AllFilesIn(folder).join('|').toStdString();
    EXPECT_EQ(clicker.messages(),
              (QStringList{kStartMessage, "Increasing the gain will result in a longer time in writing to files."}));
}

TEST(WriteToFiles, RepairClicksMarksThePlacesAndWritesTheTrackWithoutItsClicks)
{
    QTemporaryDir destination;
    AlertClicker clicker(kOutputDir);
    RecordedSession session(clicker, QStringLiteral("WAV"), 9.0); // the turntable clicks about every 1.5 s
    ASSERT_TRUE(session.ok) << clicker.messages().join('|').toStdString();
    clicker.onModal(QStringLiteral("RepairClicksDialog"), [&](QWidget* dialog) {
        EXPECT_TRUE(dialog->grab().save(kOutputDir + "/sillaro-repair-clicks.png"));
        QTest::keyClick(dialog, Qt::Key_Return); // "Repair", the default
    });
    session.window->controls().menu_edit_repair_clicks->trigger(); // dialog, progress and result inside
    const ClickMarks& marks = session.app->document().clickMarks();
    ASSERT_GE(marks.repairedCount(), 3) << clicker.messages().join('|').toStdString();
    EXPECT_TRUE(clicker.hasSeen(QStringLiteral("Clicks repaired: %1").arg(marks.repairedCount())));
    EXPECT_TRUE(session.window->controls().clickCountLabel->isVisible());
    EXPECT_EQ(session.window->controls().menu_edit_undo->text(), "Undo Repair Clicks");
    Click(session.window->controls().button_view_zoom_in); // ten pixels a second: the marks apart
    RecordedSession::Mtm().setCurrentTime(4.5);
    EXPECT_TRUE(session.window->grab().save(kOutputDir + "/sillaro-repair-clicks-marks.png"));

    const QStringList files = WriteAlbum(clicker, *session.window, destination.path(), QStringLiteral("Repaired"),
                                         [](QWidget* dialog) {
                                             Type(dialog->findChild<QLineEdit*>(QStringLiteral("edit_album_name")),
                                                  QStringLiteral("Repaired"));
                                         });
    ASSERT_EQ(files.size(), 1);
    std::vector<int32_t> decoded;
    ASSERT_TRUE(saving::DecodeWithSox((destination.path() + "/Repaired/" + files[0]).toStdString(), decoded));
    std::vector<double> written(decoded.size());
    std::transform(decoded.begin(), decoded.end(), written.begin(), [](int32_t v) { return v / 65536.0; });
    const std::vector<double> recorded = RecordedSamples(0, written.size() / 2);

    // The written track is the recording except inside the repaired places; the turntable's
    // clicks (steps of about 0.12 of full scale from one sample to the next) are smoothed to a
    // quarter of their step or to the steps of the music in the 10 ms before them.
    const auto largestStep = [](const std::vector<double>& x, size_t first, size_t end) {
        double step = 0.0;
        for (size_t i = 2 * first + 2; i < 2 * end; ++i)
            step = std::max(step, std::abs(x[i] - x[i - 2]));
        return step;
    };
    std::vector<bool> inPlace(recorded.size(), false);
    int clicks = 0;
    for (const ClickPlace& place : marks.places()) {
        const auto first = static_cast<size_t>(std::llround(place.seconds * 44100.0));
        const auto end = std::min(recorded.size() / 2, first + static_cast<size_t>(std::llround(place.length * 44100.0)));
        std::fill(inPlace.begin() + 2 * first, inPlace.begin() + 2 * end, true);
        const size_t from = first >= 441 + 5 ? first - 5 : 0, to = std::min(recorded.size() / 2, end + 5);
        const double step = largestStep(recorded, from, to);
        if (place.repaired && step > 2000.0 && from > 0) {
            ++clicks;
            EXPECT_LT(largestStep(written, from, to), std::max(step / 4.0, 1.5 * largestStep(recorded, from - 441, from)))
                << "a click at " << place.seconds << " s";
        }
    }
    EXPECT_GE(clicks, 3);
    for (size_t i = 0; i < recorded.size(); ++i)
        ASSERT_TRUE(inPlace[i] || written[i] == recorded[i]) << "sample " << i << " changed outside the places";
}

// Run with SILLARO_TEST_SIDE set (the simulated turntable plays the short side): Find Track Gaps
// suggests the gaps and where the music starts and ends, Return accepts, and Write to Files
// writes the three tracks and leaves the lead-in and run-out out.
TEST(TrackFinding, FindTrackGapsOnASideWithLeadInAndRunOutWritesItsTracks)
{
    if (qEnvironmentVariableIsEmpty("SILLARO_TEST_SIDE"))
        GTEST_SKIP() << "runs as test_app_tracks_e2e";
    SideTruth truth;
    SideSignal(ShortSidePlan(), 44100, truth);
    QTemporaryDir destination;
    AlertClicker clicker(kOutputDir);
    RecordedSession session(clicker, QStringLiteral("WAV"), 26.0);
    ASSERT_TRUE(session.ok) << clicker.messages().join('|').toStdString();
    clicker.onModal(QStringLiteral("TrackGapsDialog"), [&](QWidget* dialog) {
        EXPECT_EQ(session.app->document().suggestedMarkers().size(), 4u) << "two gaps, the music's start and end";
        EXPECT_TRUE(session.window->grab().save(kOutputDir + "/sillaro-track-gaps-suggested.png"));
        EXPECT_TRUE(dialog->grab().save(kOutputDir + "/sillaro-track-gaps.png"));
        QTest::keyClick(dialog, Qt::Key_Return); // "Add Markers"
    });
    Click(session.window->controls().button_view_zoom_in); // ten pixels a second: the suggestions apart
    RecordedSession::Mtm().setCurrentTime(13.0);
    session.window->controls().menu_edit_find_track_gaps->trigger();
    MarkerManager& markers = *session.app->markerManager();
    ASSERT_EQ(markers.count(), 6) << clicker.messages().join('|').toStdString();
    const std::vector<int32_t> ids = markers.EnumMarkerId();
    EXPECT_GT(markers.GetMarkerPositionFromId(ids[1]), truth.needleDown - 0.5);
    EXPECT_LT(markers.GetMarkerPositionFromId(ids[1]), truth.trackStarts[0]);
    for (size_t gap = 0; gap < 2; ++gap) {
        const double at = markers.GetMarkerPositionFromId(ids[2 + gap]);
        EXPECT_GT(at, truth.trackEnds[gap] - 0.5);
        EXPECT_LT(at, truth.trackStarts[gap + 1]);
    }

    const QStringList files = WriteAlbum(clicker, *session.window, destination.path(), QStringLiteral("Side"),
                                         [&](QWidget* dialog) {
                                             Type(dialog->findChild<QLineEdit*>(QStringLiteral("edit_album_name")),
                                                  QStringLiteral("Side"));
                                             EXPECT_EQ(Rows(dialog).size(), 5u);
                                         });
    ASSERT_EQ(files.size(), 3) << files.join('|').toStdString(); // the lead-in and run-out left out
    for (int i = 0; i < 3; ++i) {
        const double expected = markers.GetMarkerPositionFromId(ids[i + 2]) - markers.GetMarkerPositionFromId(ids[i + 1]);
        const std::string path = (destination.path() + "/Side/" + files[i]).toStdString();
        EXPECT_NEAR(std::stod(saving::Probe(path)["duration"]), expected, 0.01) << path;
    }
}

// Sillaro killed (SIGKILL), or ended from outside (SIGTERM), while it records a counting
// record on the simulated turntable, driven by real key presses as a user would: the next
// start asks about the recording,
// "Recover" opens it in the edit mode, and the track written from it holds the record's
// frames in order (none lost, none added, no padding), at least up to the last sync the
// killed program's journal recorded, and the journal is gone once the track is written.
TEST(Recovery, SillaroKilledWhileRecordingComesBackAndWritesTheRecord)
{
    if (qEnvironmentVariableIsEmpty("SILLARO_TEST_RECOVERY"))
        GTEST_SKIP() << "runs as test_app_recovery_e2e";
    QTemporaryDir work;
    const QString temp = work.filePath(QStringLiteral("temp"));
    const QString destination = work.filePath(QStringLiteral("out"));
    for (const QString& folder : {temp, destination, kOutputDir})
        QDir().mkpath(folder);
    SourceSignal counting;
    counting.rate = 44100;
    for (uint32_t frame = 0; frame < 44100 * 90; ++frame) {
        const int32_t value = (int32_t(frame % 65536) - 32768) * 256;
        counting.samples.insert(counting.samples.end(), {value, value});
    }
    const QString record = work.filePath(QStringLiteral("counting.wav"));
    ASSERT_TRUE(WriteSourceWav(counting, record.toStdString()));
    // The same settings for the program that is killed and for the one that recovers.
    auto configure = [&temp](QSettings&& settings) {
        settings.setValue(kKeyRecordFormat, QStringLiteral("WAV"));
        settings.setValue(kKeyPcmFreq, 44100);
        settings.setValue(kKeyBitDepth, 16);
        settings.setValue(kKeyPcmFileFormat, QStringLiteral("WAV"));
        settings.setValue(kKeyTempDirectory, temp);
        settings.setValue(kKeyUpdateServer, QStringLiteral("http://updates.invalid"));
    };
    configure(QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Sillaro"), QStringLiteral("Sillaro")));
    configure(QSettings());

    // Killed outright, and ended as at a logout (which ends the recording cleanly and
    // asks nothing on the way out).
    const struct {
        const char* name;
        bool kill;
    } ends[] = {{"killed", true}, {"terminated", false}};
    for (const auto& end : ends) {
        SCOPED_TRACE(end.name);
        QProcess sillaro;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("CARTOVA_SIM_SOURCE"), record);
        sillaro.setProcessEnvironment(environment);
        const QString log = work.filePath(QStringLiteral("sillaro-%1.log").arg(end.name));
        sillaro.setStandardOutputFile(log);
        sillaro.setStandardErrorFile(log, QIODevice::Append);
        sillaro.start(QStringLiteral(SILLARO_BINARY), {QStringLiteral("--simulate")});
        ASSERT_TRUE(sillaro.waitForStarted(30000));
        ASSERT_TRUE(WaitForNamedWindows(sillaro, QStringLiteral("Sillaro"), 1, kPatienceMs));
        XKeyboard keys;
        ASSERT_TRUE(keys.isAvailable());
        ASSERT_TRUE(PressUntil(keys, QStringLiteral("ctrl+r"), [] { return NamedWindowCount(QStringLiteral("Sillaro")) >= 2; }))
            << "the start dialog";
        std::optional<JournalContents> journal;
        // The journal is there from the start dialog on; it holds samples once recording runs.
        ASSERT_TRUE(PressUntil(keys, QStringLiteral("Return"), [&] { // "Start Recording"
            journal = ReadJournal(temp.toStdString());
            return journal && SyncedSamples(*journal) > 0;
        }));
        ASSERT_TRUE(WaitFor([&] {
            journal = ReadJournal(temp.toStdString());
            return journal && SyncedSamples(*journal) >= 6 * 44100;
        }, kPatienceMs)) << (journal ? SyncedSamples(*journal) : 0) << " samples synced; the program said:\n"
                         << TextOf(log);
        if (end.kill)
            sillaro.kill();
        else
            sillaro.terminate();
        ASSERT_TRUE(sillaro.waitForFinished(30000));
        EXPECT_EQ(sillaro.exitStatus(), end.kill ? QProcess::CrashExit : QProcess::NormalExit);
        const uint64_t synced = SyncedSamples(*journal);

        AlertClicker clicker(kOutputDir);
        auto app = std::make_unique<AppDelegate>();
        app->launch(); // the question comes once the window is up
        std::vector<RecoverableRecording> left;
        ASSERT_EQ(CartovaController::sharedInstance().GetRecoverableRecordings(left), TkErrorSuccess);
        ASSERT_EQ(left.size(), 1u);
        const QString question = RecoveryFlow::question(left[0]);
        if (end.kill)
            clicker.screenshot(question, QStringLiteral("sillaro-recover-question.png"));
        clicker.answer(question, QStringLiteral("Recover"));
        ModeTimeManager& mtm = ModeTimeManager::sharedInstance();
        ASSERT_TRUE(WaitFor([&] { return clicker.hasSeen(question) && mtm.status() == ModeStatusEditStopped; }, kPatienceMs))
            << clicker.messages().join('|').toStdString();
        EXPECT_GE(mtm.totalTime() * 44100.0, double(synced));
        if (end.kill)
            EXPECT_TRUE(app->window()->grab().save(kOutputDir + "/sillaro-recovered.png"));

        const QString album = QStringLiteral("Side ") + end.name;
        const QStringList files = WriteAlbum(clicker, *app->window(), destination, album, [&](QWidget* dialog) {
            Type(dialog->findChild<QLineEdit*>(QStringLiteral("edit_album_name")), album);
        });
        ASSERT_EQ(files.size(), 1) << files.join('|').toStdString();
        std::vector<int32_t> decoded;
        ASSERT_TRUE(saving::DecodeWithSox((destination + "/" + album + "/" + files[0]).toStdString(), decoded));
        const size_t frames = decoded.size() / 2;
        EXPECT_GE(frames, synced);
        EXPECT_EQ(double(frames), std::round(mtm.totalTime() * 44100.0));
        size_t breaks = 0;
        for (size_t f = 0; f < frames; ++f) {
            const bool same = decoded[2 * f] == decoded[2 * f + 1];
            const bool next = f == 0 || uint16_t((decoded[2 * f] >> 16) - (decoded[2 * f - 2] >> 16)) == 1;
            breaks += same && next ? 0 : 1;
        }
        EXPECT_EQ(breaks, 0u) << "every frame the record's next one";
        EXPECT_FALSE(ReadJournal(temp.toStdString())) << "every track written: nothing left to recover";
        app->shutdown();
    }
}

int main(int argc, char** argv)
{
    // The track-finding run plays a generated side instead of the demo album.
    QTemporaryDir sideFolder;
    if (!qEnvironmentVariableIsEmpty("SILLARO_TEST_SIDE")) {
        SideTruth truth;
        const QString side = sideFolder.filePath(QStringLiteral("side.wav"));
        if (!WriteSourceWav(SideSignal(ShortSidePlan(), 44100, truth), side.toStdString()))
            return 1;
        qputenv("CARTOVA_SIM_SOURCE", side.toLocal8Bit());
    }
    ScratchDesktop scratch(QStringLiteral("SillaroWriteTest"));
    ApplySimulateOption({QStringLiteral("--simulate")});
    // The simulated turntable runs faster than real time.
    qputenv("CARTOVA_SIM_SPEED", "8");
    QApplication qapp(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
