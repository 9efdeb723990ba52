#pragma once

#include "ui/epiCode.h"

#include <cstdint>

// Root of the toolkit's classes. An object starts "not counted": embedded in another object or
// living on the stack, release() never destroys it. makeCounted() turns it into a counted object
// with count 1; whoever holds a counted object retains it and releases it when done, and the last
// release hands it to lastReleased() (plain objects delete themselves there).
class epiObject
{
public:
    static constexpr int32_t kNotCounted = -1000000;

    epiObject() = default;
    // A copy is a new object: never counted, whatever the original was.
    epiObject(const epiObject&) {}
    epiObject& operator=(const epiObject&) { return *this; }
    virtual ~epiObject() = default;

    virtual epiCode typeCode() const { return epiFourCC("baob"); }
    virtual void makeCounted();
    virtual void retain();
    virtual void release();
    virtual void lastReleased();
    virtual void willRelease() {}
    virtual epiObject* createObject(epiCode family, epiCode kind, epiCode id);

    int32_t referenceCount() const { return m_referenceCount; }
    bool isCounted() const { return m_referenceCount != kNotCounted; }

private:
    int32_t m_referenceCount = kNotCounted;
};
