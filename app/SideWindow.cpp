#include "app/SideWindow.h"

#include "engine/Client.h"
#include "ui/epiWindowManager.h"

#include <cstdio>

namespace ZumeliApplication {

std::string SideWindow::formatFrame(const epiRect& frame)
{
    char text[64];
    std::snprintf(text, sizeof text, "%d,%d,%d,%d", int(frame.left), int(frame.top), int(frame.width()),
                  int(frame.height()));
    return text;
}

bool SideWindow::parseFrame(const std::string& text, epiRect& frame)
{
    int left = 0, top = 0, width = 0, height = 0;
    char end = 0;
    if (std::sscanf(text.c_str(), "%d,%d,%d,%d%c", &left, &top, &width, &height, &end) != 4)
        return false;
    if (width <= 0 || height <= 0 || width > 10000 || height > 10000)
        return false;
    frame = epiRect::fromSize(left, top, width, height);
    return true;
}

void SideWindow::translateTree(epiUbo* root)
{
    for (int i = 0; i < root->childCount(); ++i) {
        epiUbo* child = root->childAt(i);
        if (std::string(child->text().c_str()).find(']') != std::string::npos)
            child->setText(epiText(tr(child->text().c_str()).c_str()));
        translateTree(child);
    }
}

void SideWindow::show()
{
    for (int i = 0; i < childCount(); ++i)
        translateTree(childAt(i));
    AccountWindow::show();
    Zumeli::Text stored;
    epiRect frame;
    if (framePreference() && engine() && engine()->getPreferenceText(framePreference(), stored) &&
        parseFrame(stored.c_str(), frame)) {
        // The stored size only where the window can take it.
        int32_t width = frame.width(), height = frame.height();
        limitSize(width, height);
        setFrame(epiRect::fromSize(frame.left, frame.top, width, height));
    }
}

void SideWindow::closing()
{
    if (framePreference() && engine())
        engine()->setPreferenceText(framePreference(), Zumeli::Text(formatFrame(frame()).c_str()));
    AccountWindow::closing();
}

bool SideWindow::toPanel(epiCode code, intptr_t value, intptr_t extra)
{
    epiWindowManager* manager = windowManager();
    epiWindow* main = manager ? manager->findWindow(epiFourCC("main")) : nullptr;
    epiUbo* pane = main ? main->findChild(epiFourCC("pane")) : nullptr;
    return pane && pane->receiveCommand(code, value, extra);
}

} // namespace ZumeliApplication
