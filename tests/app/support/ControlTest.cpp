#include "ControlTest.h"

#include "FakeCartova.h"
#include "ScratchDesktop.h"
#include "state/ModeTimeManager.h"

void ControlTest::SetUp()
{
    ResetFake();
    ScratchDesktop::ClearSettings();
    app = std::make_unique<ControlHarness>(view, dialogs);
    cm = app->controlManager();
    dialogs.clear();
}

ModeTimeManager& ControlTest::mtm()
{
    return ModeTimeManager::sharedInstance();
}
