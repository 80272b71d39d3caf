// The program under a Japanese system locale: the translation is found by the
// locale, the menus show it, the update check asks for the Japanese version file,
// and a screenshot of an open menu is left in tests/output/.
#include "AlertClicker.h"
#include "ScratchDesktop.h"
#include "ScriptedDialogs.h"
#include "control/AlertButtonTitles.h"
#include "root/AppDelegate.h"
#include "control/RecordingMath.h"
#include "cartova.h"
#include "root/SimulateOption.h"
#include "save/AlertDialog.h"
#include "root/Translations.h"
#include "update/UpdateChecker.h"
#include "window/MainWindow.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QTest>
#include <gtest/gtest.h>

namespace {

bool g_translationFound = false;

QStringList MenuTitles(QMenuBar* bar)
{
    QStringList titles;
    for (QAction* action : bar->actions())
        titles << action->text().remove(u'&');
    return titles;
}

} // namespace

TEST(JapaneseLocale, MenusAreTranslated)
{
    ASSERT_TRUE(g_translationFound);
    EXPECT_EQ(UpdateChecker::languageCode(), QStringLiteral("ja"));
    EXPECT_TRUE(UpdateChecker().versionFileUrl().path().endsWith(QStringLiteral("/VersionInfo_ja.txt")));

    ScriptedDialogs dialogs;
    auto app = std::make_unique<AppDelegate>();
    auto ownWindow = std::make_unique<MainWindow>();
    MainWindow* window = ownWindow.get();
    app->launch(*window, dialogs);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window, 30'000));

    QMenuBar* bar = window->menuBar();
    const QStringList titles = MenuTitles(bar);
    for (const char* title : {"ファイル", "録音", "編集", "表示", "ヘルプ"})
        EXPECT_TRUE(titles.contains(QString::fromUtf8(title))) << titles.join(u' ').toStdString();

    // Open the recording menu and photograph the screen with the window and the menu.
    QAction* recordMenu = nullptr;
    for (QAction* action : bar->actions())
        if (action->text().remove(u'&') == QString::fromUtf8("録音"))
            recordMenu = action;
    ASSERT_TRUE(recordMenu && recordMenu->menu());
    QMenu* menu = recordMenu->menu();
    EXPECT_EQ(menu->actions().first()->text().remove(u'&'), QString::fromUtf8("録音"));
    bar->setActiveAction(recordMenu);
    ASSERT_TRUE(QTest::qWaitFor([menu]() { return menu->isVisible(); }, 30'000));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(menu, 30'000));
    // Paint both now, so the X server holds the finished pixels when the screen is read.
    window->repaint();
    menu->repaint();
    QCoreApplication::processEvents();

    const QRect area = window->frameGeometry().united(menu->geometry()).adjusted(-4, -4, 4, 4);
    const QPixmap shot = window->screen()->grabWindow(0, area.x(), area.y(), area.width(), area.height());
    const QString outputDir = QStringLiteral(CARTOVA_SOURCE_DIR "/tests/output");
    QDir().mkpath(outputDir);
    EXPECT_TRUE(shot.save(outputDir + "/sillaro-ja-menus.png"));
    menu->close();
    app.reset();
}

// Texts built from named constants or helper functions reach the catalogue
// only when they are marked for it; these would show in English otherwise.
TEST(JapaneseLocale, AlertTextsBuiltByHelpersAreTranslated)
{
    using namespace alert_buttons;
    EXPECT_EQ(Title(kOk), QStringLiteral("OK"));
    EXPECT_EQ(Title(kCancel), QString::fromUtf8("キャンセル"));
    EXPECT_EQ(Title(kYes), QString::fromUtf8("はい"));
    EXPECT_EQ(Title(kNo), QString::fromUtf8("いいえ"));

    const AlertRequest start = StartRecordingAlert(30.0, QStringLiteral("/tmp"));
    EXPECT_EQ(start.buttons.value(0), QString::fromUtf8("録音開始"));
    EXPECT_TRUE(start.information.startsWith(QString::fromUtf8("最大録音時間"))) << start.information.toStdString();

    const std::vector<TkDroppedAudio> places(9, TkDroppedAudio{83.46, 4410});
    const QString lost = LostAudioAlert(places, 44100, 0).information;
    for (const char* part : {"箇所あります", "サンプル消失", "ほか 1 箇所"})
        EXPECT_TRUE(lost.contains(QString::fromUtf8(part))) << part << " in " << lost.toStdString();
}

// The start-recording alert as the user sees it, photographed before it is
// cancelled with its Japanese button.
TEST(JapaneseLocale, StartRecordingAlertIsShownInJapanese)
{
    const QString outputDir = QStringLiteral(CARTOVA_SOURCE_DIR "/tests/output");
    QDir().mkpath(outputDir);
    AlertClicker clicker(outputDir);
    const AlertRequest start = StartRecordingAlert(30.0, QStringLiteral("/home/user/.cache/Sillaro"));
    clicker.answer(start.message, QString::fromUtf8("キャンセル"));
    clicker.screenshot(start.message, QStringLiteral("sillaro-ja-start-recording.png"));
    EXPECT_EQ(AlertDialog::Run(start), 1) << "the second button cancels";
    ASSERT_EQ(clicker.seen().size(), 1u);
    EXPECT_TRUE(QFile::exists(outputDir + "/sillaro-ja-start-recording.png"));
}

int main(int argc, char** argv)
{
    ScratchDesktop scratch(QStringLiteral("Sillaro"));
    qputenv("LANG", "ja_JP.UTF-8");
    qputenv("LANGUAGE", "ja");
    qunsetenv("LC_ALL");
    qunsetenv("LC_MESSAGES");
    ApplySimulateOption({QStringLiteral("--simulate")});
    QApplication qapp(argc, argv);
    g_translationFound = InstallTranslations(qapp);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
