#pragma once

#include "ui/epiText.h"

#include <string>

namespace Zumeli {
class TextLocalizer;
}

namespace ZumeliApplication {

// The application's front end to the engine's localisation table: texts with "]" ... "["
// markers come back translated. Before the table is given, texts pass with their markers
// removed (the English wording).
class Localizer {
public:
    void setTable(Zumeli::TextLocalizer* table) { m_table = table; }
    bool hasTable() const { return m_table != nullptr; }

    // The translation, in a buffer shared by every caller of translate(); valid until the next call.
    const char* translate(const char* text);
    // The text wrapped in markers and translated (shared buffer as translate()).
    const char* translateWord(const char* text);
    void translateInto(epiText& out, const char* text);
    // A translation the caller keeps.
    std::string text(const char* marked);

private:
    Zumeli::TextLocalizer* m_table = nullptr;
    std::string m_shared;
};

} // namespace ZumeliApplication
