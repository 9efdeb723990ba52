#pragma once

#include "ui/epiUiSystemButton.h"

// Native static text ('iSst'): 'teSi' (size in points), 'teBo' (bold) and 'txAl' (alignment)
// are kept for the control's look.
class epiUiSystemStaticText : public epiUiSystemButton
{
public:
    static constexpr epiCode kKind = epiFourCC("iSst");

    epiCode typeCode() const override { return kKind; }
    void setAttribute(epiCode code, int32_t value) override;
    int32_t textSize() const { return m_size; }
    bool isBold() const { return m_bold; }
    int32_t alignment() const { return m_alignment; }

protected:
    epiUiBehaviour* createBehaviour() override { return nullptr; }
    void describe(epiControlDesc& desc) const override;

private:
    int32_t m_size = 0;
    bool m_bold = false;
    int32_t m_alignment = 0;
};

// Native read-only text of several lines with a scroll bar ('iSrt').
class epiUiSystemStaticScrollText : public epiUiSystemStaticText
{
public:
    static constexpr epiCode kKind = epiFourCC("iSrt");

    epiCode typeCode() const override { return kKind; }

protected:
    void describe(epiControlDesc& desc) const override;
};

// Native static text that rolls a text too long for it ('iSrx'): every 0.2 s the shown text
// moves on by one character, round and round, while the text has more characters than fit the
// width (about 7 pixels a character).
class epiUiSystemRollingText : public epiUiSystemStaticText
{
public:
    static constexpr epiCode kKind = epiFourCC("iSrx");
    static constexpr double kStepSeconds = 0.2;
    static constexpr int32_t kCharacterWidth = 7;

    epiCode typeCode() const override { return kKind; }
    void setText(const epiText& text) override;
    void create() override;
    void close() override;
    const epiText& shownText() const { return m_shown; }
    void timerFired() override;

private:
    void restart();

    epiText m_full;
    epiText m_shown;
    size_t m_offset = 0;
    bool m_rolling = false;
};

// Native edit field ('iSet'). Every change of the text by the user is copied into the widget and
// fires its action, so the parent receives the field's code. A Tab moves the focus to the next
// edit field of the window and is not inserted. The character filter is active when the allowed
// characters ('Clif', a text), the maximum length ('maxC') or the stored flags 'autT' and 'uprC'
// are set: typed characters 32 to 128 and carriage return then go in only when the allowed text
// is empty or holds them, and never beyond the maximum length.
class epiUiSystemEditText : public epiUiSystemStaticText
{
public:
    static constexpr epiCode kKind = epiFourCC("iSet");

    epiCode typeCode() const override { return kKind; }
    void setAttributeText(epiCode code, const epiText& value) override;
    void setAttribute(epiCode code, int32_t value) override;
    bool filterActive() const { return !m_allowed.isEmpty() || m_maximum > 0 || m_autoTab || m_upper; }
    const epiText& allowedCharacters() const { return m_allowed; }
    int32_t maximumLength() const { return m_maximum; }
    // The part of `typed` that the filter lets in after `current` (UTF-8 throughout).
    std::string filter(const std::string& current, const std::string& typed) const;

    void controlFilterText(epiControlHandle control, const std::string& current, int position,
                           std::string& text) override;

protected:
    void describe(epiControlDesc& desc) const override;

private:
    epiText m_allowed;
    int32_t m_maximum = 0;
    bool m_autoTab = false;
    bool m_upper = false;
};
