#pragma once

#include "data/Text.h"
#include "data/XmlChunk.h"

namespace Zumeli {

// Small readings shared by every reply reader. A reply is the whole HTTP reply as text; its
// elements are looked up at the top level of that text (the status line and headers hold no
// markup), so a missing element reads as 0 or empty.
class ServiceReply {
public:
    // True when the element exists, also when it is empty ("<ul></ul>", "<flag/>").
    static bool hasElement(const XmlChunk& parent, const char* name);

    // The trimmed text of "status" equals the given one, ignoring the case of letters.
    static bool statusIs(const XmlChunk& reply, const char* status);
    // The trimmed text of the element equals the given one, ignoring the case of letters.
    static bool textIs(const XmlChunk& parent, const char* name, const char* value);

    // The body of an HTTP reply: what follows the first blank line when the reply starts with a
    // status line; the whole reply otherwise.
    static Text body(const Text& reply);

    // The number in "s" of an XML service reply; when the reply wraps it in the named element,
    // the "s" inside that element. present tells whether any "s" was found.
    static long serviceResult(const XmlChunk& reply, const char* wrapper, bool& present);
};

} // namespace Zumeli
