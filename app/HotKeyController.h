#pragma once

#include <string>

namespace ZumeliApplication {

// The talk hot key's press-and-hold logic, apart from how key events arrive.
//
// With real releases (an X11 grab with detectable auto-repeat, or the focused window's own key
// events) a press starts the talk, repeats change nothing and the release ends it. Without them
// (a grab on a server that cannot report releases of repeated keys) every press message pushes a
// release deadline: the first one lies beyond the keyboard's repeat delay, later ones 0.5 s
// ahead, and the talk ends once a deadline passes with no new message.
class HotKeyController {
public:
    class Delegate {
    public:
        virtual ~Delegate() = default;
        virtual void hotKeyDown() = 0;
        virtual void hotKeyUp() = 0;
    };

    enum class Mode { Off, RealRelease, Deadline };

    static constexpr double RepeatDeadline = 0.5;
    // Added to the keyboard's repeat delay for the first deadline.
    static constexpr double RepeatDelayMargin = 0.15;

    explicit HotKeyController(Delegate& delegate) : m_delegate(delegate) {}

    // "F1" to "F12" give 1 to 12; any other name 0 (no key).
    static int functionKeyNumber(const std::string& name);

    void setMode(Mode mode);
    Mode mode() const { return m_mode; }
    // The keyboard's auto-repeat delay, for the first deadline.
    void setRepeatDelay(double seconds) { m_repeatDelay = seconds; }
    double firstDeadline() const;

    void pressed(double now, bool repeat);
    void released(double now);
    // Ends a talk whose deadline passed; call regularly (every 0.1 s or more often).
    void check(double now);
    bool isDown() const { return m_down; }
    // Ends a talk in progress (the key is unregistered).
    void reset();

private:
    Delegate& m_delegate;
    Mode m_mode = Mode::Off;
    double m_repeatDelay = 0;
    double m_deadline = 0;
    bool m_down = false;
};

} // namespace ZumeliApplication
