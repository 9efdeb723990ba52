#pragma once

#include "ui/epiUiBitmapText.h"

// A rolling text ('iBtr'): its text holds several lines and shows one of them; a vertical drag
// moves through them, half the drag distance in lines, and each change hits the widget.
class epiUiBitmapTextRolling : public epiUiBitmapText
{
public:
    static constexpr epiCode kKind = epiFourCC("iBtr");

    epiCode typeCode() const override { return kKind; }
    void setText(const epiText& text) override;
    int lineIndex() const { return m_index; }
    void setLineIndex(int index);
    const epiText& shownText() const { return m_shown; }

    bool mouseDown(const epiPoint& point) override;
    bool mouseDragged(const epiPoint& point) override;
    bool mouseUp(const epiPoint& point) override;

protected:
    const epiText& drawnText() const override { return m_shown; }

private:
    epiText m_shown;
    int m_index = 0;
    bool m_dragging = false;
    int32_t m_startY = 0;
    int m_startIndex = 0;
};
