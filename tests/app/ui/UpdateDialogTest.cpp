// The offer panel's download: progress to the end, cancel, failure, and the file left behind.
#include "LoopbackHttpServer.h"
#include "UpdateTestSupport.h"
#include "update/DownloadWrapper.h"
#include "update/UpdateDialog.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QProgressDialog>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

const QString kPackagePath = QStringLiteral("/pkg/sillaro_1.10.0_amd64.deb");

QByteArray PackageBytes()
{
    QByteArray bytes(300 * 1024, '\0');
    for (qsizetype i = 0; i < bytes.size(); ++i)
        bytes[i] = char(i * 7 % 251);
    return bytes;
}

QByteArray ReadFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

class UpdateDialogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(server.start());
        ASSERT_TRUE(dir.isValid());
        destination = dir.filePath(QStringLiteral("sillaro_1.10.0_amd64.deb"));
        dialog.setVersion(QStringLiteral("1.10.0"));
        dialog.setTarget_URL(server.url(kPackagePath));
        dialog.setDefault_file_name(QStringLiteral("sillaro_1.10.0_amd64.deb"));
        dialog.setDestinationChooser([this](const QString& name) {
            offeredName = name;
            return chosen;
        });
        dialog.setAlertHandler([this](AlertKind, const QString& message, const QString&) {
            alerts.append(message);
            return true;
        });
        chosen = destination;
    }

    int download()
    {
        QSignalSpy ended(&dialog, &UpdateDialog::downloadEnded);
        dialog.onClickDownloadButton();
        EXPECT_TRUE(WaitUntil([&]() { return ended.count() == 1; }));
        return ended.isEmpty() ? -1 : ended.first().first().toInt();
    }

    bool buttonsEnabled() const
    {
        return dialog.downloadButton()->isEnabled() && dialog.cancelButton()->isEnabled();
    }

    LoopbackHttpServer server;
    QTemporaryDir dir;
    UpdateDialog dialog;
    QString destination, chosen, offeredName;
    QStringList alerts;
};

} // namespace

TEST_F(UpdateDialogTest, ShowsTheOfferTexts)
{
    const auto* top = dialog.findChild<QLabel*>(QStringLiteral("label_top"));
    ASSERT_TRUE(top);
    EXPECT_EQ(top->text(), QStringLiteral("Latest version of Sillaro  1.10.0 is now available."));
    EXPECT_EQ(dialog.downloadButton()->text(), QStringLiteral("Download"));
    EXPECT_EQ(dialog.cancelButton()->text(), QStringLiteral("Cancel"));
}

TEST_F(UpdateDialogTest, DownloadsThePackageWithProgressToTheEnd)
{
    QFile old(destination);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("an older download");
    old.close();
    server.setResponse(kPackagePath, {200, PackageBytes()});

    EXPECT_EQ(download(), DownloadWrapper::Success);
    EXPECT_EQ(offeredName, QStringLiteral("sillaro_1.10.0_amd64.deb"));
    EXPECT_EQ(dialog.progressValue(), 1000);
    EXPECT_EQ(ReadFile(destination), PackageBytes());
    EXPECT_EQ(dialog.result(), UpdateDialog::Downloaded);
    EXPECT_TRUE(alerts.isEmpty());
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"sillaro_1.10.0_amd64.deb"});
}

TEST_F(UpdateDialogTest, CancelStopsTheDownloadAndKeepsTheExistingFile)
{
    QFile old(destination);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("keep me");
    old.close();
    LoopbackHttpServer::Response partial{200, PackageBytes(), LoopbackHttpServer::Mode::PartialThenHang};
    partial.partialBytes = 100 * 1024;
    server.setResponse(kPackagePath, partial);

    QSignalSpy ended(&dialog, &UpdateDialog::downloadEnded);
    dialog.onClickDownloadButton();
    EXPECT_FALSE(buttonsEnabled());
    EXPECT_TRUE(dialog.isDownloading());
    // Wait until part of the package has arrived, then cancel from the progress panel.
    ASSERT_TRUE(WaitUntil([&]() { return dialog.progressValue() > 0; }));
    EXPECT_LT(dialog.progressValue(), 1000);
    auto* cancel = dialog.progressPanel()->findChild<QPushButton*>();
    ASSERT_TRUE(cancel);
    cancel->click();
    ASSERT_TRUE(WaitUntil([&]() { return ended.count() == 1; }));

    EXPECT_EQ(ended.first().first().toInt(), DownloadWrapper::Cancelled);
    EXPECT_TRUE(buttonsEnabled());
    EXPECT_FALSE(dialog.isDownloading());
    EXPECT_TRUE(alerts.isEmpty());
    EXPECT_EQ(ReadFile(destination), QByteArray("keep me"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 1);
}

TEST_F(UpdateDialogTest, FailedDownloadSaysSoAndLetsTheUserRetry)
{
    EXPECT_EQ(download(), DownloadWrapper::Failure); // 404
    EXPECT_EQ(alerts, QStringList{"Failed to download new version."});
    EXPECT_TRUE(buttonsEnabled());
    EXPECT_FALSE(QFile::exists(destination));
    EXPECT_TRUE(QDir(dir.path()).isEmpty());

    server.setResponse(kPackagePath, {200, PackageBytes()});
    EXPECT_EQ(download(), DownloadWrapper::Success);
    EXPECT_EQ(ReadFile(destination), PackageBytes());
}

TEST_F(UpdateDialogTest, UnwritableDestinationFails)
{
    server.setResponse(kPackagePath, {200, PackageBytes()});
    chosen = dir.filePath(QStringLiteral("no/such/folder/p.deb"));
    EXPECT_EQ(download(), DownloadWrapper::Failure);
    EXPECT_EQ(alerts, QStringList{"Failed to download new version."});
    EXPECT_TRUE(buttonsEnabled());
}

TEST_F(UpdateDialogTest, NoDestinationChosenDoesNothing)
{
    chosen.clear();
    dialog.onClickDownloadButton();
    EXPECT_FALSE(dialog.isDownloading());
    EXPECT_TRUE(buttonsEnabled());
    EXPECT_TRUE(server.requestedPaths().isEmpty());
}
