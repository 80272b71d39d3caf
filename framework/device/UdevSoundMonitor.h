// Hot-plug of sound cards: a libudev monitor on the "sound" subsystem, read
// on a thread of its own. A card is reported when it is ready (its "change"
// event with SOUND_INITIALIZED, sent once all its devices exist) and when it
// is removed; other events are ignored.
#pragma once

#include <functional>
#include <string>
#include <thread>

struct udev;
struct udev_monitor;

enum class SoundCardEvent { Ready, Removed };

class UdevSoundMonitor {
public:
    using Handler = std::function<void(SoundCardEvent event, const std::string& sysName)>;

    UdevSoundMonitor() = default;
    ~UdevSoundMonitor();

    UdevSoundMonitor(const UdevSoundMonitor&) = delete;
    UdevSoundMonitor& operator=(const UdevSoundMonitor&) = delete;

    // 0, or a negative errno when no monitor can be created (then no
    // hot-plug events arrive).
    int Start(Handler handler);
    void Stop();

    // What an event of the sound subsystem means for a card: nothing
    // (false), or `event` for the card `sysName` ("cardN").
    static bool Classify(const std::string& action, const std::string& sysName, bool soundInitialized,
                         SoundCardEvent& event);

private:
    void Run();

    Handler m_handler;
    udev* m_udev = nullptr;
    udev_monitor* m_monitor = nullptr;
    int m_stopFd = -1;
    std::thread m_thread;
};
