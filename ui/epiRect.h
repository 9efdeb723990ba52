#pragma once

#include "ui/epiPoint.h"

// Coordinates read from documents are kept within ±2^20 so that sums of a few of them (frames,
// offsets, reference points) never overflow.
constexpr int32_t kEpiMaxCoordinate = 1 << 20;
constexpr int32_t epiClampCoordinate(int32_t value)
{
    return value < -kEpiMaxCoordinate  ? -kEpiMaxCoordinate
           : value > kEpiMaxCoordinate ? kEpiMaxCoordinate
                                       : value;
}

// Left, top, right, bottom; right and bottom lie just outside the rectangle.
class epiRect : public epiObject
{
public:
    epiRect() = default;
    epiRect(int32_t left, int32_t top, int32_t right, int32_t bottom)
        : left(left), top(top), right(right), bottom(bottom)
    {
    }
    static epiRect fromSize(int32_t x, int32_t y, int32_t width, int32_t height)
    {
        return {x, y, x + width, y + height};
    }

    void set(int32_t l, int32_t t, int32_t r, int32_t b) { left = l, top = t, right = r, bottom = b; }
    int32_t width() const { return right - left; }
    int32_t height() const { return bottom - top; }
    bool isEmpty() const { return right <= left || bottom <= top; }
    void offset(int32_t dx, int32_t dy);
    void moveTo(int32_t x, int32_t y) { offset(x - left, y - top); }
    void setSize(int32_t width, int32_t height) { right = left + width, bottom = top + height; }

    // Reference points: 0 top-left, 1 top-right, 2 bottom-right, 3 bottom-left, 4..7 the middles
    // of the top, right, bottom and left edges, 8 the centre; any other index the top-left.
    epiPoint referencePoint(int index) const;

    bool contains(const epiPoint& point) const;
    bool contains(const epiRect& other) const;
    bool intersects(const epiRect& other) const;
    // The common part; empty (all zero) when there is none.
    epiRect intersection(const epiRect& other) const;
    epiRect united(const epiRect& other) const;

    bool operator==(const epiRect& other) const
    {
        return left == other.left && top == other.top && right == other.right && bottom == other.bottom;
    }

    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
};
