#include "ui/epiBitmapCasts.h"

epiBitmapCast* epiBitmapCasts::find(const epiText& name)
{
    for (auto& bitmap : m_bitmaps)
        if (bitmap->name == name)
            return bitmap.get();
    return nullptr;
}

epiBitmapCast* epiBitmapCasts::add(std::unique_ptr<epiBitmapCast> bitmap)
{
    m_bitmaps.push_back(std::move(bitmap));
    return m_bitmaps.back().get();
}

void epiBitmapCasts::unuse(epiBitmap* bitmap)
{
    for (auto& cached : m_bitmaps)
        if (cached.get() == bitmap && cached->useCount > 0)
            --cached->useCount;
}
