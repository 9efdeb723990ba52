#pragma once

#include "ui/epiUiSystemButton.h"

#include <string>
#include <vector>

// Native scroll bar ('iSsc'): the value runs from 'min_' to 'max_'; 'arra' is the step of its
// arrows. A move of the user sets the value and hits the widget.
class epiUiSystemScroll : public epiUiSystemButton
{
public:
    static constexpr epiCode kKind = epiFourCC("iSsc");

    epiCode typeCode() const override { return kKind; }
    void setAttribute(epiCode code, int32_t value) override;
    bool getAttribute(epiCode code, epiText& value) const override;
    void setValue(int32_t value) override;
    void controlEvent(epiControlHandle control, epiControlEvent event, int32_t value) override;
    int32_t minimum() const { return m_minimum; }
    int32_t maximum() const { return m_maximum; }
    int32_t arrowStep() const { return m_step; }

protected:
    epiUiBehaviour* createBehaviour() override { return nullptr; }
    void describe(epiControlDesc& desc) const override;
    void controlMade() override;

private:
    void pushRange();

    int32_t m_minimum = 0;
    int32_t m_maximum = 100;
    int32_t m_step = 1;
};

// Native progress bar ('iSpb'): the value from 'min_' to 'max_' (0 to 100 by default) fills the
// bar; 'gsty' is stored.
class epiUiSystemProgressBar : public epiUiSystemButton
{
public:
    static constexpr epiCode kKind = epiFourCC("iSpb");

    epiCode typeCode() const override { return kKind; }
    void setAttribute(epiCode code, int32_t value) override;
    void setValue(int32_t value) override;
    // The share shown, 0 to 1000.
    int32_t permille() const;

protected:
    epiUiBehaviour* createBehaviour() override { return nullptr; }
    void describe(epiControlDesc& desc) const override;
    void controlMade() override;

private:
    int32_t m_minimum = 0;
    int32_t m_maximum = 100;
    int32_t m_style = 0;
};

// Native pop-up list ('iSpu'; 'iSpa' the same with an arrow look): its items come from its text,
// separated by "|"; with path hiding on, items that hold "/" are left out. The value is the
// selected index (-1 none); a choice of the user sets it and hits the widget.
class epiUiSystemPopup : public epiUiSystemButton
{
public:
    static constexpr epiCode kKind = epiFourCC("iSpu");

    epiCode typeCode() const override { return kKind; }
    void setText(const epiText& text) override;
    void setValue(int32_t value) override;
    void controlEvent(epiControlHandle control, epiControlEvent event, int32_t value) override;
    void setHidesPaths(bool hides);
    const std::vector<std::string>& items() const { return m_items; }
    // `text` made fit to stand as one item of the list: a "|" in it would split it, so it
    // becomes "/".
    static std::string itemText(std::string text);

protected:
    epiUiBehaviour* createBehaviour() override { return nullptr; }
    void describe(epiControlDesc& desc) const override;
    void controlMade() override;

private:
    void splitItems();

    std::vector<std::string> m_items;
    bool m_hidesPaths = false;
};

class epiUiSystemPopupArrow : public epiUiSystemPopup
{
public:
    static constexpr epiCode kKind = epiFourCC("iSpa");

    epiCode typeCode() const override { return kKind; }
};
