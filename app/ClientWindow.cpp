#include "app/ClientWindow.h"

#include "app/ClientApplication.h"
#include "app/ClientPanel.h"
#include "app/Version.h"
#include "ui/epiWindowManager.h"

#include <cstdio>

namespace ZumeliApplication {

void ClientWindow::create()
{
    // The panel paints every pixel, and the face has one size.
    setAttribute(epiFourCC("noBk"), 1);
    setAttribute(epiFourCC("Zoma"), 0);
    epiWindow::create();
}

void ClientWindow::show()
{
    epiWindow::show();
    m_panel = dynamic_cast<ClientPanel*>(findChild(epiFourCC("pane")));
    epiRect frame = this->frame();
    setFrame(epiRect(frame.left, frame.top, frame.left + Width, frame.top + Height));
    char title[64];
    std::snprintf(title, sizeof title, TitleFormat, VersionText);
    setTitle(epiText(title));
    auto* app = dynamic_cast<ClientApplication*>(application());
    if (m_panel && app) {
        m_panel->setQuitHandler([this] { postCommand(this, epiFourCC("dstr")); });
        m_panel->start(app->engine(), &app->localizer());
    }
}

bool ClientWindow::canClose() { return !m_panel || m_panel->mayClose(); }

void ClientWindow::closing()
{
    if (m_panel)
        m_panel->stop();
    epiWindow::closing();
}

bool ClientWindow::windowKey(const epiKeyEvent& event)
{
    if (m_panel && m_panel->windowKeyEvent(event.down, event.repeat, event.scanCode))
        return true;
    return epiWindow::windowKey(event);
}

bool ClientWindow::receiveCommand(epiCode code, intptr_t value, intptr_t extra)
{
    switch (code) {
    case epiFourCC("dstr"): {
        // The end of a quit: the program ends with its main window, whatever else is open.
        epiWindowManager* manager = windowManager();
        close();
        if (manager)
            manager->quit();
        return true;
    }
    case epiFourCC("quit"):
        // Leave the channel first; the window closes when the engine has left.
        if (m_panel)
            m_panel->quitWithDisconnect();
        else if (windowManager())
            windowManager()->quit();
        return true;
    default: break;
    }
    if (m_panel && m_panel->receiveCommand(code, value, extra))
        return true;
    // Window codes of the menu open their windows (when the skin has them).
    if (windowManager() && windowManager()->showOrOpenWindow(code))
        return true;
    return epiWindow::receiveCommand(code, value, extra);
}

bool ClientWindow::handleCommand(epiCode code)
{
    if (code == epiFourCC("quit"))
        return receiveCommand(code, 0, 0);
    return epiWindow::handleCommand(code);
}

} // namespace ZumeliApplication
