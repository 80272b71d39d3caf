// The update check against a version file served on the loopback interface.
#include "LoopbackHttpServer.h"
#include "ScriptedDialogs.h"
#include "UpdateTestSupport.h"
#include "update/UpdateChecker.h"
#include "update/UpdateServer.h"

#include <QSettings>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

const QString kVersionPath = QStringLiteral("/QT/Sillaro/Mac/VersionInfo_en.txt");
constexpr int kNoResult = -1;

class UpdateCheckerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(server.start());
        // The checker finds the server through the setting, as the program does.
        previousServer = QSettings().value(kKeyUpdateServer);
        QSettings().setValue(kKeyUpdateServer, server.baseUrl().toString());
        dialogs.onUpdateDialog = [this](const UpdateOffer& o) {
            offers.push_back(o);
            return offerAnswer;
        };
        checker.setOfferHandler([this](const UpdateOffer& offer) { return dialogs.runUpdateDialog(offer); });
        checker.setVersionString(QStringLiteral("1.9.9"));
    }
    void TearDown() override { QSettings().setValue(kKeyUpdateServer, previousServer); }

    void serve(const QString& text)
    {
        LoopbackHttpServer::Response r;
        r.body = VersionFileBody(text);
        server.setResponse(kVersionPath, r);
    }

    int check()
    {
        int result = kNoResult;
        checker.checkUpdate([&result](int r) { result = r; });
        EXPECT_TRUE(WaitUntil([&]() { return result != kNoResult; }));
        return result;
    }

    LoopbackHttpServer server;
    QVariant previousServer; // the setting before the test, put back after it
    ScriptedDialogs dialogs;
    std::vector<UpdateOffer> offers;
    int offerAnswer = 0; // closing code of the offer: 0 cancelled, 1 downloaded
    UpdateChecker checker;
};

const QString kNewer = QStringLiteral("Version: 1.10.0\nURL: http://127.0.0.1/pkg/sillaro_1.10.0_amd64.deb\nNew:\n- faster\n");

} // namespace

TEST_F(UpdateCheckerTest, OffersANewerVersionAndReportsTheAnswer)
{
    serve(kNewer);
    offerAnswer = 1;
    EXPECT_EQ(check(), UpdateCheckDownloaded);
    EXPECT_EQ(server.requestedPaths(), QStringList{kVersionPath});
    ASSERT_EQ(offers.size(), 1u);
    EXPECT_EQ(offers[0].version, QStringLiteral("1.10.0"));
    EXPECT_EQ(offers[0].detail, QStringLiteral("New:\n- faster\n"));
    EXPECT_EQ(offers[0].url, QStringLiteral("http://127.0.0.1/pkg/sillaro_1.10.0_amd64.deb"));
    EXPECT_EQ(offers[0].defaultFileName, QStringLiteral("sillaro_1.10.0_amd64.deb"));

    offerAnswer = 0;
    EXPECT_EQ(check(), UpdateCheckDeclined);
}

TEST_F(UpdateCheckerTest, SameOrOlderVersionIsUpToDate)
{
    serve(QStringLiteral("Version: 1.9.9\nURL: https://example.test/a.deb\nnotes"));
    EXPECT_EQ(check(), UpdateCheckUpToDate);
    serve(QStringLiteral("Version: 1.2.0\nURL: https://example.test/a.deb\nnotes"));
    EXPECT_EQ(check(), UpdateCheckUpToDate);
    EXPECT_EQ(int(offers.size()), 0);
}

TEST_F(UpdateCheckerTest, OwnVersionThatDoesNotParseCountsAsZero)
{
    checker.setVersionString(QStringLiteral("2.0"));
    serve(QStringLiteral("Version: 0.0.1\nURL: https://example.test/a.deb\nnotes"));
    EXPECT_EQ(check(), UpdateCheckDeclined);
    EXPECT_EQ(int(offers.size()), 1);
}

TEST_F(UpdateCheckerTest, UnusableVersionFilesFail)
{
    serve(QStringLiteral("Version: 1.10.0\nURL: https://example.test/a.deb"));
    EXPECT_EQ(check(), UpdateCheckFailed);
    serve(QStringLiteral("Version 1.10.0\nURL: https://example.test/a.deb\nnotes"));
    EXPECT_EQ(check(), UpdateCheckFailed);
    server.setResponse(kVersionPath, {404, VersionFileBody(kNewer)});
    EXPECT_EQ(check(), UpdateCheckFailed);
    EXPECT_EQ(int(offers.size()), 0);
}

TEST_F(UpdateCheckerTest, ServerThatDoesNotAnswerFailsAfterTheRequestTimeout)
{
    TransferLimits limits;
    limits.requestTimeout = std::chrono::milliseconds(200);
    checker.transfers().setLimits(limits);
    server.setResponse(kVersionPath, {200, VersionFileBody(kNewer), LoopbackHttpServer::Mode::Silent});
    EXPECT_EQ(check(), UpdateCheckFailed);
}

TEST_F(UpdateCheckerTest, TransferThatNeverEndsFailsAfterTheOverallTimeout)
{
    TransferLimits limits;
    limits.overallTimeout = std::chrono::milliseconds(300);
    checker.transfers().setLimits(limits);
    LoopbackHttpServer::Response trickle{200, VersionFileBody(kNewer), LoopbackHttpServer::Mode::Trickle};
    trickle.trickleIntervalMs = 10;
    server.setResponse(kVersionPath, trickle);
    EXPECT_EQ(check(), UpdateCheckFailed);
}

TEST_F(UpdateCheckerTest, CheckLeavesTheEventLoopRunningWhileTheServerIsSlow)
{
    LoopbackHttpServer::Response held{200, VersionFileBody(QStringLiteral("Version: 1.0.0\nURL: https://example.test/a.deb\nn")),
                                      LoopbackHttpServer::Mode::Hold};
    server.setResponse(kVersionPath, held);

    int result = kNoResult;
    checker.checkUpdate([&result](int r) { result = r; });
    EXPECT_EQ(result, kNoResult); // returns before the server answers

    // A timer keeps firing while the request waits; the server answers only after it has.
    int ticks = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&]() {
        if (++ticks == 5)
            server.release();
    });
    timer.start(10);
    ASSERT_TRUE(WaitUntil([&]() { return result != kNoResult; }));
    EXPECT_GE(ticks, 5);
    EXPECT_EQ(result, UpdateCheckUpToDate);
}

TEST_F(UpdateCheckerTest, RequestsWhileACheckRunsShareItsResult)
{
    server.setResponse(kVersionPath, {200, VersionFileBody(QStringLiteral("Version: 1.0.0\nURL: https://e.test/a.deb\nn")),
                                      LoopbackHttpServer::Mode::Hold});
    int first = kNoResult, second = kNoResult;
    checker.checkUpdate([&](int r) { first = r; });
    checker.checkUpdate([&](int r) { second = r; });
    ASSERT_TRUE(WaitUntil([&]() { return server.requestedPaths().size() == 1; }));
    server.release();
    ASSERT_TRUE(WaitUntil([&]() { return first != kNoResult && second != kNoResult; }));
    EXPECT_EQ(first, UpdateCheckUpToDate);
    EXPECT_EQ(second, UpdateCheckUpToDate);
    EXPECT_EQ(server.requestedPaths().size(), 1);
}

TEST(UpdateServer, DefaultsToTheProjectsSecureServer)
{
    const QVariant previousServer = QSettings().value(kKeyUpdateServer);
    QSettings().remove(kKeyUpdateServer);
    EXPECT_EQ(UpdateServerAddress().scheme(), QStringLiteral("https"));
    UpdateChecker checker;
    EXPECT_EQ(UpdateChecker::languageCode(), QStringLiteral("en"));
    EXPECT_EQ(checker.versionFileUrl().path(), QStringLiteral("/QT/Sillaro/Mac/VersionInfo_en.txt"));
    EXPECT_EQ(checker.versionString(), QStringLiteral(SILLARO_VERSION));
    QSettings().setValue(kKeyUpdateServer, previousServer);
}
