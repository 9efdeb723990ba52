#include "app/AboutWindow.h"

#include "app/Version.h"
#include "engine/Client.h"
#include "engine/Manager.h"
#include "engine/ServiceConfig.h"

namespace ZumeliApplication {

std::string AboutWindow::serviceText()
{
    Zumeli::Preferences& preferences = Zumeli::Manager::instance().preferences;
    Zumeli::ServiceAddress address =
        Zumeli::ServiceConfig::forUser(preferences, preferences.get("private.username"));
    std::string text = address.host.c_str();
    if (address.port != Zumeli::ServiceConfig::DefaultPort)
        text += ":" + std::to_string(address.port);
    return text;
}

void AboutWindow::opened()
{
    setFieldText("vers", tr("]Version[") + " " + VersionText);
    std::string service = tr("]Service:[") + " " + serviceText();
    if (Zumeli::Client* client = engine()) {
        Zumeli::Text name;
        int own = client->getOwnUserId();
        if (own > 0 && client->getUserName(own, name) && !name.isEmpty())
            service += "\n" + tr("]Logged in as[") + " " + name.c_str();
    }
    setFieldText("serv", service);
}

bool AboutWindow::handleCommand(epiCode command)
{
    if (command == epiFourCC("Done")) {
        close();
        return true;
    }
    return AccountWindow::handleCommand(command);
}

} // namespace ZumeliApplication
