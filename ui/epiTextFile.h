#pragma once

#include "ui/epiPath.h"

// A text read from or written to a file whole.
class epiTextFile : public epiText
{
public:
    using epiText::epiText;

    bool readFrom(const epiPath& path);
    // Replaces the file's contents; false when it cannot be written whole.
    bool writeTo(const epiPath& path) const;
};
