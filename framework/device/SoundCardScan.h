// The identity scan of the ALSA back-end: every sound card of the system
// with, for a USB card, its USB device as sysfs shows it
// (/sys/class/sound/cardN/device is the USB interface the card is bound to,
// its parent the USB device with idVendor, idProduct, bcdDevice and product)
// or, failing that, /proc/asound/cardN/usbid. The roots are parameters so
// that tests can scan a tree of their own.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct SystemRoots {
    std::string sys = "/sys";
    std::string proc = "/proc";
};

struct SoundCard {
    int index = -1;         // ALSA card number
    std::string id;         // ALSA card id
    std::string name;       // USB product name; the card id for other cards
    bool usb = false;
    int32_t vid = -1;
    int32_t pid = -1;
    int32_t firmware = -1;  // bcdDevice, -1 when unknown
    int interfaceNumber = -1; // USB interface of the capture stream
    int busNumber = -1;
    int deviceAddress = -1;
    std::string usbPort;    // kernel name of the USB device ("1-2.3")
    bool hasCapture = false; // PCM device 0 captures
    std::string uid;        // stable while the device stays on its port
    std::string modelUid;
    std::string pcmName;    // "hw:CARD=<id>,DEV=0"
    // A PCM named by the user that stands in for the turntable: no USB
    // device behind it, so no vendor switch (PCM only) and no firmware.
    bool pcmOnly = false;
};

// All cards, in card-number order. Cards whose files cannot be read are
// listed with what could be read.
std::vector<SoundCard> ScanSoundCards(const SystemRoots& roots);

// The card number of a sysfs name "cardN", or -1.
int CardIndexFromSysName(const std::string& sysName);
