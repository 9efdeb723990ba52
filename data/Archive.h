#pragma once

#include "data/Text.h"
#include "data/XmlChunk.h"

#include <vector>

namespace Zumeli {

// An ordered list of name/value text pairs with its own XML form ("<archive><item><name>..."),
// used for the preferences. set() replaces the value of an existing name in place, so names stay
// unique and keep their order.
class Archive {
public:
    struct Pair {
        Text name;
        Text data;
    };

    void clear() { m_pairs.clear(); }
    bool contains(const char* key) const;
    Text get(const char* key) const;
    float getFloat(const char* key) const;
    void set(const char* key, const Text& value);
    void set(const char* key, const char* value) { set(key, Text(value)); }
    void setFloat(const char* key, float value); // "%1.4f"
    bool remove(const char* key);

    Text toXml() const;
    void fromXml(const XmlChunk& chunk);

    const std::vector<Pair>& pairs() const { return m_pairs; }
    int count() const { return int(m_pairs.size()); }

    // The language code that the localiser keeps with its table.
    Text language;

private:
    const Pair* find(const char* key) const;
    std::vector<Pair> m_pairs;
};

} // namespace Zumeli
