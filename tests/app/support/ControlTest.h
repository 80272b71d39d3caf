// A test of the control objects (ControlHarness) over a fake main view and scripted
// dialogs, with the fake framework and the settings reset before each test.
#pragma once

#include "ControlHarness.h"
#include "FakeMainView.h"
#include "ScriptedDialogs.h"

#include <gtest/gtest.h>
#include <memory>

class ModeTimeManager;

class ControlTest : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override { app.reset(); }

    static ModeTimeManager& mtm();

    FakeMainView view;
    ScriptedDialogs dialogs;
    std::unique_ptr<ControlHarness> app;
    ControlManager* cm = nullptr;
};
