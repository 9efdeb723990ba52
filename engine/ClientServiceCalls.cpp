#include "engine/Client.h"

#include "data/AdministrationDocument.h"
#include "engine/CommunicationEngine.h"
#include "engine/EngineCodes.h"
#include "engine/HttpBlockingPost.h"
#include "engine/LoginRecord.h"
#include "engine/Manager.h"
#include "engine/PasswordDigest.h"

// The Client operations that call the web service themselves and wait for its answer.

namespace Zumeli {

bool Client::changePassword(const Text& newPassword)
{
    if (!m_manager.sessionEndpoint.changePassword(newPassword))
        return false;
    Preferences& preferences = m_manager.preferences;
    preferences.setPassword(newPassword);
    preferences.set("public.isregisteredlogin", "1");
    return true;
}

bool Client::saveDetail(const OwnDetailsChange& change)
{
    SessionRecord& session = m_manager.session;
    return m_manager.sessionEndpoint.saveUserDetails(session.ownUserId, change, session.people, session.ownDetails);
}

bool Client::setMail(const Text& mail)
{
    OwnDetailsChange change;
    change.mail = mail;
    return saveDetail(change);
}

bool Client::saveMode(std::optional<int> OwnDetailsChange::*field, int mode)
{
    OwnDetailsChange change;
    change.*field = mode;
    return saveDetail(change);
}

bool Client::saveNotificationMode(int mode) { return saveMode(&OwnDetailsChange::apnmode, mode); }

bool Client::saveMessageMode(int mode) { return saveMode(&OwnDetailsChange::tmsmode, mode); }

bool Client::savePhotoMode(int mode)
{
    bool saved = saveMode(&OwnDetailsChange::imgmode, mode);
    refreshPeople();
    return saved;
}

bool Client::savePositionMode(int mode) { return saveMode(&OwnDetailsChange::gpsmode, mode); }

bool Client::registerUser(const Text& userName, const Text& password, const Text& mail, Text& errorText)
{
    selectServer(userName);
    LoginRecord record;
    record.setAccount(userName, password);
    record.mail = mail;
    record.language = language();
    record.machineId = machineId();
    record.platform = platformText();
    record.identity = identityText();
    return m_manager.loginEndpoint.registerUser(record, errorText) == 0;
}

bool Client::getUserChannelStatus(ChannelStatus& out) { return m_manager.sessionEndpoint.getUserChannelStatus(out); }

bool Client::administrate(bool release, Text& out)
{
    out = "OK";
    return m_manager.sessionEndpoint.adminChannel(release);
}

bool Client::loadAdministration(AdministrationDocument& document, Text& out)
{
    out = "Unimplemented";
    int result = m_manager.sessionEndpoint.getAdmin(document, m_manager.session.people);
    refreshPeople();
    m_engine->loadHandheldPlate();
    return result == 0;
}

bool Client::saveAdministration(const AdministrationDocument& document, Text& out)
{
    out = "Unimplemented";
    if (!m_manager.sessionEndpoint.saveAdmin(document))
        return false;
    m_manager.requests.post(Request::AdministrationSaved);
    return true;
}

bool Client::saveOwnPhoto(const Text& imageBytes)
{
    return m_manager.sessionEndpoint.saveImage(2, m_manager.session.ownUserId, imageBytes);
}

bool Client::saveImage(int imageType, const Text& imageBytes)
{
    return m_manager.sessionEndpoint.saveImage(imageType, m_manager.session.currentChannel, imageBytes);
}

bool Client::fetchText(const Text& host, int port, const Text& path, Text& out)
{
    return postForText(host, port, Text(), path.c_str(), FormFields(), out);
}

bool Client::buyChannel(int channel)
{
    if (!m_manager.sessionEndpoint.buyChannel(m_manager.session.ownUserId, channel, machineId()))
        return false;
    disconnect();
    connect();
    return true;
}

bool Client::lookupPosition(Text& latlng, Text& city)
{
    return m_manager.sessionEndpoint.lookupCity(m_manager.preferences.get("public.gps.city"), latlng, city);
}

bool Client::resolvePosition(Text& latlng, Text& city)
{
    Text position;
    notify(&IClientDelegate::onPositionRequested, position);
    return m_manager.sessionEndpoint.lookupPosition(position, latlng, city);
}

bool Client::reportAbuse(int userId) { return m_manager.sessionEndpoint.reportAbuse(userId); }

bool Client::checkUserName(const Text& name) { return m_manager.loginEndpoint.checkUserName(name); }

bool Client::checkMail(const Text& mail) { return m_manager.loginEndpoint.checkMail(mail); }

bool Client::requestService(const Text& request, ServiceRequestAnswer& answer)
{
    return m_manager.sessionEndpoint.requestService(m_manager.session.ownUserId, request, machineId(), answer);
}

bool Client::cancelRequestService(const Text&) { return m_manager.sessionEndpoint.cancelRequestService(machineId()); }

bool Client::subscribeChannel(bool subscribed, Text& out)
{
    bool ok = m_manager.sessionEndpoint.channelSubscription(m_manager.session.currentChannel, subscribed);
    out = ok ? "OK" : "FAIL";
    if (ok)
        m_manager.session.subscribed = subscribed;
    return ok;
}

bool Client::sendSubscriptionMessage(const Text& text, Text& out)
{
    bool ok = m_manager.sessionEndpoint.subscriptionMessage(m_manager.session.currentChannel, text);
    out = ok ? "OK" : "FAIL";
    return ok;
}

} // namespace Zumeli
