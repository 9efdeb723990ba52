#include "app/PanelWidgets.h"

#include "ui/epiApplication.h"
#include "ui/epiResources.h"
#include "ui/epiUiBehaviour.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace ZumeliApplication {

namespace {

template<typename Widget>
void add(epiApplication& app)
{
    app.registerKind(Widget::kKind, [](epiCode) { return new Widget; });
}

epiPoint parsePoint(const epiText& value)
{
    const char* text = value.c_str();
    const char* comma = std::strchr(text, ',');
    return {std::atoi(text), comma ? std::atoi(comma + 1) : 0};
}

void unuse(epiResources* resources, epiBitmap*& bitmap)
{
    if (bitmap && resources)
        resources->unuseBitmap(bitmap);
    bitmap = nullptr;
}

} // namespace

void registerPanelWidgetKinds(epiApplication& app)
{
    add<zumeUiTalkButton>(app);
    add<zumePresetButton>(app);
    add<UiStatusBlinker>(app);
    add<UiStatusBlinkerAutoOff>(app);
    add<zumeUiSegmentText>(app);
    add<UiFrequencyDisplay2>(app);
}

// ----- talk button -----

bool zumeUiTalkButton::mouseDown(const epiPoint&)
{
    if (!isEnabled())
        return true;
    captureMouse();
    setValue(1);
    hit();
    return true;
}

bool zumeUiTalkButton::mouseUp(const epiPoint&)
{
    if (hasMouseCapture())
        releaseMouse();
    if (!isEnabled() || !isOn())
        return true;
    setValue(0);
    hit();
    return true;
}

// ----- preset button -----

zumePresetButton::~zumePresetButton() { cancelAllTimers(); }

double zumePresetButton::clock() const { return application() ? application()->now() : 0; }

void zumePresetButton::setAttributeText(epiCode code, const epiText& value)
{
    switch (code) {
    case epiFourCC("liOf"): m_lampImages[0] = value; break;
    case epiFourCC("liOn"): m_lampImages[1] = value; break;
    case epiFourCC("liPo"): m_lampAt = parsePoint(value); break;
    default: epiUiWithFaceText<epiUiBitmapButton>::setAttributeText(code, value); return;
    }
    invalidate();
}

bool zumePresetButton::mouseDown(const epiPoint&)
{
    if (!isEnabled())
        return true;
    captureMouse();
    m_downAt = clock();
    if (behaviour())
        behaviour()->setPressed(true);
    invalidate();
    startOneShotTimer(HoldSeconds);
    return true;
}

bool zumePresetButton::mouseUp(const epiPoint&)
{
    if (hasMouseCapture())
        releaseMouse();
    if (m_downAt < 0)
        return true;
    // The timer may not have run yet when the release comes late: the held time decides (to a
    // microsecond, so that clock sums that land a hair under two seconds still count as two).
    finish(clock() - m_downAt >= HoldSeconds - 1e-6 ? Action::Store : Action::Switch);
    return true;
}

void zumePresetButton::timerFired()
{
    if (m_downAt >= 0)
        finish(Action::Store);
}

void zumePresetButton::finish(Action action)
{
    m_downAt = -1;
    cancelAllTimers();
    if (behaviour())
        behaviour()->setPressed(false);
    invalidate();
    m_action = action;
    hit();
}

void zumePresetButton::setLamp(bool on)
{
    if (on != m_lamp) {
        m_lamp = on;
        invalidate();
    }
}

void zumePresetButton::drawSelf(epiBitmap& target, epiPoint origin, const epiRect& rect)
{
    epiUiWithFaceText<epiUiBitmapButton>::drawSelf(target, origin, rect);
    const epiText& name = m_lampImages[m_lamp ? 1 : 0];
    epiResources* set = resources();
    if (name.isEmpty() || !set)
        return;
    epiBitmap* lamp = set->bitmap(name);
    if (!lamp)
        return;
    epiRect box = boundsAt(origin);
    epiRect destination(box.left + m_lampAt.x, box.top + m_lampAt.y, box.left + m_lampAt.x + lamp->width(),
                        box.top + m_lampAt.y + lamp->height());
    drawImagePart(target, *lamp, epiRect(0, 0, lamp->width(), lamp->height()), destination, clipAt(origin, rect));
    set->unuseBitmap(lamp);
}

// ----- lamps -----

void UiStatusBlinkerAutoOff::setLit(bool on)
{
    cancelAllTimers();
    setValue(on ? 1 : 0);
    if (on)
        startOneShotTimer(OnSeconds);
}

// ----- segment readout -----

zumeUiSegmentText::~zumeUiSegmentText()
{
    unuse(resources(), m_digits);
    unuse(resources(), m_point);
}

void zumeUiSegmentText::setAttributeText(epiCode code, const epiText& value)
{
    epiBitmap** slot = code == epiFourCC("sgDi") ? &m_digits : code == epiFourCC("sgDt") ? &m_point : nullptr;
    if (!slot) {
        epiUiBitmapImage::setAttributeText(code, value);
        return;
    }
    unuse(resources(), *slot);
    if (resources())
        *slot = resources()->bitmap(value);
    invalidate();
}

void zumeUiSegmentText::setAttribute(epiCode code, int32_t value)
{
    if (code == epiFourCC("frms") && value > 0) {
        m_frames = value;
        invalidate();
        return;
    }
    epiUiBitmapImage::setAttribute(code, value);
}

void zumeUiSegmentText::setText(const epiText& text)
{
    if (text == this->text())
        return;
    epiUiBitmapImage::setText(text);
    invalidate();
}

void zumeUiSegmentText::drawSelf(epiBitmap& target, epiPoint origin, const epiRect& rect)
{
    epiUiBitmapImage::drawSelf(target, origin, rect);
    if (!m_digits || m_frames <= 0)
        return;
    const int32_t cellWidth = m_digits->width();
    const int32_t cellHeight = m_digits->height() / m_frames;
    const int32_t pointWidth = m_point ? m_point->width() : 0;
    const std::string text = this->text().c_str();
    int32_t total = 0;
    for (char c : text)
        total += c == '.' ? pointWidth : cellWidth;
    epiRect box = boundsAt(origin);
    epiRect clip = clipAt(origin, rect);
    int32_t x = box.left + (box.width() - total) / 2;
    int32_t y = box.top + (box.height() - cellHeight) / 2;
    for (char c : text) {
        if (c == '.') {
            if (m_point)
                drawImagePart(target, *m_point, epiRect(0, 0, pointWidth, m_point->height()),
                              epiRect(x, y, x + pointWidth, y + m_point->height()), clip);
            x += pointWidth;
            continue;
        }
        int frame = c >= '0' && c <= '9' ? c - '0' : c == '_' ? 10 : c == '-' ? 11 : 12;
        frame = std::min(frame, int(m_frames) - 1);
        drawImagePart(target, *m_digits, epiRect(0, frame * cellHeight, cellWidth, (frame + 1) * cellHeight),
                      epiRect(x, y, x + cellWidth, y + cellHeight), clip);
        x += cellWidth;
    }
}

// ----- dial -----

double UiFrequencyDisplay2::clock() const { return application() ? application()->now() : 0; }

void UiFrequencyDisplay2::setAttribute(epiCode code, int32_t value)
{
    if (code == epiFourCC("pxCh") && value > 0) {
        m_pixelsPerChannel = value;
        return;
    }
    epiUiBitmapFilmImage::setAttribute(code, value);
}

void UiFrequencyDisplay2::setRange(int lowest, int highest)
{
    if (lowest > highest)
        return;
    m_lowest = lowest;
    m_highest = highest;
    m_base = std::clamp(m_base, m_lowest, m_highest);
}

void UiFrequencyDisplay2::setChannel(int channel)
{
    if (m_dragging || m_moving)
        return; // the user's turn wins; the dial reports where it rests
    m_base = std::clamp(channel, m_lowest, m_highest);
    m_offset = 0;
}

void UiFrequencyDisplay2::moveTo(double offset)
{
    offset = std::clamp(offset, double(m_lowest - m_base), double(m_highest - m_base));
    m_offset = offset;
    int frameCount = std::max<int32_t>(frames(), 1);
    // Two frames per channel, so the ridges visibly turn while the dial creeps.
    int frame = int(std::floor(offset * 2)) % frameCount;
    setValue(frame < 0 ? frame + frameCount : frame);
    if (m_listener)
        m_listener(m_base + int(std::lround(m_offset)), false);
}

bool UiFrequencyDisplay2::mouseDown(const epiPoint& point)
{
    captureMouse();
    cancelAllTimers();
    m_moving = false;
    m_speed = 0;
    m_dragging = true;
    m_dragStartY = point.y;
    m_dragStartOffset = m_offset;
    m_lastMoveAt = -1;
    m_lastMove = 0;
    m_lastDragAt = clock();
    return true;
}

bool UiFrequencyDisplay2::mouseDragged(const epiPoint& point)
{
    if (!m_dragging)
        return true;
    double before = m_offset;
    // Upwards turns the channel up.
    moveTo(m_dragStartOffset + double(m_dragStartY - point.y) / m_pixelsPerChannel);
    double now = clock();
    if (m_offset != before) {
        double elapsed = std::max(now - m_lastDragAt, 1e-3);
        m_lastMove = (m_offset - before) * TickSeconds / elapsed; // channels per 1/30 s
        m_lastMoveAt = now;
    }
    m_lastDragAt = now;
    return true;
}

bool UiFrequencyDisplay2::mouseUp(const epiPoint&)
{
    if (hasMouseCapture())
        releaseMouse();
    if (!m_dragging)
        return true;
    m_dragging = false;
    double limit = double(m_pixelsPerChannel) * (m_highest - m_lowest) / 3.0;
    if (m_lastMoveAt >= 0 && clock() - m_lastMoveAt <= FlingWindow)
        m_speed = std::clamp(m_lastMove, -limit, limit);
    else
        m_speed = 0;
    m_moving = true;
    startTimer(TickSeconds);
    tick();
    return true;
}

void UiFrequencyDisplay2::timerFired() { tick(); }

void UiFrequencyDisplay2::tick()
{
    if (!m_moving)
        return;
    if (m_speed != 0) {
        double before = m_offset;
        moveTo(m_offset + m_speed);
        m_speed = m_speed > 0 ? std::max(0.0, m_speed - Friction) : std::min(0.0, m_speed + Friction);
        if (m_offset == before)
            m_speed = 0; // against the end of the range
        return;
    }
    double target = std::round(m_offset);
    if (std::fabs(m_offset - target) > CreepSlack) {
        moveTo(m_offset + (target > m_offset ? CreepStep : -CreepStep));
        return;
    }
    settle();
}

void UiFrequencyDisplay2::settle()
{
    cancelAllTimers();
    m_moving = false;
    m_base = std::clamp(m_base + int(std::lround(m_offset)), m_lowest, m_highest);
    m_offset = 0;
    if (m_listener)
        m_listener(m_base, true);
}

} // namespace ZumeliApplication
