// Audio the device lost while recording: listed with its place in the
// recorded stream, announced with a readable message, and forgotten by the
// next start.
#include "EngineTestSupport.h"

#include <cmath>

TEST_F(EngineTest, LostInputIsListedAndAnnouncedAtItsRecordedTime)
{
    OpenDevice();
    ASSERT_EQ(engine->Start(), TkErrorSuccess);
    ASSERT_TRUE(WaitForState(EngineState::Recording));
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(backend.hardware->Cycle(4410));
    }
    engine->AudioDevice_InputDropped(441);  // an overrun the back-end noticed
    ASSERT_TRUE(backend.hardware->Cycle(4410));
    ASSERT_TRUE(delegate.WaitForError(TkNotifyQueueOverflow));
    ASSERT_EQ(engine->Stop(true), TkErrorSuccess);

    std::vector<TkDroppedAudio> gaps;
    ASSERT_EQ(engine->GetDroppedAudio(gaps), TkErrorSuccess);
    ASSERT_EQ(gaps.size(), 1u);
    EXPECT_NEAR(gaps[0].position_seconds, 0.3, 1e-9);
    EXPECT_EQ(gaps[0].frames_lost, 441u);
    std::string message;
    for (const Notification& n : delegate.received) {
        if (n.kind == Notification::Error && n.code == TkNotifyQueueOverflow) {
            message = n.message;
        }
    }
    EXPECT_EQ(message, "audio was dropped at 0.300 s of the recording: 441 samples per channel lost");

    // A new start forgets the old recording's gaps.
    ASSERT_TRUE(delegate.WaitForOperation(TkRecOperationStopped));
    ASSERT_EQ(engine->Start(), TkErrorSuccess);
    ASSERT_EQ(engine->GetDroppedAudio(gaps), TkErrorSuccess);
    EXPECT_TRUE(gaps.empty());
    ASSERT_EQ(engine->Stop(true), TkErrorSuccess);
}

TEST(DroppedAudioLog, AnnouncesAtMostOneGapPerSecondOfRecordingButListsThemAll)
{
    DroppedAudioLog log;
    EXPECT_TRUE(log.Add(2.0, 100));
    EXPECT_FALSE(log.Add(2.5, 100));
    EXPECT_FALSE(log.Add(2.99, 100));
    EXPECT_TRUE(log.Add(3.0, 50));
    EXPECT_EQ(log.Entries().size(), 4u);
    EXPECT_EQ(log.LastMessage(),
              "audio was dropped at 3.000 s of the recording: 50 samples per channel lost "
              "(4 gaps so far, 350 samples in all)");
    log.Clear();
    EXPECT_TRUE(log.Entries().empty());
    EXPECT_TRUE(log.Add(0.5, 1));
}
