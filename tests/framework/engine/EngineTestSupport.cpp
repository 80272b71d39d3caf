// Shared pieces of the engine tests.
#include "EngineTestSupport.h"

#include <filesystem>
#include <stdlib.h>

void RecordingDelegate::Record(Notification n)
{
    if (std::this_thread::get_id() != mainThread) {
        wrongThread = true;
    }
    received.push_back(std::move(n));
}

bool RecordingDelegate::Has(Notification::Kind kind, int code) const
{
    for (const Notification& n : received) {
        if (n.kind == kind && n.code == code) {
            return true;
        }
    }
    return false;
}

bool RecordingDelegate::WaitForOperation(int code, std::chrono::milliseconds timeout)
{
    return m_queue.RunUntil([&] { return Has(Notification::Operation, code); }, timeout);
}

bool RecordingDelegate::WaitForError(int code, std::chrono::milliseconds timeout)
{
    return m_queue.RunUntil([&] { return Has(Notification::Error, code); }, timeout);
}

std::vector<int> RecordingDelegate::Operations() const
{
    std::vector<int> codes;
    for (const Notification& n : received) {
        if (n.kind == Notification::Operation) {
            codes.push_back(n.code);
        }
    }
    return codes;
}

std::vector<int> RecordingDelegate::Errors() const
{
    std::vector<int> codes;
    for (const Notification& n : received) {
        if (n.kind == Notification::Error) {
            codes.push_back(n.code);
        }
    }
    return codes;
}

void EngineTest::InitEngine()
{
    const ICartovaDelegate d = delegate.Delegate();
    ASSERT_EQ(engine->Init(&d), TkErrorSuccess);
    std::string pattern = (std::filesystem::temp_directory_path() / "engine-rec-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    tempFolder = pattern;
    ASSERT_EQ(engine->SetTempDirectory(tempFolder.c_str()), TkErrorSuccess);
}

void EngineTest::TearDown()
{
    engine.reset();
    // Tasks still queued own their notification's data; running them frees it.
    queue.RunUntilIdle();
    if (!tempFolder.empty()) {
        std::error_code ignored;
        std::filesystem::remove_all(tempFolder, ignored);
    }
}

void EngineTest::OpenDevice()
{
    InitEngine();
    ASSERT_EQ(engine->SetAudioDevice("QT-LV200"), TkErrorSuccess);
    ASSERT_EQ(engine->GetState(), EngineState::DeviceReady);
}

bool EngineTest::WaitForState(EngineState state, std::chrono::milliseconds timeout)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (engine->GetState() != state) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}
