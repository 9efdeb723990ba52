#pragma once

#include "data/Text.h"

#include <optional>

namespace Zumeli {

// The logged-in user's own account details, beyond what every person has in the people list:
// filled from the "sud" part of the login reply and of the user details reply.
struct OwnDetails {
    bool authorized = false;
    Text mail;
    int tmsmode = 0; // text messages
    int gpsmode = 0; // position
    int imgmode = 0; // pictures
    int apnmode = 0; // notifications

    bool operator==(const OwnDetails&) const = default;
};

// The details a user details call changes: only the fields that hold a value are sent.
struct OwnDetailsChange {
    std::optional<bool> doNotDisturb;
    std::optional<Text> mail;
    std::optional<int> tmsmode;
    std::optional<int> gpsmode;
    std::optional<int> imgmode;
    std::optional<int> apnmode;
};

} // namespace Zumeli
