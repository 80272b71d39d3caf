// Chooses the system's audio back-end: CARTOVA_DEVICE=sim gives the simulated
// turntable (CARTOVA_SIM_SOURCE names a WAV file to play instead of the demo
// album, CARTOVA_SIM_SPEED a pace factor, 1 = real time); otherwise a back-end
// without devices.
#pragma once

#include <memory>

#include "device/IAudioHardware.h"
#include "device/IUsbRegistry.h"

struct AudioBackend {
    std::shared_ptr<IAudioHardware> hardware;
    std::shared_ptr<IUsbRegistry> usb;
};

AudioBackend CreateSystemAudioBackend();

// A back-end with no audio devices and an empty registry.
AudioBackend CreateEmptyAudioBackend();
