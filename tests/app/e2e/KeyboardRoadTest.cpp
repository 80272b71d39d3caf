// The program driven from the keyboard alone, with key presses sent through the X server
// (no window manager hands the focus back here): record, complete, mark, walk the markers,
// find the track gaps, write, undo and write again. Only the Write to Files button is
// clicked. Every step waits for the state it needs; modal dialogs run their own loops, so
// the steps run from a timer that fires inside them too.
#include "AlertClicker.h"
#include "WaitFor.h"
#include "XKeyboard.h"
#include "control/QuitFlow.h"
#include "marker/MarkerManager.h"
#include "root/AppDelegate.h"
#include "state/ModeTimeManager.h"
#include "wave/WaveView.h"
#include "window/MainWindow.h"

#include <QApplication>
#include <algorithm>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

namespace {

const QString kOutputDir = QStringLiteral(CARTOVA_SOURCE_DIR "/tests/output");
constexpr int kPatienceMs = 180000;

ModeTimeManager& Mtm()
{
    return ModeTimeManager::sharedInstance();
}

// Steps run in order from a timer: each acts once its condition holds.
class Script : public QObject {
public:
    struct Step {
        const char* name;
        std::function<bool()> ready;
        std::function<void()> act;
    };

    explicit Script(std::vector<Step> steps) : m_steps(std::move(steps))
    {
        connect(&m_timer, &QTimer::timeout, this, [this]() { tick(); });
        m_timer.start(20);
    }
    bool done() const { return m_next == m_steps.size(); }
    // The step the script waits at (for the failure message).
    std::string waitingAt() const { return done() ? "done" : m_steps[m_next].name; }

private:
    void tick()
    {
        if (done() || !m_steps[m_next].ready())
            return;
        Step& step = m_steps[m_next++];
        // Actions that open a modal dialog must not run inside this tick.
        QTimer::singleShot(0, this, step.act);
    }

    QTimer m_timer;
    std::vector<Step> m_steps;
    size_t m_next = 0;
};

// Whether w is the window with the keyboard focus, and nothing modal is in front of it.
bool HasFocus(QWidget* w)
{
    return QApplication::activeWindow() == w && QApplication::activeModalWidget() == nullptr;
}

// The active modal dialog of a class, when it has the keyboard focus.
template <typename Dialog>
Dialog* FocusedModal()
{
    auto* modal = qobject_cast<Dialog*>(QApplication::activeModalWidget());
    return modal && QApplication::activeWindow() == modal ? modal : nullptr;
}

// The message of the focused alert; empty when no alert has the focus.
QString FocusedAlert()
{
    QWidget* modal = FocusedModal<QWidget>();
    if (!modal || modal->objectName() != QLatin1String("alert"))
        return QString();
    const QWidget* message = modal->findChild<QWidget*>(QStringLiteral("alert_message"));
    return message ? message->property("text").toString() : QString();
}

bool AlertShows(const QString& message)
{
    return FocusedAlert() == message;
}

int FilesIn(const QString& folder)
{
    return static_cast<int>(QDir(folder).entryList(QDir::Files).size());
}

} // namespace

TEST(KeyboardRoad, RecordMarkFindGapsWriteUndoAndWriteAgain)
{
    XKeyboard keys;
    ASSERT_TRUE(keys.isAvailable()) << "no X display with the XTEST extension";
    QTemporaryDir music;
    QSettings().setValue(QStringLiteral("Save Directory"), music.path());
    QSettings().setValue(QStringLiteral("Record Format"), QStringLiteral("WAV"));
    QSettings().setValue(QStringLiteral("Sampling Frequency (WAV)"), 44100);

    auto app = std::make_unique<AppDelegate>();
    app->launch(); // the real window and dialogs
    MainWindow* window = app->window();
    WaveView* wave = window->controls().waveView;
    auto markerCount = [&]() { return app->markerManager() ? app->markerManager()->count() : 0; };
    int markersAfterGaps = 0;
    // The tracks Write to Files writes: the checked ones (a lead-in or run-out is unchecked).
    auto checkedTracks = [&]() {
        const std::vector<int32_t> ids = app->markerManager()->EnumMarkerId();
        return static_cast<int>(std::count_if(ids.begin(), ids.end() - 1, [&](int32_t id) {
            return app->markerManager()->IsMarkerCheckedFromId(id);
        }));
    };
    int tracksAfterGaps = 0;
    bool albumNameFocused = false;
    bool albumNameSelected = false;

    Script script({
        {"ready with the focus", [&] { return HasFocus(window) && Mtm().status() == ModeStatusReady; },
         [&] { keys.press("ctrl+r"); }},
        {"start dialog focused", [&] { return AlertShows(
             "Play the vinyl record on the turntable and click the \"Start Recording\" button."); },
         [&] { keys.press("Return"); }},
        // Past the first gap of the demo album (tracks of 30 s, gaps of 3 s).
        {"recorded 40 s, focus back", [&] { return Mtm().status() == ModeStatusRecording && Mtm().currentTime() >= 40.0 &&
                                                   HasFocus(window); },
         [&] { keys.press("ctrl+period"); }},
        {"edit mode", [&] { return Mtm().status() == ModeStatusEditStopped && HasFocus(window) && markerCount() == 2; },
         [&] {
             // A click on the waveform at 8 s (10 px a second from the cursor's place).
             const double x = wave->pxFromSecond(8.0);
             QTest::mouseClick(wave, Qt::LeftButton, {}, QPoint(static_cast<int>(x), wave->height() / 2));
             keys.press("ctrl+m");
         }},
        {"marker added", [&] { return markerCount() == 3; }, [&] { keys.press("ctrl+Left"); }},
        {"at the start marker", [&] { return Mtm().currentTime() == 0.0; }, [&] { keys.press("ctrl+Right"); }},
        {"at the new marker", [&] { return Mtm().currentTime() > 7.0 && Mtm().currentTime() < 9.0; },
         [&] { keys.press("ctrl+Delete"); }},
        {"delete question", [&] { return AlertShows("Do you want to delete the selected marker?"); },
         [&] { keys.press("Return"); }},
        {"marker deleted", [&] { return markerCount() == 2 && HasFocus(window); }, [&] { keys.press("ctrl+g"); }},
        {"gaps found",
         [&] {
             auto* dialog = FocusedModal<QDialog>();
             auto* message = dialog ? dialog->findChild<QLabel*>(QStringLiteral("label_message")) : nullptr;
             return message && message->text().startsWith("Gaps between tracks found: ");
         },
         [&] { keys.press("Return"); }},
        {"gap markers", [&] { return markerCount() > 2 && HasFocus(window); },
         [&] {
             markersAfterGaps = markerCount();
             tracksAfterGaps = checkedTracks();
             keys.press("ctrl+s");
         }},
        {"write dialog focused", [&] { return FocusedModal<QDialog>() && FocusedModal<QDialog>()->objectName() == "SaveDialog"; },
         [&] {
             auto* name = qobject_cast<QLineEdit*>(QApplication::focusWidget());
             albumNameFocused = name && name->objectName() == "edit_album_name";
             albumNameSelected = name && name->selectedText() == name->text();
             keys.type("Road");
         }},
        {"album typed", [&] {
             auto* name = qobject_cast<QLineEdit*>(QApplication::focusWidget());
             return name && name->text() == "Road";
         },
         [&] {
             QWidget* dialog = QApplication::activeModalWidget();
             dialog->grab().save(kOutputDir + "/sillaro-keyboard-write-dialog.png");
             QTest::mouseClick(dialog->findChild<QPushButton*>("button_write"), Qt::LeftButton);
         }},
        {"folder chooser focused", [&] { return FocusedModal<QFileDialog>() != nullptr; },
         [&] { keys.press("Return"); }},
        {"tracks written", [&] { return FilesIn(music.filePath("Road")) == tracksAfterGaps && HasFocus(window); },
         [&] { keys.press("ctrl+z"); }},
        {"gaps undone", [&] { return markerCount() == 2; }, [&] { keys.press("ctrl+s"); }},
        {"write dialog again", [&] {
             auto* name = qobject_cast<QLineEdit*>(QApplication::focusWidget());
             return FocusedModal<QDialog>() && name && name->objectName() == "edit_album_name" &&
                    name->selectedText() == "Road";
         },
         [&] { keys.type("Whole Side"); }},
        {"second album typed", [&] {
             auto* name = qobject_cast<QLineEdit*>(QApplication::focusWidget());
             return name && name->text() == "Whole Side";
         },
         [&] {
             QTest::mouseClick(QApplication::activeModalWidget()->findChild<QPushButton*>("button_write"), Qt::LeftButton);
         }},
        {"folder chooser again", [&] { return FocusedModal<QFileDialog>() != nullptr; }, [&] { keys.press("Return"); }},
        {"one track written", [&] { return FilesIn(music.filePath("Whole Side")) == 1 && HasFocus(window); }, [] {}},
    });

    EXPECT_TRUE(WaitFor([&] { return script.done(); }, kPatienceMs)) << "waiting at: " << script.waitingAt();
    EXPECT_TRUE(albumNameFocused);
    EXPECT_TRUE(albumNameSelected);
    EXPECT_GE(markersAfterGaps, 3);

    AlertClicker clicker(kOutputDir);
    clicker.answer("Are you sure you want to exit?", "OK");
    app->quitFlow()->terminate();
    app->shutdown();
    app.reset();
}
