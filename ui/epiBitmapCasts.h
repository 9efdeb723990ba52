#pragma once

#include "ui/epiApplicationObject.h"
#include "ui/epiBitmap.h"
#include "ui/epiText.h"

#include <memory>
#include <vector>

// A bitmap shared through the cache, with its resource name and the number of its users.
class epiBitmapCast : public epiBitmap
{
public:
    epiText name;
    int useCount = 0;
};

// The cache of bitmaps by resource name. It owns the bitmaps; they live until shutdown().
class epiBitmapCasts : public epiApplicationObject
{
public:
    epiBitmapCast* find(const epiText& name);
    epiBitmapCast* add(std::unique_ptr<epiBitmapCast> bitmap);
    // A user is done with the bitmap; it stays cached.
    void unuse(epiBitmap* bitmap);
    void shutdown() { m_bitmaps.clear(); }
    size_t size() const { return m_bitmaps.size(); }

private:
    std::vector<std::unique_ptr<epiBitmapCast>> m_bitmaps;
};
