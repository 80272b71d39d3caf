#include "ControlHarness.h"

#include "bridge/CartovaController.h"
#include "control/ControlManager.h"
#include "control/QuitFlow.h"
#include "document/Document.h"
#include "state/ModeTimeManager.h"

ControlHarness::ControlHarness(MainView& view, DialogService& dialogs)
    : m_document(std::make_unique<Document>())
{
    ModeTimeManager& state = ModeTimeManager::sharedInstance();
    m_control = std::make_unique<ControlManager>(view, dialogs, *m_document, CartovaController::sharedInstance(), state);
    m_quit = std::make_unique<QuitFlow>(*m_control, view, dialogs, state);
    m_control->windowDidLoad();
    m_control->resetDocument();
    m_control->LoadRecordSettings();
}

ControlHarness::~ControlHarness()
{
    m_quit.reset();
    m_control.reset();
}
