#pragma once

#include "data/Text.h"

#include <vector>

namespace Zumeli {

// One channel the user has tuned to, keyed by its number (1234 shows as "12.34"): what the
// web service said about it, cached between runs so the voice server and names are known
// before the service answers. Copied whole, the fields that are not cached included.
struct ChannelElement {
    // Picture slots, numbered as the picture kinds of the cache.
    enum ImageSlot { PlateIPhone = 0, Icon = 1, PlateDesktop = 3, ImageSlots = 5 };

    struct Image {
        Text path;
        int timestamp = 0;
        bool operator==(const Image&) const = default;
    };

    int number = 0;
    Text numberDisplay;
    int permissions = 2;
    std::vector<int> presentUsers;
    Text name;
    Text description;
    Text descriptionDesktop;
    Text extraText;
    int adminId = 0;
    int timestamp = -1; // -1: unknown, ask the service
    Text details;
    Image images[ImageSlots];
    Text address;
    int port = 0;
    int codec = 0;
    int extraNumber = 1;
    int cy = 0;
    int lang = 0;
    bool hideNumberOnPlates = false;
    bool ad = false;
    bool sub = false;

    bool operator==(const ChannelElement&) const = default;

    // "%02d.%02d" of number / 100 and number % 100.
    static Text displayNumber(int number);
};

} // namespace Zumeli
