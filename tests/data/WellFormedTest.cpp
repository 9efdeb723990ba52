// The documents sent to the service must be well-formed XML for any parser, not just ours:
// each is checked by python3's xml.etree, after the form's percent-encoding is undone the way
// the service undoes it.
#include "data/AdministrationDocument.h"
#include "data/Groups.h"
#include "data/UserMessagesList.h"
#include "engine/ServiceDocuments.h"
#include "tests/data/TempFolder.h"

#include <cstdlib>
#include <gtest/gtest.h>

using namespace Zumeli;

namespace {

bool wellFormed(const Text& document, const TempFolder& temp)
{
    Text path = temp.file("doc.xml");
    if (!document.saveToFile(path))
        return false;
    std::string command = "python3 -c \"import sys, urllib.parse, xml.etree.ElementTree as E; "
                          "E.fromstring(urllib.parse.unquote(open(sys.argv[1], encoding='utf-8').read()))\" '"
        + path.str() + "' 2>/dev/null";
    return std::system(command.c_str()) == 0;
}

} // namespace

TEST(WellFormed, DocumentsForTheService)
{
    TempFolder temp("wellformed");
    ASSERT_FALSE(wellFormed(Text("<a><b></a>"), temp)) << "the checker must reject broken XML";

    AdministrationDocument doc;
    doc.title = "Tom & \"Jerry\" <3";
    doc.web = "http://example.org/?a=1&b=2";
    doc.coadmins = { 1, 2 };
    doc.excluded = { 3 };
    // The service names the title's element "Canal Titulo", with a space that no XML parser
    // accepts in a tag (the service reads it with a lenient reader, as we do); everything else
    // in the document must be well-formed.
    std::string admin = doc.toXml().str();
    for (const char* tag : { "<Canal Titulo>", "</Canal Titulo>" }) {
        size_t at = admin.find(tag);
        ASSERT_NE(at, std::string::npos) << tag;
        admin.erase(at + std::string(tag).find(' '), 1);
    }
    EXPECT_TRUE(wellFormed(Text(admin), temp));

    UserMessageData message;
    message.text = "5 < 6 & 7 > 3 \xc3\xa9t\xc3\xa9";
    EXPECT_TRUE(wellFormed(UserMessagesList::messageDocument(message, { 4, 5 }), temp));

    // The groups go to the service in their own document, with the names escaped (the cache
    // file keeps them as they are and would not parse with this name).
    Groups groups;
    groups.ensureDefaultGroups();
    groups.addMember(groups.createGroup("R&D <crew>"), 9);
    ASSERT_FALSE(wellFormed(groups.toXml(), temp)) << "the cache form is not what is sent";
    EXPECT_TRUE(wellFormed(ServiceDocuments::userGroups(groups), temp));
}
