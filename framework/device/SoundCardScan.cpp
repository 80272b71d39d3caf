// Reading sound cards and their USB identity from sysfs and procfs.
#include "device/SoundCardScan.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

namespace {

// The first line of a small attribute file, without its line end; empty
// when it cannot be read.
std::string ReadLine(const fs::path& path)
{
    std::ifstream in(path);
    std::string line;
    if (!in || !std::getline(in, line)) {
        return {};
    }
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t')) {
        line.pop_back();
    }
    return line;
}

// A number in the given base filling the whole text; -1 otherwise.
int64_t ParseNumber(const std::string& text, int base)
{
    if (text.empty()) {
        return -1;
    }
    char* end = nullptr;
    const long long value = std::strtoll(text.c_str(), &end, base);
    if (end == text.c_str() || *end != '\0' || value < 0) {
        return -1;
    }
    return value;
}

// The capture stream's USB interface from /proc/asound/cardN/stream0: the
// first "Interface N" line after "Capture:".
int CaptureInterfaceFromStreamFile(const fs::path& path)
{
    std::ifstream in(path);
    std::string line;
    bool inCapture = false;
    while (std::getline(in, line)) {
        const auto first = line.find_first_not_of(" \t");
        const std::string trimmed = first == std::string::npos ? std::string() : line.substr(first);
        if (first == 0) {
            inCapture = trimmed.rfind("Capture:", 0) == 0;
            continue;
        }
        if (inCapture && trimmed.rfind("Interface ", 0) == 0) {
            return static_cast<int>(ParseNumber(trimmed.substr(10), 10));
        }
    }
    return -1;
}

void ReadUsbIdentity(const fs::path& cardDir, const fs::path& procCard, SoundCard& card)
{
    std::error_code error;
    const fs::path interfaceDir = fs::canonical(cardDir / "device", error);
    if (!error && fs::exists(interfaceDir / "bInterfaceNumber")) {
        const fs::path usbDevice = interfaceDir.parent_path();
        const int64_t vid = ParseNumber(ReadLine(usbDevice / "idVendor"), 16);
        const int64_t pid = ParseNumber(ReadLine(usbDevice / "idProduct"), 16);
        if (vid >= 0 && pid >= 0) {
            card.usb = true;
            card.vid = static_cast<int32_t>(vid);
            card.pid = static_cast<int32_t>(pid);
            card.firmware = static_cast<int32_t>(ParseNumber(ReadLine(usbDevice / "bcdDevice"), 16));
            card.name = ReadLine(usbDevice / "product");
            card.busNumber = static_cast<int>(ParseNumber(ReadLine(usbDevice / "busnum"), 10));
            card.deviceAddress = static_cast<int>(ParseNumber(ReadLine(usbDevice / "devnum"), 10));
            card.usbPort = usbDevice.filename().string();
            card.interfaceNumber = static_cast<int>(ParseNumber(ReadLine(interfaceDir / "bInterfaceNumber"), 16));
        }
    }
    if (!card.usb) {
        // Without a USB device in sysfs, the driver's own note of the ids.
        const std::string usbid = ReadLine(procCard / "usbid");
        const auto colon = usbid.find(':');
        if (colon != std::string::npos) {
            const int64_t vid = ParseNumber(usbid.substr(0, colon), 16);
            const int64_t pid = ParseNumber(usbid.substr(colon + 1), 16);
            if (vid >= 0 && pid >= 0) {
                card.usb = true;
                card.vid = static_cast<int32_t>(vid);
                card.pid = static_cast<int32_t>(pid);
            }
        }
    }
    if (card.usb) {
        const int streamInterface = CaptureInterfaceFromStreamFile(procCard / "stream0");
        if (streamInterface >= 0) {
            card.interfaceNumber = streamInterface;
        }
    }
}

std::string Hex4(int32_t value)
{
    char text[8];
    std::snprintf(text, sizeof text, "%04x", static_cast<unsigned>(value) & 0xFFFFu);
    return text;
}

} // namespace

int CardIndexFromSysName(const std::string& sysName)
{
    if (sysName.rfind("card", 0) != 0) {
        return -1;
    }
    const int64_t index = ParseNumber(sysName.substr(4), 10);
    return index >= 0 && index < 1024 ? static_cast<int>(index) : -1;
}

std::vector<SoundCard> ScanSoundCards(const SystemRoots& roots)
{
    std::vector<SoundCard> cards;
    const fs::path classDir = fs::path(roots.sys) / "class" / "sound";
    std::error_code error;
    for (fs::directory_iterator it(classDir, error), end; !error && it != end; it.increment(error)) {
        const std::string sysName = it->path().filename().string();
        const int index = CardIndexFromSysName(sysName);
        if (index < 0) {
            continue;
        }
        const fs::path procCard = fs::path(roots.proc) / "asound" / sysName;
        SoundCard card;
        card.index = index;
        card.id = ReadLine(it->path() / "id");
        if (card.id.empty()) {
            card.id = ReadLine(procCard / "id");
        }
        ReadUsbIdentity(it->path(), procCard, card);
        if (card.name.empty()) {
            card.name = card.id;
        }
        const std::string pcm = "pcmC" + std::to_string(index) + "D0c";
        card.hasCapture = fs::exists(classDir / pcm) || fs::exists(procCard / "pcm0c");
        card.pcmName = "hw:CARD=" + (card.id.empty() ? std::to_string(index) : card.id) + ",DEV=0";
        if (card.usb) {
            card.modelUid = "usb:" + Hex4(card.vid) + ":" + Hex4(card.pid);
            card.uid = card.modelUid + ":" + (card.usbPort.empty() ? "card" + std::to_string(index) : card.usbPort);
        } else {
            card.modelUid = "alsa:" + card.id;
            card.uid = "alsa:card" + std::to_string(index) + ":" + card.id;
        }
        cards.push_back(std::move(card));
    }
    std::sort(cards.begin(), cards.end(), [](const SoundCard& a, const SoundCard& b) { return a.index < b.index; });
    return cards;
}
