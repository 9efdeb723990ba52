#include "ui/epiRect.h"

#include <algorithm>

void epiRect::offset(int32_t dx, int32_t dy)
{
    left += dx, right += dx;
    top += dy, bottom += dy;
}

epiPoint epiRect::referencePoint(int index) const
{
    // Halves round toward zero, as C++ division does.
    int32_t middleX = left + width() / 2;
    int32_t middleY = top + height() / 2;
    switch (index) {
    case 1:
        return {right, top};
    case 2:
        return {right, bottom};
    case 3:
        return {left, bottom};
    case 4:
        return {middleX, top};
    case 5:
        return {right, middleY};
    case 6:
        return {middleX, bottom};
    case 7:
        return {left, middleY};
    case 8:
        return {middleX, middleY};
    default:
        return {left, top};
    }
}

bool epiRect::contains(const epiPoint& point) const
{
    return point.x >= left && point.x < right && point.y >= top && point.y < bottom;
}

bool epiRect::contains(const epiRect& other) const
{
    return other.left >= left && other.right <= right && other.top >= top && other.bottom <= bottom;
}

bool epiRect::intersects(const epiRect& other) const
{
    return !intersection(other).isEmpty();
}

epiRect epiRect::intersection(const epiRect& other) const
{
    epiRect common(std::max(left, other.left), std::max(top, other.top), std::min(right, other.right),
                   std::min(bottom, other.bottom));
    return common.isEmpty() ? epiRect() : common;
}

epiRect epiRect::united(const epiRect& other) const
{
    if (isEmpty())
        return other;
    if (other.isEmpty())
        return *this;
    return {std::min(left, other.left), std::min(top, other.top), std::max(right, other.right),
            std::max(bottom, other.bottom)};
}
