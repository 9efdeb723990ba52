#include "ui/epiUiBitmapTextRolling.h"

#include <algorithm>

void epiUiBitmapTextRolling::setText(const epiText& text)
{
    epiUiBitmapText::setText(text);
    m_index = std::clamp(m_index, 0, std::max(0, text.lineCount() - 1));
    m_shown = text.line(m_index);
}

void epiUiBitmapTextRolling::setLineIndex(int index)
{
    index = std::clamp(index, 0, std::max(0, text().lineCount() - 1));
    if (index == m_index)
        return;
    m_index = index;
    m_shown = text().line(index);
    invalidate();
}

bool epiUiBitmapTextRolling::mouseDown(const epiPoint& point)
{
    captureMouse();
    m_dragging = true;
    m_startY = point.y;
    m_startIndex = m_index;
    return true;
}

bool epiUiBitmapTextRolling::mouseDragged(const epiPoint& point)
{
    if (!m_dragging)
        return false;
    int before = m_index;
    setLineIndex(m_startIndex + (point.y - m_startY) / 2);
    if (m_index != before)
        hit();
    return true;
}

bool epiUiBitmapTextRolling::mouseUp(const epiPoint&)
{
    if (!m_dragging)
        return false;
    m_dragging = false;
    releaseMouse();
    return true;
}
