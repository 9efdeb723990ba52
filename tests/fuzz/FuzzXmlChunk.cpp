// Feeds arbitrary bytes to the XML reader: child lookups at several depths, the enumerator,
// the value readers, entity decoding and the archive reader. Any crash, hang or out-of-range
// read is a finding.
#include "data/Archive.h"
#include "data/XmlChunk.h"

#include <cstddef>
#include <cstdint>

using namespace Zumeli;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const char* const names[] = { "a", "r", "item", "name", "data", "archive", "u", "" };
    // The bytes are copied into a buffer of exactly their size, so any read past the view
    // trips AddressSanitizer.
    Text text(reinterpret_cast<const char*>(data), int(size));
    XmlChunk whole(text.data(), text.data() + text.length());

    for (const char* name : names) {
        XmlChunk first = whole.child(name);
        (void)first.rawText();
        (void)first.trimmedText();
        for (const char* inner : names) {
            XmlChunk nested = first.child(inner);
            long number = 0;
            bool flag = false;
            Text value;
            nested.readLong(inner, number);
            nested.readBool(inner, flag);
            nested.readText(inner, value);
        }
        XmlChunkEnumerator children(whole, name);
        XmlChunk content, tag;
        int guard = 0;
        while (children.next(content, &tag) && ++guard < 100000) {
            (void)content.trimmedText();
            (void)tag.rawText();
        }
    }
    Text decoded;
    decoded.decodeEntities(text);
    Text escaped;
    text.escapeForForm(escaped);
    Archive archive;
    archive.fromXml(whole);
    (void)archive.toXml();
    (void)text.lineCount();
    (void)text.lines(1, 3);
    (void)text.fields(1, 2, ',');
    return 0;
}
