#include "engine/ServiceReply.h"

#include <string>

namespace Zumeli {

bool ServiceReply::hasElement(const XmlChunk& parent, const char* name)
{
    if (parent.isEmpty())
        return false;
    XmlChunk found = parent.child(name);
    // A missing child is an empty chunk at the parent's start; a found one always starts after
    // its own opening tag, so never there.
    return found.start != parent.start;
}

bool ServiceReply::statusIs(const XmlChunk& reply, const char* status) { return textIs(reply, "status", status); }

bool ServiceReply::textIs(const XmlChunk& parent, const char* name, const char* value)
{
    if (!hasElement(parent, name))
        return false;
    return parent.child(name).trimmedText().equalsIgnoreCase(value);
}

Text ServiceReply::body(const Text& reply)
{
    if (!reply.left(5).equals("HTTP/"))
        return reply;
    size_t headersEnd = reply.str().find("\r\n\r\n");
    if (headersEnd == std::string::npos)
        return {};
    return reply.mid(int(headersEnd) + 4, reply.length());
}

long ServiceReply::serviceResult(const XmlChunk& reply, const char* wrapper, bool& present)
{
    XmlChunk scope = reply;
    if (wrapper && hasElement(reply, wrapper) && hasElement(reply.child(wrapper), "s"))
        scope = reply.child(wrapper);
    present = hasElement(scope, "s");
    return present ? scope.childLong("s") : 0;
}

} // namespace Zumeli
