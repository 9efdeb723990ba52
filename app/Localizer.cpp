#include "app/Localizer.h"

#include "data/Text.h"
#include "data/TextLocalizer.h"

namespace ZumeliApplication {

namespace {

// Without a table: the English text, markers removed (only the outermost ones, as the table does).
std::string stripMarkers(const char* text)
{
    std::string out;
    int depth = 0;
    for (const char* p = text; *p; ++p) {
        if (*p == ']' && depth++ == 0)
            continue;
        if (*p == '[' && depth-- == 1)
            continue;
        out += *p;
    }
    return out;
}

} // namespace

std::string Localizer::text(const char* marked)
{
    if (!marked)
        return {};
    if (!m_table)
        return stripMarkers(marked);
    Zumeli::Text out;
    m_table->translate(marked, out);
    return out.c_str();
}

const char* Localizer::translate(const char* text)
{
    m_shared = this->text(text);
    return m_shared.c_str();
}

const char* Localizer::translateWord(const char* text)
{
    std::string marked = "]" + std::string(text ? text : "") + "[";
    return translate(marked.c_str());
}

void Localizer::translateInto(epiText& out, const char* text)
{
    out = epiText(this->text(text).c_str());
}

} // namespace ZumeliApplication
