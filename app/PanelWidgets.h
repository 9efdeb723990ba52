#pragma once

#include "ui/epiUiBitmapButton.h"
#include "ui/epiUiBitmapFilmImage.h"

#include <functional>

class epiApplication;

namespace ZumeliApplication {

// The client's own widget kinds, registered with the application's factory.
void registerPanelWidgetKinds(epiApplication& app);

// The momentary talk button ('zTlk'): pointer down sets state 1 and hits, pointer up sets state 0
// and hits; nothing while disabled. Faces: released ('irOf'), held ('irOn').
class zumeUiTalkButton : public epiUiWithFaceText<epiUiBitmapButton>
{
public:
    static constexpr epiCode kKind = epiFourCC("zTlk");
    epiCode typeCode() const override { return kKind; }
    bool mouseDown(const epiPoint& point) override;
    bool mouseUp(const epiPoint& point) override;
    bool mouseDragged(const epiPoint&) override { return true; }
    // The state shown, without a hit (the hot key shows it).
    void showHeld(bool held) { setValue(held ? 1 : 0); }
};

// A channel preset ('zPre'): a click switches to its channel, a hold of HoldSeconds stores the
// current channel in it; one press gives one or the other, never both. It shows its channel as
// face text and draws its lamp ('liOn', 'liOf' images at 'liPo' "x,y").
class zumePresetButton : public epiUiWithFaceText<epiUiBitmapButton>
{
public:
    static constexpr epiCode kKind = epiFourCC("zPre");
    static constexpr double HoldSeconds = 2.0;
    enum class Action { None, Switch, Store };

    ~zumePresetButton() override;
    epiCode typeCode() const override { return kKind; }
    void setAttributeText(epiCode code, const epiText& value) override;
    bool mouseDown(const epiPoint& point) override;
    bool mouseUp(const epiPoint& point) override;
    bool mouseDragged(const epiPoint&) override { return true; }
    void timerFired() override;
    void drawSelf(epiBitmap& target, epiPoint origin, const epiRect& rect) override;

    // What the last hit asked for.
    Action action() const { return m_action; }
    void setLamp(bool on);
    bool lamp() const { return m_lamp; }

private:
    double clock() const;
    void finish(Action action);

    double m_downAt = -1;
    Action m_action = Action::None;
    bool m_lamp = false;
    epiText m_lampImages[2];
    epiPoint m_lampAt;
};

// A two-image status lamp ('zLmp'), with an optional face text; it takes no pointer input.
class UiStatusBlinker : public epiUiWithFaceText<epiUiBitmapButton>
{
public:
    static constexpr epiCode kKind = epiFourCC("zLmp");
    epiCode typeCode() const override { return kKind; }
    bool acceptsMouse() const override { return false; }
    bool mouseDown(const epiPoint&) override { return false; }
    virtual void setLit(bool on) { setValue(on ? 1 : 0); }
    bool isLit() const { return isOn(); }
};

// A lamp that goes out by itself one second after each "on" ('zLma').
class UiStatusBlinkerAutoOff : public UiStatusBlinker
{
public:
    static constexpr epiCode kKind = epiFourCC("zLma");
    static constexpr double OnSeconds = 1.0;
    epiCode typeCode() const override { return kKind; }
    void setLit(bool on) override;
    void timerFired() override { setValue(0); }
};

// The seven-segment readout ('zSeg'): its text ("10.00", "1_.__") is drawn from a strip of glyph
// frames 'sgDi' (0 to 9, "_", "-", blank, as 'frms' frames) and a point image 'sgDt'.
class zumeUiSegmentText : public epiUiBitmapImage
{
public:
    static constexpr epiCode kKind = epiFourCC("zSeg");
    ~zumeUiSegmentText() override;
    epiCode typeCode() const override { return kKind; }
    void setAttributeText(epiCode code, const epiText& value) override;
    void setAttribute(epiCode code, int32_t value) override;
    void setText(const epiText& text) override;
    bool acceptsMouse() const override { return false; }
    void drawSelf(epiBitmap& target, epiPoint origin, const epiRect& rect) override;

private:
    epiBitmap* m_digits = nullptr;
    epiBitmap* m_point = nullptr;
    int32_t m_frames = 13;
};

// The tuning dial ('zDia', a 'frms'-frame film): a vertical drag moves the channel offset by one
// per 'pxCh' pixels within the channel range; a quick release flings it, and it then creeps to
// the nearest whole channel. Each move reports the channel shown; the resting dial reports the
// channel to tune to.
class UiFrequencyDisplay2 : public epiUiBitmapFilmImage
{
public:
    static constexpr epiCode kKind = epiFourCC("zDia");
    static constexpr double FlingWindow = 0.2;
    static constexpr double Friction = 0.05;
    static constexpr double CreepStep = 0.05;
    static constexpr double CreepSlack = 0.1;
    static constexpr double TickSeconds = 1.0 / 30;

    // (channel shown, the dial came to rest)
    using Listener = std::function<void(int channel, bool settled)>;

    epiCode typeCode() const override { return kKind; }
    void setAttribute(epiCode code, int32_t value) override;
    void setListener(Listener listener) { m_listener = std::move(listener); }
    void setRange(int lowest, int highest);
    void setChannel(int channel);
    int channel() const { return m_base; }
    double offset() const { return m_offset; }
    double speed() const { return m_speed; }
    bool isMoving() const { return m_moving; }

    bool mouseDown(const epiPoint& point) override;
    bool mouseDragged(const epiPoint& point) override;
    bool mouseUp(const epiPoint& point) override;
    void timerFired() override;
    // One step of the fling and creep (the 30-per-second timer).
    void tick() override;

private:
    double clock() const;
    void moveTo(double offset);
    void settle();

    Listener m_listener;
    int m_base = 1000;
    int m_lowest = 100;
    int m_highest = 1999;
    int32_t m_pixelsPerChannel = 8;
    double m_offset = 0;
    double m_speed = 0;
    double m_dragStartOffset = 0;
    int32_t m_dragStartY = 0;
    double m_lastMoveAt = -1;
    double m_lastMove = 0;
    double m_lastDragAt = -1;
    bool m_dragging = false;
    bool m_moving = false;
};

} // namespace ZumeliApplication
