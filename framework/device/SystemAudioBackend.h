// Chooses the system's audio back-end: CARTOVA_DEVICE=sim gives the simulated
// turntable (CARTOVA_SIM_SOURCE names a WAV file to play instead of the demo
// album, CARTOVA_SIM_SPEED a pace factor, 1 = real time);
// CARTOVA_DEVICE=alsa:PCMNAME records from that ALSA PCM as if it were the
// turntable (PCM only); otherwise the system's ALSA sound cards, of which
// the device filter keeps the turntable. A back-end that was asked for but
// cannot be provided (a CARTOVA_SIM_SOURCE that cannot be played) is replaced
// by one without devices, and `problem` (when given) says why, so that the
// user is told instead of being given something else.
#pragma once

#include <memory>
#include <string>

#include "device/IAudioHardware.h"
#include "device/IUsbRegistry.h"
#include "device/SoundCardScan.h"

struct AudioBackend {
    std::shared_ptr<IAudioHardware> hardware;
    std::shared_ptr<IUsbRegistry> usb;
};

// problem: set to why the configured device is not available, or emptied.
AudioBackend CreateSystemAudioBackend(std::string* problem = nullptr);

// The ALSA back-end: the system's sound cards, or (with a name) only that
// PCM presented as the turntable.
AudioBackend CreateAlsaAudioBackend(const std::string& pcmName);

// How a named PCM is presented: the turntable's name and USB identifiers,
// no USB device behind it (no vendor switch, no firmware version).
SoundCard NamedPcmAsTurntable(const std::string& pcmName);

// A back-end with no audio devices and an empty registry.
AudioBackend CreateEmptyAudioBackend();
