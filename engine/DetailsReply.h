#pragma once

#include "data/Text.h"
#include "data/XmlChunk.h"

namespace Zumeli {

class People;
struct OwnDetails;

// Reads a user details reply: every "us" child of "ud" gives one person's name ("GUEST" becomes
// "Guest"), version, picture stamp, staff and do-not-disturb flags, and marks the details as
// loaded. Entries without an id are passed over. Returns how many people were read.
int readUserDetails(const Text& reply, People& people);

// Reads the own user's details from the content of "sud": the person's name, version, picture
// stamp and flags into the people list, the account details into own. False when the chunk is
// empty (nothing is changed then).
bool readOwnDetails(const XmlChunk& sud, int ownUserId, People& people, OwnDetails& own);

} // namespace Zumeli
