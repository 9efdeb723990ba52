#pragma once

#include "data/Text.h"

#include <vector>

namespace Zumeli {

class People;

// A channel's administration: texts, access mode, the lists of co-administrators, allowed
// talkers, allowed listeners and excluded users, bells and plate options. Fetched from the
// service, edited by the administration window and sent back.
struct AdministrationDocument {
    // Who may talk and listen.
    enum AccessMode {
        Everyone = 0,
        EveryoneSomeListenOnly = 1,
        EveryoneListensSomeTalk = 2,
        ListedTalkersAndListeners = 3,
        ListedTalkersOnly = 4,
        RegisteredUsers = 5,
    };

    bool administrated = false;
    Text title;
    bool accessWithAdminPermission = false;
    bool accessWithAdminPresent = false;
    bool nameAndAdminReserved = false;
    std::vector<int> coadmins;
    int accessMode = Everyone;
    std::vector<int> restricted; // allowed talkers
    std::vector<int> listenOnly; // allowed listeners
    std::vector<int> excluded;   // not admitted
    int userCredits = 0;
    Text description;
    Text descriptionDesktop;
    Text web;
    Text details;
    bool bellEnableCoadmins = false;
    bool bellEnableAll = false;
    bool bellEnableBreak = false;
    bool hideNumberOnPlates = false;
    int cy = 0;
    int lang = 0;
    int type = 0;
    int limit = 0;

    bool operator==(const AdministrationDocument&) const = default;

    // The title's element, spelt with a space as the service expects it. It is not well-formed
    // XML (a reader takes "Titulo" for an attribute of "Canal"), so fromXml looks for the whole
    // tag; a document that spells it "CanalTitulo" is read as well.
    static constexpr const char* TitleElement = "Canal Titulo";
    static constexpr const char* JoinedTitleElement = "CanalTitulo";

    // The document as sent to the service: texts escaped for the form, lists of ids only.
    Text toXml() const;
    // Fills the document from the service's reply; list entries "id,name" name users in people.
    void fromXml(const Text& reply, People& people);

    // The localisation marker of an access mode's description; empty for an unknown mode.
    static const char* accessModeText(int mode);
};

} // namespace Zumeli
