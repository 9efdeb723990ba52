#include "engine/DetailsReply.h"

#include "data/People.h"
#include "engine/OwnDetails.h"
#include "engine/ServiceReply.h"

namespace Zumeli {

namespace {

// Gives the person the details found in the chunk; missing elements keep what was known.
void readPerson(const XmlChunk& xml, int id, People& people)
{
    const PeopleEntry* known = people.find(id);
    Text name = known ? known->name : Text();
    int ts = known ? known->ts : 1;
    int its = known ? known->its : 0;
    bool stf = known && known->stf;
    bool dnd = known && known->dnd;
    if (ServiceReply::hasElement(xml, "na"))
        name.decodeEntities(xml.child("na").rawText());
    xml.readInt("ts", ts);
    xml.readInt("its", its);
    xml.readBool("stf", stf);
    xml.readBool("dnd", dnd);
    people.setDetails(id, name, ts, its, stf, dnd);
}

} // namespace

int readUserDetails(const Text& reply, People& people)
{
    XmlChunkEnumerator users(XmlChunk(reply).child("ud"), "us");
    XmlChunk user;
    int read = 0;
    while (users.next(user)) {
        if (!ServiceReply::hasElement(user, "id"))
            continue;
        readPerson(user, int(user.childLong("id")), people);
        ++read;
    }
    if (read > 0)
        people.sortByName();
    return read;
}

bool readOwnDetails(const XmlChunk& sud, int ownUserId, People& people, OwnDetails& own)
{
    if (sud.isEmpty())
        return false;
    readPerson(sud, ownUserId, people);
    people.sortByName();
    if (ServiceReply::hasElement(sud, "authorized"))
        own.authorized = sud.childLong("authorized") == 1;
    sud.readText("mail", own.mail);
    sud.readInt("tmsmode", own.tmsmode);
    sud.readInt("gpsmode", own.gpsmode);
    sud.readInt("imgmode", own.imgmode);
    sud.readInt("apnmode", own.apnmode);
    return true;
}

} // namespace Zumeli
