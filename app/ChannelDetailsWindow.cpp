#include "app/ChannelDetailsWindow.h"

#include "data/ChannelElement.h"
#include "engine/Client.h"
#include "platform/Browser.h"
#include "ui/epiUiPictureView.h"

namespace ZumeliApplication {

namespace {

epiCode fourCC(const char* text) { return epiCodeFromText(text); }

bool startsWith(const std::string& text, const char* prefix) { return text.rfind(prefix, 0) == 0; }

} // namespace

std::string ChannelDetailsWindow::browserAddress(const std::string& address)
{
    size_t first = address.find_first_not_of(" \t\r\n");
    if (first == std::string::npos)
        return "";
    std::string trimmed = address.substr(first, address.find_last_not_of(" \t\r\n") - first + 1);
    if (trimmed.find_first_of(" \t\r\n\"<>") != std::string::npos)
        return "";
    if (startsWith(trimmed, "http://") || startsWith(trimmed, "https://"))
        return trimmed;
    // Another scheme ("file:", "javascript:") is never passed on.
    size_t colon = trimmed.find(':'), dot = trimmed.find('.');
    if (dot == std::string::npos || (colon != std::string::npos && colon < dot))
        return "";
    return "http://" + trimmed;
}

void ChannelDetailsWindow::opened()
{
    m_pictureTries = 0;
    refresh();
}

void ChannelDetailsWindow::timerFired() { refresh(); }

void ChannelDetailsWindow::closing()
{
    cancelAllTimers();
    AccountWindow::closing();
}

bool ChannelDetailsWindow::receiveCommand(epiCode code, intptr_t value, intptr_t extra)
{
    if (code == epiFourCC("refr")) {
        m_pictureTries = 0;
        refresh();
        return true;
    }
    return AccountWindow::receiveCommand(code, value, extra);
}

void ChannelDetailsWindow::refresh()
{
    Zumeli::Client* client = engine();
    Zumeli::ChannelElement channel;
    if (!client || !client->getCurrentChannelRecord(channel))
        return;
    setFieldText("name", channel.name.isEmpty() ? tr("]Channel[") : std::string(channel.name.c_str()));
    setFieldText("numb", Zumeli::ChannelElement::displayNumber(channel.number).c_str());
    setFieldText("desc", channel.description.isEmpty() ? tr("]The channel has no description.[")
                                                       : std::string(channel.description.c_str()));
    std::string more = channel.descriptionDesktop.c_str();
    if (!channel.details.isEmpty())
        more += (more.empty() ? "" : "\n\n") + std::string(channel.details.c_str());
    setFieldText("dedk", more);
    if (epiUbo* box = findChild(fourCC("dedk")))
        box->setVisible(!more.empty());

    m_address = browserAddress(channel.extraText.c_str());
    setFieldText("webA", m_address.empty() ? tr("]No web page[") : std::string(channel.extraText.c_str()));
    setEnabled("webA", !m_address.empty());

    std::string admin = tr("]Nobody administers this channel.[");
    if (channel.adminId > 0) {
        Zumeli::Text name;
        client->getUserName(channel.adminId, name);
        admin = name.isEmpty() ? "[" + std::to_string(channel.adminId) + "]" : std::string(name.c_str());
    }
    setFieldText("admn", admin);

    // The channel's picture, once the cache has it (asking for it otherwise).
    Zumeli::Text path;
    auto* picture = dynamic_cast<epiUiPictureView*>(findChild(fourCC("pict")));
    if (picture) {
        if (client->getChannelHeaderImage(path))
            picture->loadPicture(path.c_str());
        else
            picture->clearPicture();
    }
    bool shown = picture && picture->hasPicture();
    setFieldText("noPi", shown ? "" : tr("]No picture[").c_str());
    if (epiUbo* placeholder = findChild(fourCC("plch")))
        placeholder->setVisible(!shown);
    // The service sends the picture in the background: look again in a moment.
    if (picture && !shown && ++m_pictureTries < PictureTries)
        startOneShotTimer(PictureRetrySeconds);
}

bool ChannelDetailsWindow::handleCommand(epiCode command)
{
    switch (command) {
    case epiFourCC("webA"):
        if (!m_address.empty())
            Zumeli::Platform::openUrl(m_address);
        return true;
    case epiFourCC("Done"): close(); return true;
    default: return AccountWindow::handleCommand(command);
    }
}

} // namespace ZumeliApplication
