#pragma once

#include <array>
#include <string>

namespace ZumeliApplication {

// The six channel presets, stored as "1000,1001,1002,1003,1004,1005" in "ui.favourites".
struct Favourites {
    static constexpr int Count = 6;
    static constexpr int FillChannel = 1000;
    static constexpr const char* PreferenceKey = "ui.favourites";
    static constexpr const char* DefaultText = "1000,1001,1002,1003,1004,1005";

    std::array<int, Count> channels {FillChannel, FillChannel, FillChannel, FillChannel, FillChannel, FillChannel};

    // Every non-zero number of the list in order (the first six), then 1000 until there are six.
    static Favourites parse(const std::string& text);
    std::string format() const;
};

// "%02d.%02d" of channel / 100 and channel % 100: 1000 is "10.00".
std::string channelText(int channel);

} // namespace ZumeliApplication
