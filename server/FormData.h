#pragma once

#include "data/Text.h"

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace Zumeli {

// The fields of an application/x-www-form-urlencoded body, decoded the standard way: fields
// separated by "&", name and value by the first "=", "+" a blank, "%XX" a byte. A malformed
// escape is kept as it stands. The first field of a name wins.
class FormData {
public:
    FormData() = default;
    explicit FormData(std::string_view body) { parse(body); }

    void parse(std::string_view body);
    bool has(const char* name) const;
    // The value, or empty when the field is missing.
    Text value(const char* name) const;
    // The value as a decimal number; fallback when missing or not a whole number.
    long number(const char* name, long fallback = 0) const;
    size_t size() const { return m_fields.size(); }

    static std::string decode(std::string_view encoded);
    // The first field called name, still encoded, without copying it; the other fields go to
    // others. For a picture: megabytes that are better decoded away from the event loop.
    static std::string_view takeRaw(std::string_view body, const char* name, std::string& others);

private:
    std::vector<std::pair<std::string, std::string>> m_fields;
};

// A strict decimal conversion: optional sign, digits only, within long's range.
bool parseLong(std::string_view text, long& out);

} // namespace Zumeli
