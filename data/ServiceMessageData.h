#pragma once

#include "data/SomeVector.h"
#include "data/Text.h"
#include "data/XmlChunk.h"

namespace Zumeli {

// A message from the service itself: a text and up to four buttons that open a web page,
// reconnect or quit. Handed to the application, never stored.
struct ServiceMessageData {
    struct Button {
        Text text;
        Text url;
        bool urlInBrowser = false;
        bool reconnect = false;
        bool quit = false;
        bool operator==(const Button&) const = default;
    };

    Text mainText;
    Button buttons[4];
    bool mainDisconnect = false;

    bool operator==(const ServiceMessageData&) const = default;
};

class ServiceMessagesList : public someVector<ServiceMessageData> {
public:
    // Reads the "servicemessages" of a service reply and appends them; returns how many.
    int readFromReply(const XmlChunk& reply);
};

} // namespace Zumeli
