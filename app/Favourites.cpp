#include "app/Favourites.h"

#include <cstdio>
#include <cstdlib>

namespace ZumeliApplication {

Favourites Favourites::parse(const std::string& text)
{
    Favourites favourites;
    int filled = 0;
    size_t start = 0;
    while (start <= text.size() && filled < Count) {
        size_t comma = text.find(',', start);
        std::string field = text.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        int channel = std::atoi(field.c_str());
        if (channel != 0)
            favourites.channels[size_t(filled++)] = channel;
        if (comma == std::string::npos)
            break;
        start = comma + 1;
    }
    return favourites;
}

std::string Favourites::format() const
{
    std::string text;
    for (int channel : channels) {
        if (!text.empty())
            text += ',';
        text += std::to_string(channel);
    }
    return text;
}

std::string channelText(int channel)
{
    char text[32];
    std::snprintf(text, sizeof text, "%02d.%02d", channel / 100, channel % 100);
    return text;
}

} // namespace ZumeliApplication
