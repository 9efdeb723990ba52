#pragma once

#include "app/SideWindow.h"
#include "data/ServiceMessageData.h"

#include <string>

namespace ZumeliApplication {

// 'smsg': a notice with a "Done" button (a refused login, a full service), or a message from the
// service with up to four buttons 'but0' to 'but3', each of which may open a web page, fetch an
// address, log in again or quit before the window closes.
class MessageWindow : public SideWindow
{
public:
    bool handleCommand(epiCode code) override;

    // Shows a service message: its text and the buttons that have a text ('but0' always).
    void showServiceMessage(const Zumeli::ServiceMessageData& message);
    const Zumeli::ServiceMessageData& serviceMessage() const { return m_message; }
    // Presses button `index` as a click does; false when the window stays open.
    bool press(int index);

    // host, port and path of an "http://host[:port]/path" address; false for anything else.
    static bool splitAddress(const std::string& address, std::string& host, int& port, std::string& path);

protected:
    void opened() override;

private:
    Zumeli::ServiceMessageData m_message;
    bool m_service = false;
    std::string m_address; // the page being opened, alive while the panel takes it
};

} // namespace ZumeliApplication
