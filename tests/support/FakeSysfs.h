// A sysfs and procfs tree of sound cards built in a scratch folder, laid out
// as the kernel shows USB audio cards (the card's "device" link is the USB
// interface, whose parent is the USB device) and other cards.
#pragma once

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "device/SoundCardScan.h"

struct FakeUsbCard {
    int index = 1;
    std::string id = "QTLV200";
    int vid = 0x2F6C;
    int pid = 0x0C20;
    int bcdDevice = 0x0123;
    std::string product = "QT-LV200";
    std::string port = "1-2";
    int bus = 1;
    int address = 7;
    int controlInterface = 0;
    int captureInterface = 2; // from stream0; -1 leaves stream0 out
    bool capture = true;
};

class FakeSysfs {
public:
    FakeSysfs()
    {
        char pattern[] = "/tmp/cartova-sysfs-XXXXXX";
        const char* made = mkdtemp(pattern);
        m_root = made != nullptr ? made : "/tmp/cartova-sysfs";
        std::filesystem::create_directories(m_root / "sys/class/sound");
        std::filesystem::create_directories(m_root / "proc/asound");
    }
    ~FakeSysfs() { std::filesystem::remove_all(m_root); }
    FakeSysfs(const FakeSysfs&) = delete;
    FakeSysfs& operator=(const FakeSysfs&) = delete;

    SystemRoots Roots() const { return {(m_root / "sys").string(), (m_root / "proc").string()}; }

    void AddUsbCard(const FakeUsbCard& card)
    {
        namespace fs = std::filesystem;
        const fs::path usb = m_root / "sys/devices/pci0000:00/usb1" / card.port;
        const fs::path interface = usb / (card.port + ":1." + std::to_string(card.controlInterface));
        fs::create_directories(interface);
        Write(usb / "idVendor", Hex(card.vid));
        Write(usb / "idProduct", Hex(card.pid));
        Write(usb / "bcdDevice", Hex(card.bcdDevice));
        Write(usb / "product", card.product);
        Write(usb / "busnum", std::to_string(card.bus));
        Write(usb / "devnum", std::to_string(card.address));
        Write(interface / "bInterfaceNumber", Hex(card.controlInterface, 2));
        AddCard(interface, card.index, card.id, card.capture);
        const fs::path proc = m_root / "proc/asound" / ("card" + std::to_string(card.index));
        Write(proc / "usbid", Hex(card.vid) + ":" + Hex(card.pid));
        if (card.captureInterface >= 0) {
            Write(proc / "stream0", card.product + " at usb-0000:00:14.0-2, high speed : USB Audio\n\n"
                                    "Playback:\n  Status: Stop\n  Interface 1\n    Altset 1\n\n"
                                    "Capture:\n  Status: Stop\n  Interface " +
                                        std::to_string(card.captureInterface) +
                                        "\n    Altset 1\n    Format: S32_LE\n    Channels: 2\n");
        }
    }

    void AddPciCard(int index, const std::string& id)
    {
        const std::filesystem::path pci = m_root / "sys/devices/pci0000:00/0000:00:1f.3";
        std::filesystem::create_directories(pci);
        Write(pci / "vendor", "0x8086");
        AddCard(pci, index, id, true);
    }

    void RemoveCard(int index)
    {
        namespace fs = std::filesystem;
        const std::string name = "card" + std::to_string(index);
        fs::remove(m_root / "sys/class/sound" / name);
        fs::remove(m_root / "sys/class/sound" / ("pcmC" + std::to_string(index) + "D0c"));
        fs::remove_all(m_root / "proc/asound" / name);
    }

private:
    static std::string Hex(int value, int digits = 4)
    {
        char text[16];
        std::snprintf(text, sizeof text, "%0*x", digits, value);
        return text;
    }

    static void Write(const std::filesystem::path& path, const std::string& text)
    {
        std::filesystem::create_directories(path.parent_path());
        std::ofstream(path) << text << "\n";
    }

    void AddCard(const std::filesystem::path& parent, int index, const std::string& id, bool capture)
    {
        namespace fs = std::filesystem;
        const std::string name = "card" + std::to_string(index);
        const fs::path card = parent / "sound" / name;
        fs::create_directories(card);
        Write(card / "id", id);
        Write(card / "number", std::to_string(index));
        std::error_code ignored;
        fs::remove(card / "device", ignored);
        fs::create_directory_symlink(fs::relative(parent, card), card / "device");
        const fs::path classDir = m_root / "sys/class/sound";
        fs::remove(classDir / name, ignored);
        fs::create_directory_symlink(fs::relative(card, classDir), classDir / name);
        if (capture) {
            fs::create_directories(card / ("pcmC" + std::to_string(index) + "D0c"));
            fs::remove(classDir / ("pcmC" + std::to_string(index) + "D0c"), ignored);
            fs::create_directory_symlink(fs::relative(card / ("pcmC" + std::to_string(index) + "D0c"), classDir),
                                         classDir / ("pcmC" + std::to_string(index) + "D0c"));
        }
    }

    std::filesystem::path m_root;
};
