#include "ui/epiUiSystemText.h"

#include "ui/epiWindow.h"

#include <string_view>

namespace {

// The code point starting at `at` and its length in bytes; a broken sequence is one byte.
uint32_t decode(std::string_view text, size_t at, size_t& length)
{
    auto byte = static_cast<unsigned char>(text[at]);
    int extra = byte >= 0xF0 ? 3 : byte >= 0xE0 ? 2 : byte >= 0xC0 ? 1 : 0;
    if (at + extra >= text.size()) {
        length = 1;
        return byte;
    }
    uint32_t code = extra == 0 ? byte : byte & (0x3F >> extra);
    for (int i = 1; i <= extra; ++i) {
        auto next = static_cast<unsigned char>(text[at + i]);
        if ((next & 0xC0) != 0x80) {
            length = 1;
            return byte;
        }
        code = (code << 6) | (next & 0x3F);
    }
    length = extra + 1;
    return code;
}

size_t countCharacters(std::string_view text)
{
    size_t count = 0;
    for (size_t at = 0, length = 0; at < text.size(); at += length, ++count)
        decode(text, at, length);
    return count;
}

} // namespace

// ----- static text -----

void epiUiSystemStaticText::setAttribute(epiCode code, int32_t value)
{
    switch (code) {
    case epiFourCC("teSi"):
        m_size = value;
        break;
    case epiFourCC("teBo"):
        m_bold = value != 0;
        break;
    case epiFourCC("txAl"):
        m_alignment = value;
        break;
    default:
        break;
    }
    epiUiSystemButton::setAttribute(code, value);
}

void epiUiSystemStaticText::describe(epiControlDesc& desc) const
{
    desc.kind = epiControlKind::StaticText;
}

void epiUiSystemStaticScrollText::describe(epiControlDesc& desc) const
{
    desc.kind = epiControlKind::ScrollText;
}

// ----- rolling text -----

void epiUiSystemRollingText::setText(const epiText& text)
{
    m_full = text;
    m_offset = 0;
    m_shown = text;
    epiUiSystemStaticText::setText(text);
    restart();
}

void epiUiSystemRollingText::create()
{
    epiUiSystemStaticText::create();
    restart();
}

void epiUiSystemRollingText::close()
{
    if (m_rolling)
        cancelAllTimers();
    m_rolling = false;
    epiUiSystemStaticText::close();
}

void epiUiSystemRollingText::restart()
{
    auto fits = static_cast<size_t>(frame().width() / kCharacterWidth);
    bool roll = countCharacters(m_full.view()) > fits;
    if (roll && !m_rolling)
        startTimer(kStepSeconds, false, true);
    else if (!roll && m_rolling)
        cancelAllTimers();
    m_rolling = roll;
}

void epiUiSystemRollingText::timerFired()
{
    if (!m_rolling || m_full.isEmpty())
        return;
    // The text and a gap, moved on by one whole character.
    std::string loop = m_full.str() + "   ";
    size_t length = 0;
    decode(loop, m_offset, length);
    m_offset = (m_offset + length) % loop.size();
    m_shown = epiText(loop.substr(m_offset) + loop.substr(0, m_offset));
    epiUbo::setText(m_shown);
    pushText(m_shown);
}

// ----- edit field -----

void epiUiSystemEditText::describe(epiControlDesc& desc) const
{
    desc.kind = epiControlKind::EditField;
}

void epiUiSystemEditText::setAttributeText(epiCode code, const epiText& value)
{
    if (code == epiFourCC("Clif")) {
        m_allowed = value;
        return;
    }
    epiUiSystemStaticText::setAttributeText(code, value);
}

void epiUiSystemEditText::setAttribute(epiCode code, int32_t value)
{
    switch (code) {
    case epiFourCC("maxC"):
        m_maximum = value > 0 ? value : 0;
        break;
    case epiFourCC("autT"):
        m_autoTab = value != 0;
        break;
    case epiFourCC("uprC"):
        m_upper = value != 0;
        break;
    default:
        break;
    }
    epiUiSystemStaticText::setAttribute(code, value);
}

std::string epiUiSystemEditText::filter(const std::string& current, const std::string& typed) const
{
    std::string accepted;
    size_t count = countCharacters(current);
    bool active = filterActive();
    for (size_t at = 0, length = 0; at < typed.size(); at += length) {
        uint32_t character = decode(typed, at, length);
        if (character == '\t')
            continue;
        if (active) {
            bool filtered = (character >= 32 && character <= 128) || character == 13;
            if (filtered && !m_allowed.isEmpty() && m_allowed.view().find(typed.substr(at, length)) == std::string_view::npos)
                continue;
            if (m_maximum > 0 && count >= static_cast<size_t>(m_maximum))
                break;
        }
        accepted.append(typed, at, length);
        ++count;
    }
    return accepted;
}

void epiUiSystemEditText::controlFilterText(epiControlHandle control, const std::string& current, int,
                                            std::string& text)
{
    if (control != nativeControl())
        return;
    bool tab = text.find('\t') != std::string::npos;
    text = filter(current, text);
    // A Tab that reached the field moves on instead of going in.
    if (tab)
        if (epiWindow* owner = window())
            owner->focusNextEditField();
}
