#include "app/MessageWindow.h"

#include "engine/Client.h"
#include "ui/epiWindowManager.h"

#include <cstdlib>

namespace ZumeliApplication {

namespace {

epiCode buttonCode(int index)
{
    char code[5] = {'b', 'u', 't', char('0' + index), 0};
    return epiCodeFromText(code);
}

} // namespace

void MessageWindow::opened()
{
    // A notice until a service message is given.
    for (int i = 1; i < 4; ++i)
        if (epiUbo* button = findChild(buttonCode(i)))
            button->setVisible(false);
    if (epiUbo* button = findChild(buttonCode(0)))
        button->setVisible(false);
}

void MessageWindow::showServiceMessage(const Zumeli::ServiceMessageData& message)
{
    m_message = message;
    m_service = true;
    setFieldText("text", message.mainText.c_str());
    if (epiUbo* done = findChild(epiFourCC("Done")))
        done->setVisible(false);
    for (int i = 0; i < 4; ++i) {
        epiUbo* button = findChild(buttonCode(i));
        if (!button)
            continue;
        const auto& slot = message.buttons[i];
        std::string label = slot.text.c_str();
        // The first button always shows: without a text it only closes the window.
        if (i == 0 && label.empty())
            label = tr("]Done[");
        button->setText(epiText(label.c_str()));
        button->setVisible(i == 0 || !slot.text.isEmpty());
    }
}

bool MessageWindow::splitAddress(const std::string& address, std::string& host, int& port, std::string& path)
{
    const std::string scheme = "http://";
    if (address.rfind(scheme, 0) != 0)
        return false;
    std::string rest = address.substr(scheme.size());
    size_t slash = rest.find('/');
    std::string authority = rest.substr(0, slash);
    path = slash == std::string::npos ? "" : rest.substr(slash + 1);
    size_t colon = authority.find(':');
    host = authority.substr(0, colon);
    port = 80;
    if (colon != std::string::npos) {
        char* end = nullptr;
        long number = std::strtol(authority.c_str() + colon + 1, &end, 10);
        if (*end != 0 || number <= 0 || number > 65535)
            return false;
        port = int(number);
    }
    return !host.empty();
}

bool MessageWindow::press(int index)
{
    if (index < 0 || index > 3)
        return false;
    const auto& button = m_message.buttons[index];
    Zumeli::Client* client = engine();
    if (!button.url.isEmpty()) {
        if (button.urlInBrowser) {
            // The browser takes web addresses only: a bare "www." address gets its scheme.
            m_address = button.url.c_str();
            if (m_address.rfind("http", 0) != 0)
                m_address = "http://" + m_address;
            toPanel(epiFourCC("brow"), reinterpret_cast<intptr_t>(m_address.c_str()));
        } else {
            std::string host, path;
            int port = 0;
            Zumeli::Text answer;
            if (!client || !splitAddress(button.url.c_str(), host, port, path) ||
                !client->fetchText(Zumeli::Text(host.c_str()), port, Zumeli::Text(path.c_str()), answer))
                return false;
        }
        if (button.reconnect && client) {
            client->disconnect();
            client->connect();
        }
        if (button.quit) {
            epiWindowManager* manager = windowManager();
            if (epiWindow* main = manager ? manager->findWindow(epiFourCC("main")) : nullptr)
                main->receiveCommand(epiFourCC("quit"), 0, 0);
        }
    }
    close();
    return true;
}

bool MessageWindow::handleCommand(epiCode command)
{
    if (command == epiFourCC("Done") || command == epiFourCC("Okay")) {
        close();
        return true;
    }
    for (int i = 0; i < 4; ++i)
        if (command == buttonCode(i)) {
            if (m_service)
                press(i);
            else
                close();
            return true;
        }
    return SideWindow::handleCommand(command);
}

} // namespace ZumeliApplication
