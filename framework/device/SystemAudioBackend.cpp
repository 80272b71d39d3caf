// Choosing the system's audio back-end from the environment.
#include "device/SystemAudioBackend.h"

#include <cstdlib>
#include <cstring>
#include <string>

#include "device/AlsaAudioSystem.h"
#include "device/SimulatedTurntable.h"
#include "device/TurntableIdentity.h"
#include "device/WavFileSource.h"
#include "platform/Trace.h"

namespace {

// Hardware without devices: every device call finds no such object.
class EmptyAudioHardware : public IAudioHardware {
public:
    OSStatus GetDevices(std::vector<AudioObjectID>& devices) override
    {
        devices.clear();
        return kAudioHardwareNoError;
    }
    OSStatus GetDeviceIsAlive(AudioObjectID, uint32_t&) override { return kAudioHardwareBadObjectError; }
    OSStatus GetName(AudioObjectID, std::string&) override { return kAudioHardwareBadObjectError; }
    OSStatus GetDeviceUID(AudioObjectID, std::string&) override { return kAudioHardwareBadObjectError; }
    OSStatus GetModelUID(AudioObjectID, std::string&) override { return kAudioHardwareBadObjectError; }
    OSStatus GetStreams(AudioObjectID, AudioScope, std::vector<AudioObjectID>&) override
    {
        return kAudioHardwareBadObjectError;
    }
    OSStatus GetStreamConfiguration(AudioObjectID, AudioScope, std::vector<uint32_t>&) override
    {
        return kAudioHardwareBadObjectError;
    }
    OSStatus GetHogMode(AudioObjectID, int32_t&) override { return kAudioHardwareBadObjectError; }
    OSStatus SetHogMode(AudioObjectID, int32_t) override { return kAudioHardwareBadObjectError; }
    OSStatus GetBufferFrameSize(AudioObjectID, uint32_t&) override { return kAudioHardwareBadObjectError; }
    OSStatus SetBufferFrameSize(AudioObjectID, uint32_t) override { return kAudioHardwareBadObjectError; }
    OSStatus GetBufferFrameSizeRange(AudioObjectID, AudioValueRange&) override { return kAudioHardwareBadObjectError; }
    OSStatus GetPhysicalFormat(AudioObjectID, AudioStreamBasicDescription&) override
    {
        return kAudioHardwareBadObjectError;
    }
    OSStatus SetPhysicalFormat(AudioObjectID, const AudioStreamBasicDescription&) override
    {
        return kAudioHardwareBadObjectError;
    }
    OSStatus GetAvailablePhysicalFormats(AudioObjectID, std::vector<AudioStreamRangedDescription>&) override
    {
        return kAudioHardwareBadObjectError;
    }
    OSStatus AddPropertyListener(AudioObjectID, AudioPropertySelector, AudioObjectPropertyListenerProc, void*) override
    {
        return kAudioHardwareBadObjectError;
    }
    OSStatus RemovePropertyListener(AudioObjectID, AudioPropertySelector, AudioObjectPropertyListenerProc,
                                    void*) override
    {
        return kAudioHardwareBadObjectError;
    }
    OSStatus CreateIOProcID(AudioObjectID, AudioDeviceIOProc, void*, AudioDeviceIOProcID&) override
    {
        return kAudioHardwareBadObjectError;
    }
    OSStatus DestroyIOProcID(AudioObjectID, AudioDeviceIOProcID) override { return kAudioHardwareBadObjectError; }
    OSStatus DeviceStart(AudioObjectID, AudioDeviceIOProcID) override { return kAudioHardwareBadObjectError; }
    OSStatus DeviceStop(AudioObjectID, AudioDeviceIOProcID) override { return kAudioHardwareBadObjectError; }
};

// A registry without entries.
class EmptyUsbRegistry : public IUsbRegistry {
public:
    std::vector<IORegistryEntryID> GetMatchingServices(const std::string&) override { return {}; }
    std::vector<IORegistryEntryID> GetChildren(IORegistryEntryID, const std::string&) override { return {}; }
    std::vector<IORegistryEntryID> GetParents(IORegistryEntryID, const std::string&) override { return {}; }
    bool ConformsTo(IORegistryEntryID, const std::string&) override { return false; }
    std::optional<std::string> GetStringProperty(IORegistryEntryID, const std::string&) override
    {
        return std::nullopt;
    }
    std::optional<int64_t> GetNumberProperty(IORegistryEntryID, const std::string&) override { return std::nullopt; }
    std::unique_ptr<IUsbInterface> CreateInterface(IORegistryEntryID) override { return nullptr; }
};

// CARTOVA_SIM_SPEED: a positive factor, or 0 for back-to-back cycles; anything else is real time.
double SimSpeedFromEnvironment()
{
    const char* text = std::getenv("CARTOVA_SIM_SPEED");
    if (text == nullptr || *text == '\0') {
        return 1.0;
    }
    char* end = nullptr;
    const double speed = std::strtod(text, &end);
    if (end == text || *end != '\0' || !(speed >= 0) || speed > 1e6) {
        TRACE("CARTOVA_SIM_SPEED=%s is not a speed factor; running in real time", text);
        return 1.0;
    }
    return speed;
}

// CARTOVA_SIM_DROP: "seconds:frames", a planned overrun of the simulated
// turntable (for tests of lost input); anything else plans none.
void SimDropFromEnvironment(SimulatorOptions& options)
{
    const char* text = std::getenv("CARTOVA_SIM_DROP");
    if (text == nullptr || *text == '\0') {
        return;
    }
    char* end = nullptr;
    const double seconds = std::strtod(text, &end);
    if (end == text || *end != ':' || !(seconds >= 0) || seconds > 1e6) {
        TRACE("CARTOVA_SIM_DROP=%s is not seconds:frames; no overrun planned", text);
        return;
    }
    const char* framesText = end + 1;
    const unsigned long long frames = std::strtoull(framesText, &end, 10);
    if (end == framesText || *end != '\0' || frames > (1ull << 32)) {
        TRACE("CARTOVA_SIM_DROP=%s is not seconds:frames; no overrun planned", text);
        return;
    }
    options.dropAtSeconds = seconds;
    options.dropFrames = frames;
}

// CARTOVA_SIM_SOURCE: a WAV file to play; null (the demo album) when unset.
// A file that cannot be played gives null and the reason in `problem`: the
// user named a record, so the demo album is no stand-in for it.
std::shared_ptr<const ISimSource> SimSourceFromEnvironment(std::string& problem)
{
    const char* path = std::getenv("CARTOVA_SIM_SOURCE");
    if (path == nullptr || *path == '\0') {
        return nullptr;
    }
    auto source = std::make_shared<WavFileSource>();
    std::string error;
    if (!source->Load(path, error)) {
        problem = std::string("the simulated turntable cannot play ") + path + ": " + error;
        TRACE("CARTOVA_SIM_SOURCE: %s", problem.c_str());
        return nullptr;
    }
    return source;
}

// The prefix of CARTOVA_DEVICE that names an ALSA PCM to record from.
constexpr const char* kAlsaPcmPrefix = "alsa:";

} // namespace

SoundCard NamedPcmAsTurntable(const std::string& pcmName)
{
    SoundCard card;
    card.name = kTurntableName;
    card.id = pcmName;
    card.pcmName = pcmName;
    card.pcmOnly = true;
    card.hasCapture = true;
    card.vid = kTurntableVendorId;
    card.pid = kTurntableProductId;
    card.uid = "alsa-pcm:" + pcmName;
    card.modelUid = "alsa-pcm";
    return card;
}

AudioBackend CreateAlsaAudioBackend(const std::string& pcmName)
{
    AlsaSystemOptions options;
    if (!pcmName.empty()) {
        const SoundCard card = NamedPcmAsTurntable(pcmName);
        options.scan = [card] { return std::vector<SoundCard>{card}; };
        options.reserveCards = false;
        options.watchHotplug = false;
    } else {
        options.scan = [] { return ScanSoundCards(SystemRoots{}); };
        options.usb = CreateLibusbDeviceAccess();
    }
    auto system = std::make_shared<AlsaAudioSystem>(std::move(options));
    return {system, system};
}

AudioBackend CreateEmptyAudioBackend()
{
    return {std::make_shared<EmptyAudioHardware>(), std::make_shared<EmptyUsbRegistry>()};
}

AudioBackend CreateSystemAudioBackend(std::string* problemOut)
{
    if (problemOut != nullptr) {
        problemOut->clear();
    }
    const char* device = std::getenv("CARTOVA_DEVICE");
    if (device != nullptr && std::strcmp(device, "sim") == 0) {
        SimulatorOptions options;
        std::string problem;
        options.source = SimSourceFromEnvironment(problem);
        if (!problem.empty()) {
            if (problemOut != nullptr) {
                *problemOut = problem;
            }
            return CreateEmptyAudioBackend();
        }
        options.speed = SimSpeedFromEnvironment();
        SimDropFromEnvironment(options);
        auto turntable = std::make_shared<SimulatedTurntable>(options);
        return {turntable, turntable};
    }
    if (device != nullptr && std::strncmp(device, kAlsaPcmPrefix, std::strlen(kAlsaPcmPrefix)) == 0 &&
        device[std::strlen(kAlsaPcmPrefix)] != '\0') {
        return CreateAlsaAudioBackend(device + std::strlen(kAlsaPcmPrefix));
    }
    if (device != nullptr && *device != '\0') {
        TRACE("CARTOVA_DEVICE=%s is neither \"sim\" nor \"alsa:PCM\"; looking for the turntable", device);
    }
    return CreateAlsaAudioBackend({});
}
