#include "data/ServiceMessageData.h"

namespace Zumeli {

namespace {

bool exactlyOne(const XmlChunk& parent, const char* name) { return parent.child(name).trimmedText().toLong() == 1; }

} // namespace

int ServiceMessagesList::readFromReply(const XmlChunk& reply)
{
    int read = 0;
    XmlChunkEnumerator messages(reply.child("servicemessages"), "message");
    XmlChunk m;
    while (messages.next(m)) {
        auto message = std::make_unique<ServiceMessageData>();
        message->mainText = m.child("mainText").trimmedText();
        message->mainDisconnect = exactlyOne(m, "mainDisconnect");
        XmlChunk buttons = m.child("buttons");
        static const char* const slots[] = { "0", "1", "2", "3" };
        for (int i = 0; i < 4; ++i) {
            XmlChunk b = buttons.child(slots[i]);
            ServiceMessageData::Button& button = message->buttons[i];
            button.text = b.child("text").trimmedText();
            button.url = b.child("url").trimmedText();
            button.urlInBrowser = exactlyOne(b, "urlInBrowser");
            button.reconnect = exactlyOne(b, "reconnect");
            button.quit = exactlyOne(b, "quit");
        }
        add(std::move(message));
        ++read;
    }
    return read;
}

} // namespace Zumeli
