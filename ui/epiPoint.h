#pragma once

#include "ui/epiObject.h"

#include <cstdint>

class epiPoint : public epiObject
{
public:
    epiPoint() = default;
    epiPoint(int32_t x, int32_t y) : x(x), y(y) {}

    void set(int32_t newX, int32_t newY) { x = newX, y = newY; }
    void offset(int32_t dx, int32_t dy) { x += dx, y += dy; }
    bool operator==(const epiPoint& other) const { return x == other.x && y == other.y; }

    int32_t x = 0;
    int32_t y = 0;
};
