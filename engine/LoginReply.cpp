#include "engine/LoginReply.h"

#include "data/XmlChunk.h"
#include "engine/LoginRecord.h"
#include "engine/ServiceReply.h"
#include "engine/WebService.h"

namespace Zumeli {

LoginResult readLoginReply(const Text& reply, LoginRecord& record, WebService& loginEndpoint)
{
    XmlChunk xml(reply);
    if (ServiceReply::statusIs(xml, "FAIL")) {
        long tooMany = 0;
        xml.readLong("tmu", tooMany);
        return tooMany == 1 ? LoginTooManyUsers : LoginRefused;
    }
    if (!ServiceReply::statusIs(xml, "OK"))
        return LoginBadReply;

    xml.readText("sessionID", record.sessionId);
    xml.readText("ip", record.address);
    xml.readInt("port", record.port);
    xml.readText("pfx", record.pathPrefix);
    xml.readInt("ch", record.channel);
    xml.readInt("uid", record.userId);
    xml.readInt("rl", record.lowestChannel);
    xml.readInt("rh", record.highestChannel);
    xml.readBool("msg", record.messagesWaiting);
    xml.readText("ugs", record.groupsValue);
    xml.readLong("st", record.serverTime);
    xml.readText("smk", record.smk);
    xml.readText("lot", record.localizationStamp);
    xml.readInt("sop", record.voiceOptions);
    if (ServiceReply::hasElement(xml, "sud"))
        record.ownDetails = xml.child("sud").rawText();
    loginEndpoint.sessionId = record.sessionId;
    return LoginSucceeded;
}

} // namespace Zumeli
