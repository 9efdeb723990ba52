#include "data/AdministrationDocument.h"

#include "data/People.h"
#include "data/XmlChunk.h"

#include <cstdio>

namespace Zumeli {

namespace {

// The "Canal Titulo" element: a tag name ends at its first space, so the scanner sees elements
// called "Canal"; the one whose whole tag is "Canal Titulo" holds the title.
bool readTitle(const XmlChunk& admin, Text& title)
{
    const Text spaced(AdministrationDocument::TitleElement);
    const Text name = spaced.field(0, ' ');
    XmlChunkEnumerator elements(admin, name.c_str());
    XmlChunk content;
    XmlChunk tag;
    while (elements.next(content, &tag)) {
        if (!tag.trimmedText().equals(spaced))
            continue;
        if (content.isEmpty())
            return false; // as for every other text: an empty element leaves the field alone
        title.decodeEntities(content.trimmedText());
        return true;
    }
    return false;
}

} // namespace

const char* AdministrationDocument::accessModeText(int mode)
{
    static const char* const texts[] = {
        "]Everyone can talk and listen.[",
        "]Everyone can talk and listen except some people who can listen but not talk. Some people cannot have "
        "access.[",
        "]Everyone can listen but only someone can talk. Some people cannot have access. [",
        "]Only specified people can talk and listen, and others specified people can only listen. Unlisted people "
        "will have no access.[",
        "]Only specified people can talk and listen. Unlisted people will have no access.[",
        "]All registered users can talk and listen except some people who can listen but not talk. Some people "
        "cannot have access. Guests have no access.[",
    };
    return (mode >= 0 && mode < 6) ? texts[mode] : "";
}

Text AdministrationDocument::toXml() const
{
    Text xml("<administration>");
    xml.appendEscapedElement(TitleElement, title, false);
    xml.appendEscapedElement("DescriptionDesktop", descriptionDesktop, false);
    xml.appendEscapedElement("Description", description, false);
    xml.appendEscapedElement("Web", web, false);
    xml.appendEscapedElement("details", details, false);
    const std::pair<const char*, int> numbers[] = {
        { "Administrated", administrated },
        { "AccessWithAdminPermission", accessWithAdminPermission },
        { "AccessWithAdminPresent", accessWithAdminPresent },
        { "ChannelNameAndAdminAreReserverd", nameAndAdminReserved },
        { "ChannelAccessMode", accessMode },
        { "UserCredits", userCredits },
        { "BellEnableCoadmins", bellEnableCoadmins },
        { "BellEnableAll", bellEnableAll },
        { "BellEnableBreak", bellEnableBreak },
        { "HideNumberOnPlates", hideNumberOnPlates },
        { "cy", cy },
        { "lang", lang },
        { "type", type },
        { "limit", limit },
    };
    for (const auto& [name, value] : numbers)
        xml.appendIntElement(name, value, false);
    auto writeList = [&](const char* name, const std::vector<int>& ids, bool trace) {
        xml.appendFormatted("<%s>", name);
        for (int id : ids) {
            if (trace)
                std::printf("Coadsaveleme: %d\n", id);
            xml.appendIntElement("id", id, false);
        }
        xml.appendFormatted("</%s>", name);
    };
    writeList("listenOnly", listenOnly, false);
    writeList("coadmin", coadmins, true);
    writeList("restricted", restricted, false);
    writeList("excluded", excluded, false);
    xml.append("</administration>");
    return xml;
}

void AdministrationDocument::fromXml(const Text& reply, People& people)
{
    XmlChunk admin = XmlChunk(reply).child("document").child("administration");
    if (!readTitle(admin, title))
        admin.readText(JoinedTitleElement, title);
    admin.readText("Description", description);
    admin.readText("DescriptionDesktop", descriptionDesktop);
    admin.readText("Web", web);
    admin.readText("details", details);
    admin.readBool("Administrated", administrated);
    admin.readBool("AccessWithAdminPermission", accessWithAdminPermission);
    admin.readBool("AccessWithAdminPresent", accessWithAdminPresent);
    admin.readBool("ChannelNameAndAdminAreReserverd", nameAndAdminReserved);
    admin.readBool("BellEnableCoadmins", bellEnableCoadmins);
    admin.readBool("BellEnableAll", bellEnableAll);
    admin.readBool("BellEnableBreak", bellEnableBreak);
    admin.readBool("HideNumberOnPlates", hideNumberOnPlates);
    admin.readInt("ChannelAccessMode", accessMode);
    admin.readInt("UserCredits", userCredits);
    admin.readInt("cy", cy);
    admin.readInt("lang", lang);
    admin.readInt("type", type);
    admin.readInt("limit", limit);

    auto readList = [&](const char* name, std::vector<int>& ids) {
        ids.clear();
        XmlChunkEnumerator entries(admin.child(name), "id");
        XmlChunk entry;
        while (entries.next(entry)) {
            Text raw = entry.rawText();
            int id = raw.field(0, ',').toInt();
            ids.push_back(id);
            people.setName(id, raw.field(1, ','));
        }
    };
    readList("listenOnly", listenOnly);
    readList("coadmin", coadmins);
    readList("restricted", restricted);
    readList("excluded", excluded);
}

} // namespace Zumeli
