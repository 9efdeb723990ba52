#pragma once

#include "data/Text.h"

#include <vector>

namespace Zumeli {

struct FormField {
    Text name;
    Text value;
};

// The ordered fields of one form POST. The transport sends names and values byte for byte as
// "name=value&" per field, so the choice of encoding is made when a field is added:
//
// - add(): identifiers, numbers, digests, tokens, hexadecimal data and the XML documents whose
//   user texts were already passed through Text::escapeForForm travel as they are;
// - addUserText(): plain values that carry what a user typed or chose are percent-encoded
//   (percentEncode below), so that a name holding "&" or "=" cannot end its field or add one.
//   The web service calls use it for: "us" (login user name), "user" and "mail" (registration),
//   "ln" and "lang" (language code, which a hand-written override file can set), and "data" of
//   the XML services "checkUserName" (the user name), "checkMail" (the mail address),
//   "geo_city" (a city name) and "geo_latlng" (coordinates as typed).
class FormFields {
public:
    FormFields& add(const char* name, const Text& value);
    FormFields& add(const char* name, long number);
    FormFields& addUserText(const char* name, const Text& value);

    // "name=value&" for every field in order; empty without fields.
    Text body() const;

    const std::vector<FormField>& fields() const { return m_fields; }
    bool isEmpty() const { return m_fields.empty(); }

    // Reserved bytes of a form value as "%XX" (upper-case hexadecimal): "%", "&", "+", "=", the
    // blank, control bytes (below 0x20 and 0x7F) and bytes from 0x80. Every other byte stays, so
    // plain ASCII names are sent unchanged and any standard form decoder restores the value.
    static Text percentEncode(const Text& value);

private:
    std::vector<FormField> m_fields;
};

} // namespace Zumeli
