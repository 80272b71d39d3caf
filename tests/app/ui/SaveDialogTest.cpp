// The write-to-files dialog's rows, commands and checks, driven through its model with
// scripted answers to every question it asks.
#include "FakeCartova.h"
#include "FakeTrackMarkers.h"
#include "marker/MarkerManager.h"
#include "save/FileNameRules.h"
#include "save/MarkerManagerTracks.h"
#include "save/SaveDialogModel.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

struct Asked {
    AlertKind kind;
    QString message;
    QString information;
};

class SaveDialogTest : public testing::Test {
protected:
    void SetUp() override
    {
        model.setExtension(QStringLiteral("dsf"));
        model.setPrompts({[this](AlertKind kind, const QString& message, const QString& information) {
                              asked.push_back({kind, message, information});
                              return answer;
                          },
                          [this](const QString& title, const QString& initial) {
                              chooserTitle = title;
                              chooserInitial = initial;
                              return chosenFolder;
                          },
                          [this] { return initialNumber; },
                          [this](const QString&, const QString&, const QStringList&) {
                              ++coverAsks;
                              return chosenCover;
                          }});
    }

    // Three tracks: S-1, 1-2 and 2-E at 0, 100, 250 and 600 s.
    void threeTracks()
    {
        markers.add(1, 100.0);
        markers.add(2, 250.0);
        model.setMarkerManager(&markers);
    }

    QStringList names() const
    {
        QStringList out;
        for (const SaveDialogItem& item : model.items())
            out << item.fileName;
        return out;
    }

    FakeTrackMarkers markers;
    SaveDialogModel model;
    std::vector<Asked> asked;
    bool answer = true;
    QString chosenFolder;
    QString chooserTitle;
    QString chooserInitial;
    int initialNumber = -1;
    QString chosenCover;
    int coverAsks = 0;
};

const QRegularExpression kDefaultName(QStringLiteral("^(\\d{2})_\\d{14}\\.dsf$"));

} // namespace

TEST_F(SaveDialogTest, FreshRecordingIsOneRowFromStartToEnd)
{
    model.setMarkerManager(&markers);
    ASSERT_EQ(model.items().size(), 1);
    const SaveDialogItem& row = model.items()[0];
    EXPECT_EQ(row.markerStart, "S");
    EXPECT_EQ(row.markerEnd, "E");
    EXPECT_DOUBLE_EQ(row.duration, 600.0);
    const auto match = kDefaultName.match(row.fileName);
    ASSERT_TRUE(match.hasMatch()) << row.fileName.toStdString();
    EXPECT_EQ(match.captured(1), "01");
    EXPECT_EQ(model.masterState(), Qt::Checked);
    EXPECT_FALSE(model.isDirty());
}

TEST_F(SaveDialogTest, RowsComeFromMarkersAndDefaultNamesOnlyForCheckedRows)
{
    markers.add(1, 100.0);
    markers.add(2, 250.0);
    markers.markers[1].checked = false;
    markers.markers[2].tags = {{kMapKeyFileName, "Kept.dsf"}, {kMarkerTagTitle, "Title"}, {kMarkerTagArtist, "Who"}};
    model.setMarkerManager(&markers);

    ASSERT_EQ(model.items().size(), 3);
    EXPECT_EQ(model.items()[0].markerEnd, "1");
    EXPECT_EQ(model.items()[1].markerStart, "1");
    EXPECT_EQ(model.items()[1].markerEnd, "2");
    EXPECT_EQ(model.items()[2].markerEnd, "E");
    EXPECT_DOUBLE_EQ(model.items()[1].duration, 150.0);
    EXPECT_EQ(kDefaultName.match(names()[0]).captured(1), "01");
    EXPECT_TRUE(names()[1].isEmpty()); // unchecked: no default name
    EXPECT_EQ(names()[2], "Kept.dsf");
    EXPECT_EQ(model.items()[2].trackTitle, "Title");
    EXPECT_EQ(model.items()[2].trackArtist, "Who");
    EXPECT_EQ(model.masterState(), Qt::PartiallyChecked);
    // The unchecked row's missing name is not validated.
    EXPECT_TRUE(model.validateFileNames());
    EXPECT_TRUE(asked.empty());
}

TEST_F(SaveDialogTest, CheckBoxesAndMasterState)
{
    threeTracks();
    QSignalSpy modified(&model, &SaveDialogModel::modifiedChanged);
    model.CheckBoxClicked(1);
    EXPECT_EQ(model.masterState(), Qt::PartiallyChecked);
    EXPECT_TRUE(model.isWriteEnabled());
    EXPECT_TRUE(model.isDirty());
    EXPECT_EQ(modified.count(), 1);

    // A mixed master box checks every row.
    model.CheckBoxClicked(SaveDialogModel::kMasterCheckBox);
    EXPECT_EQ(model.masterState(), Qt::Checked);
    for (const SaveDialogItem& item : model.items())
        EXPECT_EQ(item.state, 1);

    model.CheckBoxClicked(SaveDialogModel::kMasterCheckBox);
    EXPECT_EQ(model.masterState(), Qt::Unchecked);
    EXPECT_FALSE(model.isWriteEnabled());
    for (const SaveDialogItem& item : model.items())
        EXPECT_EQ(item.state, 0);

    model.CheckBoxClicked(0);
    model.CheckBoxClicked(1);
    model.CheckBoxClicked(2);
    EXPECT_EQ(model.masterState(), Qt::Checked);
}

TEST_F(SaveDialogTest, ValidationNamesTheFirstProblem)
{
    threeTracks();
    auto expectRefused = [this](const QStringList& rowNames, const QString& message, const QString& information) {
        for (int i = 0; i < rowNames.size(); ++i)
            model.setFileName(i, rowNames[i]);
        asked.clear();
        EXPECT_FALSE(model.validateFileNames()) << rowNames.join('|').toStdString();
        ASSERT_EQ(asked.size(), 1u);
        EXPECT_EQ(asked[0].message, message);
        EXPECT_EQ(asked[0].information, information);
    };
    const QString missing = QStringLiteral("No file name specified. Enter a file name.");
    const QString duplicated = QStringLiteral("File name duplicated. Change the file name.");
    const QString invalid = QStringLiteral("Unacceptable characters detected in the file name. Change the file name.");

    expectRefused({"A", "", "C"}, missing, "");
    expectRefused({"A", ".dsf", "C"}, missing, "");
    expectRefused({"Track.dsf", "B", "track.DSF"}, duplicated, "track.DSF");
    expectRefused({"Track.", "B", "Track"}, duplicated, "Track.dsf");
    expectRefused({"Trackdsf", "Trackdsf.dsf", "C"}, duplicated, "Trackdsf.dsf");
    expectRefused({"A", "B:side", "C"}, invalid, "B:side.dsf");
    expectRefused({"A/B", "", ""}, invalid, "A/B.dsf");

    for (int i = 0; i < 3; ++i)
        model.setFileName(i, QString("Track %1").arg(i));
    model.setAlbumName(QStringLiteral("Live\tat Home"));
    asked.clear();
    EXPECT_FALSE(model.validateFileNames());
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].message, "Unacceptable characters detected in the album name. Change the album name.");
    model.setAlbumName(QStringLiteral(".."));
    EXPECT_FALSE(model.validateFileNames());
    model.setAlbumName(QStringLiteral("夜の歌"));
    EXPECT_TRUE(model.validateFileNames());
    // The rows keep their names; the extension is added only for the checks.
    EXPECT_EQ(names()[0], "Track 0");
}

TEST_F(SaveDialogTest, NumberingCheckedRows)
{
    threeTracks();
    model.CheckBoxClicked(1);
    model.setFileName(1, QStringLiteral("keep me"));

    initialNumber = 9;
    model.UpdateFileNamesClicked();
    EXPECT_TRUE(names()[0].startsWith("09_"));
    EXPECT_EQ(names()[1], "keep me");
    EXPECT_TRUE(names()[2].startsWith("10_"));

    model.CheckBoxClicked(1);
    initialNumber = 99;
    model.UpdateFileNamesClicked();
    EXPECT_TRUE(names()[0].startsWith("99_"));
    EXPECT_TRUE(QRegularExpression("^100_\\d{14}\\.dsf$").match(names()[1]).hasMatch()) << names()[1].toStdString();
    EXPECT_TRUE(names()[2].startsWith("101_"));

    const QStringList before = names();
    for (const int refused : {0, -1}) {
        initialNumber = refused;
        model.UpdateFileNamesClicked();
        EXPECT_EQ(names(), before);
    }
}

TEST_F(SaveDialogTest, TrackTitlesAsFileNames)
{
    threeTracks();
    model.setFileName(0, QStringLiteral("03_20261208094700.dsf"));
    model.setTrackTitle(0, QStringLiteral("Intro"));
    model.setFileName(1, QStringLiteral("Second.dsf"));
    model.setTrackTitle(1, QStringLiteral("Ballad"));
    model.setFileName(2, QStringLiteral("untitled"));

    answer = false;
    model.UseTrackTitleClicked();
    EXPECT_EQ(names()[0], "03_20261208094700.dsf");

    answer = true;
    model.UseTrackTitleClicked();
    ASSERT_EQ(asked.size(), 2u);
    EXPECT_EQ(asked[1].message, "Track Titles will be used as File Names with no change to extensions.");
    EXPECT_EQ(names(), QStringList({"03_Intro.dsf", "Ballad.dsf", "untitled"}));
}

TEST_F(SaveDialogTest, CopyAlbumArtistToCheckedRows)
{
    threeTracks();
    model.CheckBoxClicked(2);
    model.CopyAlbumArtistClicked(); // empty album artist: nothing changes
    EXPECT_TRUE(model.items()[0].trackArtist.isEmpty());

    model.setAlbumArtist(QStringLiteral("Quartet"));
    answer = false;
    model.CopyAlbumArtistClicked();
    EXPECT_TRUE(model.items()[0].trackArtist.isEmpty());
    answer = true;
    model.CopyAlbumArtistClicked();
    EXPECT_EQ(asked.back().message, "Album Artist will be copied to Track Artists.");
    EXPECT_EQ(model.items()[0].trackArtist, "Quartet");
    EXPECT_EQ(model.items()[1].trackArtist, "Quartet");
    EXPECT_TRUE(model.items()[2].trackArtist.isEmpty());
}

TEST_F(SaveDialogTest, ApplyWritesRowsAndAlbumBackIntoTheMarkers)
{
    threeTracks();
    model.CheckBoxClicked(1);
    model.setTrackTitle(0, QStringLiteral("Intro"));
    model.setAlbumName(QStringLiteral("Album"));
    model.setAlbumArtist(QStringLiteral("Band"));
    QSignalSpy applied(&model, &SaveDialogModel::markersApplied);
    const int selections = markers.selections;

    model.ApplyClicked();
    EXPECT_FALSE(model.isDirty());
    EXPECT_EQ(applied.count(), 1);
    EXPECT_GT(markers.selections, selections);
    EXPECT_EQ(markers.album, "Album");
    EXPECT_EQ(markers.albumArtist, "Band");
    EXPECT_FALSE(markers.markers[1].checked);
    const MarkerTags first = markers.markers[0].tags;
    EXPECT_EQ(first.size(), 3);
    EXPECT_EQ(first.value(kMarkerTagTitle), "Intro");
    EXPECT_EQ(first.value(kMapKeyFileName), names()[0]);
    // Absent texts are stored as empty strings under all three keys.
    EXPECT_TRUE(markers.markers[1].tags.contains(kMapKeyFileName));
    EXPECT_TRUE(markers.markers[1].tags.value(kMarkerTagArtist).isEmpty());

    // Reopening shows what was applied.
    model.setMarkerManager(&markers);
    EXPECT_EQ(model.items()[0].trackTitle, "Intro");
    EXPECT_EQ(model.albumName(), "Album");
    EXPECT_EQ(model.items()[1].state, 0);
}

TEST_F(SaveDialogTest, CancelAsksOnlyAfterEdits)
{
    threeTracks();
    EXPECT_TRUE(model.CancelClicked());
    EXPECT_TRUE(asked.empty());

    model.setTrackArtist(0, QStringLiteral("x"));
    answer = false;
    EXPECT_FALSE(model.CancelClicked());
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].message, "Are you sure you want to cancel writing to files?");
    answer = true;
    EXPECT_TRUE(model.CancelClicked());
    // Unapplied edits never reach the markers.
    EXPECT_TRUE(markers.markers[0].tags.isEmpty());
}

TEST_F(SaveDialogTest, WriteChoosesFolderAndNamesTheAlbumFolder)
{
    QTemporaryDir dest;
    threeTracks();
    model.setAlbumName(QStringLiteral("夜の歌"));

    chosenFolder.clear(); // the user cancels the chooser
    EXPECT_FALSE(model.WriteToFilesClicked());
    EXPECT_EQ(chooserTitle, "Browse Folders");
    EXPECT_TRUE(markers.album.isEmpty()); // nothing applied yet

    markers.destination = dest.path();
    chosenFolder = dest.path();
    EXPECT_TRUE(model.WriteToFilesClicked());
    EXPECT_EQ(chooserInitial, dest.path());
    EXPECT_EQ(model.dir_name(), "夜の歌");
    EXPECT_EQ(markers.destination, dest.path());
    EXPECT_EQ(markers.album, "夜の歌");

    // Without an album name the folder is named by the date.
    model.setAlbumName(QString());
    EXPECT_TRUE(model.WriteToFilesClicked());
    EXPECT_TRUE(QRegularExpression("^\\d{14}$").match(model.dir_name()).hasMatch());
}

TEST_F(SaveDialogTest, WriteRefusesAFileInPlaceOfTheAlbumFolder)
{
    QTemporaryDir dest;
    QFile blocker(dest.filePath("Album"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    threeTracks();
    model.setAlbumName(QStringLiteral("Album"));
    chosenFolder = dest.path();
    EXPECT_FALSE(model.WriteToFilesClicked());
    ASSERT_FALSE(asked.empty());
    EXPECT_EQ(asked.back().message, "A file with the same name as the folder name exists in the destination.");
    EXPECT_EQ(markers.album, "Album"); // the edits stay applied
    EXPECT_TRUE(markers.destination.isEmpty());
}

TEST_F(SaveDialogTest, WriteRefusesWhatCannotBeWrittenBeforeAnyFile)
{
    QTemporaryDir dest;
    threeTracks();
    model.setAlbumName(QStringLiteral("Album"));
    chosenFolder = dest.filePath("missing");
    EXPECT_FALSE(model.WriteToFilesClicked());
    ASSERT_FALSE(asked.empty());
    EXPECT_EQ(asked.back().message, "Failed to save the file.");

    // A 600 s recording at a claimed 10^12 one-bit rate would need 150 TB.
    chosenFolder = dest.path();
    model.setTrackFormat({true, 1000000000000ull, 1, 2});
    asked.clear();
    EXPECT_FALSE(model.WriteToFilesClicked());
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].message, "Insufficient free space in the destination.");

    model.setTrackFormat({true, 2822400, 1, 2});
    EXPECT_TRUE(model.WriteToFilesClicked());
}

TEST_F(SaveDialogTest, CoverIsCheckedWhenChosenAndBeforeWriting)
{
    ResetFake();
    QTemporaryDir dest;
    threeTracks();
    model.ChooseCoverClicked(); // DSF files take no cover: the chooser is not even opened
    EXPECT_EQ(coverAsks, 0);

    model.setExtension(QStringLiteral("flac"));
    // A refused picture leaves the cover as it was and says which problem it is.
    const struct {
        TkError result;
        const char* message;
    } refusals[] = {{TkErrorInvalidArgument, "The cover image is not a PNG or JPEG picture."},
                    {TkErrorNotSupported, "The cover image is too large to be stored in FLAC files."},
                    {TkErrorFailed, "The cover image cannot be read."}};
    chosenCover = QStringLiteral("/p/bad");
    for (const auto& refusal : refusals) {
        Fake().refusedCovers = {{"/p/bad", refusal.result}};
        asked.clear();
        model.ChooseCoverClicked();
        ASSERT_EQ(asked.size(), 1u);
        EXPECT_EQ(asked[0].message, refusal.message);
        EXPECT_EQ(asked[0].information, "/p/bad: refused"); // the framework's sentence
        EXPECT_TRUE(model.coverImage().isEmpty());
    }
    EXPECT_FALSE(model.isDirty());

    chosenCover = QStringLiteral("/p/good.png");
    model.ChooseCoverClicked();
    EXPECT_EQ(model.coverImage(), "/p/good.png");
    EXPECT_TRUE(model.isDirty());

    // A cover that has become unusable stops the writing before the folder is asked for.
    Fake().refusedCovers = {{"/p/good.png", TkErrorFailed}};
    chosenFolder = dest.path();
    asked.clear();
    EXPECT_FALSE(model.WriteToFilesClicked());
    EXPECT_TRUE(chooserTitle.isEmpty());
    ASSERT_EQ(asked.size(), 1u);
    Fake().refusedCovers.clear();
    EXPECT_TRUE(model.WriteToFilesClicked());
    EXPECT_EQ(markers.cover, "/p/good.png"); // applied with the other edits
}

TEST_F(SaveDialogTest, PathLengthLimitsCountUtf8Bytes)
{
    QTemporaryDir dest;
    model.setMarkerManager(&markers);
    chosenFolder = dest.path();

    // Folder names: 254 bytes pass, 255 fail (a three-byte character keeps it honest).
    model.setFileName(0, QStringLiteral("a"));
    model.setAlbumName(QStringLiteral("曲") + QString(251, u'b'));
    EXPECT_TRUE(model.WriteToFilesClicked());
    model.setAlbumName(QStringLiteral("曲") + QString(252, u'b'));
    asked.clear();
    EXPECT_FALSE(model.WriteToFilesClicked());
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].message, "Too long file path. Change the file name or the destination.");

    // Full paths: 1023 bytes pass, 1024 fail; the destination is made deep enough that the
    // path, not the 254-byte name, is the limit.
    QString deep = dest.path();
    while (Utf8Length(deep) < 800)
        deep += QStringLiteral("/") + QString(100, u'd');
    ASSERT_TRUE(QDir().mkpath(deep));
    chosenFolder = deep;
    model.setAlbumName(QStringLiteral("A"));
    const int room = kMaxFullPathBytes - Utf8Length(deep + QStringLiteral("/A/"));
    ASSERT_LT(room, kMaxFileNameBytes);
    const QString fits = QStringLiteral("曲") + QString(room - 3 - 4, u'x'); // + ".dsf" when written
    model.setFileName(0, fits);
    EXPECT_TRUE(model.WriteToFilesClicked());
    model.setFileName(0, fits + u'x');
    asked.clear();
    EXPECT_FALSE(model.WriteToFilesClicked());
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].information, deep + QStringLiteral("/A/") + fits + QStringLiteral("x.dsf"));
}

TEST_F(SaveDialogTest, WorksOnTheApplicationsMarkerManager)
{
    MarkerManager manager;
    manager.ResetWithTotalTime(300.0);
    const int32_t second = manager.AddWithPosition(120.0);
    ASSERT_GT(second, 0);
    manager.SetMarkerCheckedWithId(second, false);
    MarkerManagerTracks tracks(manager);
    model.setMarkerManager(&tracks);
    ASSERT_EQ(model.items().size(), 2);
    EXPECT_EQ(model.items()[0].markerEnd, QString::number(second));
    EXPECT_DOUBLE_EQ(model.items()[1].duration, 180.0);
    EXPECT_EQ(model.items()[1].state, 0);

    model.setTrackTitle(0, QStringLiteral("Intro"));
    model.setAlbumName(QStringLiteral("Album"));
    model.ApplyClicked();
    EXPECT_EQ(manager.Album(), "Album");
    EXPECT_EQ(manager.GetMarkerTagFromMarkerId(manager.GetStartMarkerId()).value_or(MarkerTags()).value("Title"),
              "Intro");
}
