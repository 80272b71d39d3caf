// Writing to files after the dialog: the job list from the markers, existing entries,
// the framework's refusal, the progress dialog and its end; and the dialogs' widgets.
#include "FakeCartova.h"
#include "FakeTrackMarkers.h"
#include "ScriptedDialogs.h"
#include "state/ControlTypes.h"
#include "marker/MarkerManager.h"
#include "save/MarkerManagerTracks.h"
#include "save/SaveDialogModel.h"
#include "bridge/CartovaController.h"
#include "save/FileSaveFlow.h"
#include "save/ProgressDialog.h"
#include "save/SaveDialog.h"
#include "save/SaveDialogItemView.h"
#include "save/SaveJobBuilder.h"
#include "save/UpdateFileNamesDialog.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <cerrno>
#include <cstring>
#include <gtest/gtest.h>

namespace {

struct Asked {
    AlertKind kind;
    QString message;
    QString information;
};

void PostOperation(TkRecOperation operation)
{
    emit CartovaController::sharedInstance().operation(operation);
}

class FileSaveTest : public testing::Test {
protected:
    void SetUp() override
    {
        ResetFake();
        markers.add(1, 100.0);
        markers.add(2, 250.0);
        markers.destination = dest.path();
        markers.album = QStringLiteral("夜の歌");
        markers.albumArtist = QStringLiteral("Trio");
        markers.markers[0].tags = {{kMapKeyFileName, "01_Intro"}, {kMarkerTagTitle, "Intro"}, {kMarkerTagArtist, "A"}};
        markers.markers[1].tags = {{kMapKeyFileName, "02_Skip.wav"}};
        markers.markers[1].checked = false;
        markers.markers[2].tags = {{kMapKeyFileName, "03_Outro.WAV"}, {kMarkerTagTitle, "Outro"}};
        markers.recordingDate = QDate(2024, 5, 17);
    }

    AlertHandler recorder()
    {
        return [this](AlertKind kind, const QString& message, const QString& information) {
            asked.push_back({kind, message, information});
            return answer;
        };
    }

    QString albumFolder() const { return dest.filePath(QStringLiteral("夜の歌")); }

    QTemporaryDir dest;
    FakeTrackMarkers markers;
    std::vector<Asked> asked;
    bool answer = true;
};

} // namespace

TEST_F(FileSaveTest, OneSettingPerCheckedTrackWithItsTags)
{
    markers.cover = QStringLiteral("/pictures/表紙.png");
    const auto list = BuildSaveSettings(markers, QStringLiteral("夜の歌"), QStringLiteral("wav"), 3.0, recorder());
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].path, albumFolder() + "/01_Intro.wav");
    EXPECT_DOUBLE_EQ(list[0].start, 0.0);
    EXPECT_DOUBLE_EQ(list[0].end, 100.0);
    EXPECT_DOUBLE_EQ(list[0].gain, 3.0);
    // The tool's tags for the same tracks: the place among all three tracks, the total,
    // the recording's day and the cover.
    const QMap<QString, QString> expected{{"Title", "Intro"},      {"Artist", "A"},        {"Alubum", "夜の歌"},
                                          {"AlbumArtist", "Trio"}, {"TrackNumber", "1"},   {"TrackTotal", "3"},
                                          {"Date", "2024-05-17"},  {"CoverImage", markers.cover}};
    EXPECT_EQ(list[0].tags, expected);
    EXPECT_EQ(list[1].path, albumFolder() + "/03_Outro.WAV");
    EXPECT_DOUBLE_EQ(list[1].start, 250.0);
    EXPECT_DOUBLE_EQ(list[1].end, 600.0);
    EXPECT_EQ(list[1].tags.value("TrackNumber"), "3"); // the unchecked second track keeps its number
    EXPECT_FALSE(list[1].tags.contains("FileName"));
    EXPECT_TRUE(asked.empty());

    markers.album.clear();
    markers.albumArtist.clear();
    markers.cover.clear();
    markers.recordingDate = QDate();
    const auto bare = BuildSaveSettings(markers, QStringLiteral("x"), QStringLiteral("wav"), 0.0, recorder());
    EXPECT_FALSE(bare[0].tags.contains("Alubum"));
    EXPECT_FALSE(bare[0].tags.contains("AlbumArtist"));
    EXPECT_FALSE(bare[0].tags.contains("CoverImage"));
    EXPECT_TRUE(QDate::fromString(bare[0].tags.value("Date"), Qt::ISODate).isValid()); // today, when not known
}

TEST_F(FileSaveTest, ExistingEntriesAreAskedAboutOrSkipped)
{
    ASSERT_TRUE(QDir().mkpath(albumFolder() + "/01_Intro.wav"));
    QFile existing(albumFolder() + "/03_Outro.WAV");
    ASSERT_TRUE(existing.open(QIODevice::WriteOnly));
    existing.close();

    answer = false;
    EXPECT_TRUE(BuildSaveSettings(markers, QStringLiteral("夜の歌"), QStringLiteral("wav"), 0.0, recorder()).empty());
    ASSERT_EQ(asked.size(), 2u);
    EXPECT_EQ(asked[0].kind, AlertKind::Ok);
    EXPECT_EQ(asked[0].message, "A folder with the same name as the file name exists in the destination.");
    EXPECT_EQ(asked[0].information, "01_Intro.wav");
    EXPECT_EQ(asked[1].kind, AlertKind::OkCancel);
    EXPECT_EQ(asked[1].message, "A file with the same name already exists in the destination. ");

    answer = true;
    const auto replaced = BuildSaveSettings(markers, QStringLiteral("夜の歌"), QStringLiteral("wav"), 0.0, recorder());
    ASSERT_EQ(replaced.size(), 1u);
    EXPECT_EQ(replaced[0].path, albumFolder() + "/03_Outro.WAV");
}

namespace {

// The command over the application's marker manager, with dialogs answered by a script.
class FileSaveFlowTest : public testing::Test {
protected:
    void SetUp() override
    {
        ResetFake();
        manager.ResetWithTotalTime(600.0);
        first = manager.AddWithPosition(100.0);
        second = manager.AddWithPosition(250.0);
        manager.SetMarkerCheckedWithId(first, false);
        manager.setDestinationDirectory(dest.path());
        dialogs.onChooseFolder = [this](const QString&, const QString&) { return dest.path(); };
        // The user names the album and the first track, then writes.
        dialogs.onSaveDialog = [this](const QString& extension, MarkerManager& markers, QString& dirName) {
            extensions << extension;
            MarkerManagerTracks tracks(markers);
            SaveDialogModel model;
            model.setPrompts({dialogs.alertHandler(),
                              [this](const QString& t, const QString& i) { return dialogs.chooseFolder(t, i); },
                              [] { return -1; },
                              {}});
            model.setExtension(extension);
            model.setMarkerManager(&tracks);
            model.setAlbumName(QStringLiteral("夜の歌"));
            model.setFileName(0, QStringLiteral("Intro"));
            model.setTrackTitle(0, QStringLiteral("序曲"));
            model.setFileName(2, QStringLiteral("Outro"));
            if (!model.WriteToFilesClicked())
                return 0;
            dirName = model.dir_name();
            return kSaveDialogResponseWrite;
        };
    }

    QTemporaryDir dest;
    MarkerManager manager;
    int32_t first = 0;
    int32_t second = 0;
    ScriptedDialogs dialogs;
    QStringList extensions;
};

} // namespace

TEST_F(FileSaveFlowTest, WritesCheckedTracksAndEndsProgressOnFinish)
{
    Fake().saveProgress = {500, 425};
    dialogs.onProgressDialog = [this](ProgressDelegate& delegate) {
        int32_t item = 0;
        int32_t total = 0;
        EXPECT_EQ(delegate.progress(item, total), 0);
        EXPECT_EQ(total, 425);
        delegate.cancel(true);
        PostOperation(TkRecOperationStopped);
        EXPECT_EQ(dialogs.progressDialogFinishes, 0);
        PostOperation(TkRecOperationSaveFinished);
        EXPECT_EQ(dialogs.progressDialogFinishes, 1);
    };
    EXPECT_EQ(RunFileSave(dialogs, manager, {RecTypeDsd, 3.0}), 2);
    EXPECT_EQ(extensions, QStringList{"dsf"});
    EXPECT_EQ(dialogs.progressDialogRuns, 1);
    EXPECT_EQ(Fake().saveCancels, std::vector<bool>{true});
    ASSERT_EQ(Fake().savedTracks.size(), 2u);
    const QString folder = dest.filePath(QStringLiteral("夜の歌"));
    EXPECT_EQ(QString::fromStdString(Fake().savedTracks[0].path), folder + "/Intro.dsf");
    EXPECT_EQ(QString::fromStdString(Fake().savedTracks[1].path), folder + "/Outro.dsf");
    EXPECT_DOUBLE_EQ(Fake().savedTracks[0].end, 100.0);
    EXPECT_DOUBLE_EQ(Fake().savedTracks[1].start, 250.0);
    EXPECT_DOUBLE_EQ(Fake().savedTracks[1].gain, 3.0);
    EXPECT_EQ(QString::fromStdString(Fake().savedTracks[0].tags.at("Title")), "序曲");
    EXPECT_EQ(QString::fromStdString(Fake().savedTracks[0].tags.at("Alubum")), "夜の歌");
    EXPECT_EQ(Fake().savedTracks[0].tags.count("FileName"), 0u);
    EXPECT_EQ(manager.DestinationDirectory(), dest.path());

    // The listener is gone with the command: a later finish reaches nothing.
    PostOperation(TkRecOperationSaveFinished);
    EXPECT_EQ(dialogs.progressDialogFinishes, 1);
}

TEST_F(FileSaveFlowTest, FlacTracksAreNamedFlac)
{
    EXPECT_EQ(RunFileSave(dialogs, manager, {RecTypePcm, 0.0, TkPcmFileFormatFlac}), 2);
    EXPECT_EQ(extensions, QStringList{"flac"});
    ASSERT_EQ(Fake().savedTracks.size(), 2u);
    EXPECT_EQ(QString::fromStdString(Fake().savedTracks[1].path), dest.filePath(QStringLiteral("夜の歌/Outro.flac")));
    EXPECT_EQ(Fake().savedTracks[1].tags.at("TrackNumber"), "3");
}

TEST_F(FileSaveFlowTest, RefusedJobListShowsNoProgressAndSaysSo)
{
    Fake().saveFileResult = TkErrorFailed;
    EXPECT_EQ(RunFileSave(dialogs, manager, {RecTypePcm, 0.0}), 0);
    EXPECT_EQ(extensions, QStringList{"wav"});
    EXPECT_EQ(dialogs.progressDialogRuns, 0);
    EXPECT_EQ(dialogs.lastAlert().message, "Failed to save the file.");
    EXPECT_EQ(dialogs.lastAlert().information, "Earlier tracks are still being written.");
}

TEST_F(FileSaveFlowTest, NothingIsWrittenWhenCancelledOrForAnUnknownRecordingType)
{
    EXPECT_EQ(RunFileSave(dialogs, manager, {7, 0.0}), 0);
    EXPECT_EQ(dialogs.saveDialogRuns, 0);
    dialogs.onSaveDialog = nullptr; // the dialog answers "cancelled"
    EXPECT_EQ(RunFileSave(dialogs, manager, {RecTypeDsd, 0.0}), 0);
    EXPECT_EQ(dialogs.saveDialogRuns, 1);
    EXPECT_EQ(Fake().saveFileCalls, 0);
    EXPECT_EQ(dialogs.progressDialogRuns, 0);
}

TEST(SaveAbortedAlertTest, SpaceIsNamedOnlyWhenItIsTheCause)
{
    const QString full = QStringLiteral("/music/A/01.wav: ") + QString::fromLocal8Bit(std::strerror(ENOSPC));
    EXPECT_EQ(SaveAbortedAlertFor(full).message, "Insufficient free space in the destination.");
    EXPECT_EQ(SaveAbortedAlertFor(full).information, full);
    const QString io = QStringLiteral("/music/A/01.wav: ") + QString::fromLocal8Bit(std::strerror(EIO));
    EXPECT_EQ(SaveAbortedAlertFor(io).message, "Failed to save the file.");
    EXPECT_EQ(SaveAbortedAlertFor(io).information, io);
    // The framework's own texts: the failed call with its cause, or its free-space check.
    EXPECT_EQ(SaveAbortedAlertFor(QStringLiteral("write failed: ") + QString::fromLocal8Bit(std::strerror(ENOSPC)) +
                                  QStringLiteral(": /music/A/01.wav"))
                  .message,
              "Insufficient free space in the destination.");
    EXPECT_EQ(SaveAbortedAlertFor(QStringLiteral("not enough free space: /music/A/01.wav")).message,
              "Insufficient free space in the destination.");
    const QString depth = QStringLiteral("unsupported bit depth 12: /music/A/01.wav");
    EXPECT_EQ(SaveAbortedAlertFor(depth).message, "Failed to save the file.");
    EXPECT_EQ(SaveAbortedAlertFor(depth).information, depth);
}

TEST(ProgressDialogTest, CancelIsSentOnceAndTheDialogWaitsForTheEnd)
{
    ResetFake();
    struct Delegate : ProgressDelegate {
        int progress(int32_t& current, int32_t& total) override
        {
            current = 0;
            total = value;
            return 0;
        }
        int cancel(bool c) override
        {
            cancels.push_back(c);
            return 0;
        }
        int32_t value = 999;
        std::vector<bool> cancels;
    } delegate;
    ProgressDialog progress;
    progress.setProgressDelegate(&delegate);
    progress.show();
    progress.start();
    EXPECT_EQ(progress.percentText(), "99 %");
    EXPECT_TRUE(progress.isCancelEnabled());

    QTest::keyClick(&progress, Qt::Key_Escape);
    progress.findChild<QPushButton*>("cancel")->click();
    EXPECT_EQ(delegate.cancels, std::vector<bool>{true});
    EXPECT_FALSE(progress.isCancelEnabled());
    EXPECT_TRUE(progress.isVisible());

    progress.onFinish();
    EXPECT_FALSE(progress.isVisible());
    EXPECT_FALSE(progress.isPolling());
    EXPECT_TRUE(progress.isFinished());
}

TEST(UpdateFileNamesDialogTest, ResponseAndResetToOne)
{
    EXPECT_EQ(UpdateFileNamesDialog::ResponseForText("9", 999), 9);
    EXPECT_EQ(UpdateFileNamesDialog::ResponseForText(" 12abc", 999), 12);
    EXPECT_EQ(UpdateFileNamesDialog::ResponseForText("abc", 999), 0);
    EXPECT_EQ(UpdateFileNamesDialog::ResponseForText("-4", 999), -4);
    EXPECT_EQ(UpdateFileNamesDialog::ResponseForText("1000", 999), -1);
    EXPECT_EQ(UpdateFileNamesDialog::ResponseForText("99999999999", 999), -1);

    UpdateFileNamesDialog dialog;
    dialog.initialNumberField()->setText("1000");
    dialog.OkClicked();
    EXPECT_EQ(dialog.result(), -1);
    EXPECT_EQ(dialog.initialNumberField()->text(), "1");
    dialog.stepBy(98);
    EXPECT_EQ(dialog.initialNumberField()->text(), "99");
    dialog.OkClicked();
    EXPECT_EQ(dialog.result(), 99);
    EXPECT_EQ(dialog.stepperValue(), 1);
    dialog.stepBy(-5);
    EXPECT_EQ(dialog.stepperValue(), 1);
    dialog.CancelClicked();
    EXPECT_EQ(dialog.result(), -1);
}

TEST(SaveDialogViewTest, RowsFollowTheModelAndKeysMoveBetweenFields)
{
    FakeTrackMarkers markers;
    for (MarkerId id = 1; id <= 20; ++id)
        markers.add(id, id * 20.0);
    markers.markers[3].checked = false;
    SaveDialog dialog;
    dialog.setExtension("wav");
    dialog.setMarkerManager(&markers);
    dialog.show();
    dialog.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog, 30000));
    ASSERT_EQ(dialog.rowViews().size(), 21u);
    SaveDialogItemView* fourth = dialog.rowViews()[3];
    EXPECT_FALSE(fourth->fileNameField()->isEnabled());
    EXPECT_EQ(fourth->durationLabel()->text(), "00:20.00");
    EXPECT_EQ(dialog.button_check()->checkState(), Qt::PartiallyChecked);
    EXPECT_FALSE(dialog.button_apply()->isEnabled());

    // The mixed master box checks every row; the row views follow.
    dialog.button_check()->click();
    EXPECT_EQ(dialog.button_check()->checkState(), Qt::Checked);
    EXPECT_TRUE(fourth->fileNameField()->isEnabled());
    EXPECT_TRUE(dialog.button_apply()->isEnabled());
    dialog.button_check()->click();
    EXPECT_FALSE(dialog.button_write()->isEnabled());
    fourth->checkBox()->click();
    EXPECT_TRUE(dialog.button_write()->isEnabled());
    EXPECT_EQ(dialog.model().items()[3].state, 1);

    // Typing reaches the model; Return moves on instead of ending the dialog.
    fourth->fileNameField()->setFocus();
    QTest::keyClicks(fourth->fileNameField(), "Side");
    EXPECT_EQ(dialog.model().items()[3].fileName, "Side");
    QTest::keyClick(fourth->fileNameField(), Qt::Key_Return);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(dialog.focusWidget(), fourth->trackTitleField());
    QTest::keyClick(fourth->trackTitleField(), Qt::Key_Enter, Qt::ShiftModifier);
    EXPECT_EQ(dialog.focusWidget(), fourth->fileNameField());

    // Focus on the last row scrolls it into view.
    SaveDialogItemView* last = dialog.rowViews().back();
    last->checkBox()->setFocus(); // its text fields are disabled: the row is unchecked
    QApplication::processEvents();
    const QRect visible(QPoint(0, dialog.collectionView()->verticalScrollBar()->value()),
                        dialog.collectionView()->viewport()->size());
    EXPECT_TRUE(visible.contains(last->geometry().bottomLeft())) << visible.y();
}
