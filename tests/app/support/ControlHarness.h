// The program's control objects (document, control manager, quit flow) over a given view
// and dialog service, started as the program starts them, without the window or the
// composition root.
#pragma once

#include <memory>

class ControlManager;
class DialogService;
class Document;
class MainView;
class QuitFlow;

class ControlHarness {
public:
    // view and dialogs must outlive the harness.
    ControlHarness(MainView& view, DialogService& dialogs);
    ~ControlHarness();

    ControlManager* controlManager() const { return m_control.get(); }
    QuitFlow& quit() const { return *m_quit; }
    Document& document() const { return *m_document; }

private:
    std::unique_ptr<Document> m_document;
    std::unique_ptr<ControlManager> m_control;
    std::unique_ptr<QuitFlow> m_quit;
};
