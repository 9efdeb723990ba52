#include "app/NewMessageWindows.h"

#include "app/Favourites.h"
#include "engine/Client.h"

namespace ZumeliApplication {

namespace {

// "%s" of a marked text replaced by a value, after translation.
std::string filled(const std::string& translated, const std::string& value)
{
    std::string text = translated;
    if (size_t at = text.find("%s"); at != std::string::npos)
        text.replace(at, 2, value);
    return text;
}

} // namespace

// ----- shared -----

bool AddressedWindow::receiveCommand(epiCode code, intptr_t value, intptr_t extra)
{
    switch (code) {
    case epiFourCC("mesg"):
    case epiFourCC("bell"):
    case epiFourCC("uabu"):
    case epiFourCC("Gmes"):
    case epiFourCC("Gbel"):
        m_target = int(value);
        m_group = code == epiFourCC("Gmes") || code == epiFourCC("Gbel");
        addressed();
        return true;
    default: return SideWindow::receiveCommand(code, value, extra);
    }
}

std::string AddressedWindow::targetName() const
{
    Zumeli::Client* client = engine();
    Zumeli::Text name;
    if (!client)
        return "?";
    if (m_group ? client->getGroupName(m_target, name) : client->getUserName(m_target, name))
        return name.c_str();
    return m_group ? "?" : "#" + std::to_string(m_target);
}

// ----- a text message -----

void AskNewUserMessageWindow::addressed()
{
    setFieldText("whom", filled(tr("]To %s[").c_str(), targetName()));
    setFieldText("stts", "");
}

bool AskNewUserMessageWindow::handleCommand(epiCode code)
{
    switch (code) {
    case epiFourCC("Send"): {
        Zumeli::Client* client = engine();
        std::string text = fieldText("edit");
        if (!client || text.empty())
            return true;
        if (text.size() > MaximumLength)
            text.resize(MaximumLength);
        Zumeli::Text message(text.c_str());
        bool queued = m_group ? client->sendMessageToGroup(message, m_target) : client->sendMessageToUser(message, m_target);
        if (queued)
            close();
        else
            setFieldText("stts", tr("]Too many messages are waiting; try again shortly.["));
        return true;
    }
    case epiFourCC("Canc"): close(); return true;
    default: return AddressedWindow::handleCommand(code);
    }
}

// ----- an invitation -----

void AskNewUserInvitationWindow::addressed()
{
    int current = 0, lowest = 0, highest = 0;
    if (Zumeli::Client* client = engine())
        client->getChannelBounds(current, lowest, highest);
    setFieldText("whom", filled(tr("]To %s[").c_str(), targetName()));
    setFieldText("text", filled(tr("]An invitation to join you on channel %s.[").c_str(), channelText(current)));
    setFieldText("stts", "");
}

bool AskNewUserInvitationWindow::handleCommand(epiCode code)
{
    switch (code) {
    case epiFourCC("Send"): {
        Zumeli::Client* client = engine();
        if (!client)
            return true;
        if (m_group ? client->inviteGroup(m_target) : client->inviteUser(m_target))
            close();
        else
            setFieldText("stts", tr("]Too many messages are waiting; try again shortly.["));
        return true;
    }
    case epiFourCC("Canc"): close(); return true;
    default: return AddressedWindow::handleCommand(code);
    }
}

// ----- an abuse report -----

void AskReportUserAbuse::addressed()
{
    setFieldText("text", filled(tr("]Report %s to the service for abuse?[").c_str(), targetName()));
    setFieldText("stts", "");
    setEnabled("Okay", !m_group);
}

bool AskReportUserAbuse::handleCommand(epiCode code)
{
    switch (code) {
    case epiFourCC("Okay"): {
        Zumeli::Client* client = engine();
        if (!client || m_group)
            return true;
        WaitCursor wait(application());
        if (client->reportAbuse(m_target))
            close();
        else
            setFieldText("stts", tr("]The report could not be sent.["));
        return true;
    }
    case epiFourCC("Canc"): close(); return true;
    default: return AddressedWindow::handleCommand(code);
    }
}

} // namespace ZumeliApplication
