#pragma once

// Lets test failures show texts as texts.
#include "ui/epiText.h"

#include <ostream>

inline void PrintTo(const epiText& text, std::ostream* out)
{
    *out << '"' << text.str() << '"';
}
