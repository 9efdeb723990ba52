#include "server/FormData.h"

#include <cstring>

#include <charconv>

namespace Zumeli {

namespace {

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

} // namespace

std::string FormData::decode(std::string_view encoded)
{
    std::string out;
    out.reserve(encoded.size());
    for (size_t i = 0; i < encoded.size(); ++i) {
        // Plain bytes go over in runs: a picture's hexadecimal digits are megabytes of them.
        size_t run = i;
        while (run < encoded.size() && encoded[run] != '+' && encoded[run] != '%')
            ++run;
        if (run > i) {
            out.append(encoded.data() + i, run - i);
            i = run;
            if (i == encoded.size())
                break;
        }
        char c = encoded[i];
        if (c == '+') {
            out += ' ';
        } else if (c == '%' && i + 2 < encoded.size() && hexValue(encoded[i + 1]) >= 0
                   && hexValue(encoded[i + 2]) >= 0) {
            out += char(hexValue(encoded[i + 1]) * 16 + hexValue(encoded[i + 2]));
            i += 2;
        } else {
            out += c;
        }
    }
    return out;
}

namespace {

// Calls each(field) for every "&"-separated field of the body, empty ones included.
template<typename Each>
void forEachField(std::string_view body, Each each)
{
    size_t position = 0;
    while (position < body.size()) {
        size_t end = body.find('&', position);
        if (end == std::string_view::npos)
            end = body.size();
        each(body.substr(position, end - position));
        position = end + 1;
    }
}

} // namespace

std::string_view FormData::takeRaw(std::string_view body, const char* name, std::string& others)
{
    std::string_view found;
    bool taken = false;
    size_t length = std::strlen(name);
    forEachField(body, [&](std::string_view field) {
        if (!taken && field.size() > length && field.compare(0, length, name) == 0 && field[length] == '=') {
            found = field.substr(length + 1);
            taken = true;
        } else {
            others.append(field).append("&");
        }
    });
    return found;
}

void FormData::parse(std::string_view body)
{
    m_fields.clear();
    forEachField(body, [&](std::string_view field) {
        if (field.empty())
            return;
        size_t equals = field.find('=');
        std::string_view name = field.substr(0, equals);
        std::string_view value = equals == std::string_view::npos ? std::string_view() : field.substr(equals + 1);
        m_fields.emplace_back(decode(name), decode(value));
    });
}

bool FormData::has(const char* name) const
{
    for (const auto& field : m_fields)
        if (field.first == name)
            return true;
    return false;
}

Text FormData::value(const char* name) const
{
    for (const auto& field : m_fields)
        if (field.first == name)
            return Text(field.second);
    return Text();
}

long FormData::number(const char* name, long fallback) const
{
    for (const auto& field : m_fields) {
        if (field.first == name) {
            long value = 0;
            return parseLong(field.second, value) ? value : fallback;
        }
    }
    return fallback;
}

bool parseLong(std::string_view text, long& out)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t' || text.front() == '\r' || text.front() == '\n'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r' || text.back() == '\n'))
        text.remove_suffix(1);
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    if (text.empty())
        return false;
    long value = 0;
    auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    if (result.ec != std::errc() || result.ptr != text.data() + text.size())
        return false;
    out = value;
    return true;
}

} // namespace Zumeli
