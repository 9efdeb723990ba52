#include "engine/FormFields.h"

#include <cstdint>

namespace Zumeli {

FormFields& FormFields::add(const char* name, const Text& value)
{
    m_fields.push_back({ Text(name), value });
    return *this;
}

FormFields& FormFields::add(const char* name, long number)
{
    Text value;
    value.setLong(number);
    return add(name, value);
}

FormFields& FormFields::addUserText(const char* name, const Text& value) { return add(name, percentEncode(value)); }

Text FormFields::body() const
{
    Text body;
    for (const FormField& field : m_fields)
        body.append(field.name).appendChar('=').append(field.value).appendChar('&');
    return body;
}

Text FormFields::percentEncode(const Text& value)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string encoded;
    encoded.reserve(size_t(value.length()));
    for (char c : value.str()) {
        const auto byte = uint8_t(c);
        const bool reserved = byte < 0x20 || byte >= 0x7F || c == '%' || c == '&' || c == '+' || c == '=' || c == ' ';
        if (reserved) {
            encoded += '%';
            encoded += digits[byte >> 4];
            encoded += digits[byte & 0x0F];
        } else {
            encoded += c;
        }
    }
    return Text(std::move(encoded));
}

} // namespace Zumeli
