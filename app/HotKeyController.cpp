#include "app/HotKeyController.h"

#include <algorithm>

namespace ZumeliApplication {

int HotKeyController::functionKeyNumber(const std::string& name)
{
    if (name.size() < 2 || name.size() > 3 || name[0] != 'F')
        return 0;
    int number = 0;
    for (size_t i = 1; i < name.size(); ++i) {
        if (name[i] < '0' || name[i] > '9')
            return 0;
        number = number * 10 + (name[i] - '0');
    }
    return number >= 1 && number <= 12 && name[1] != '0' ? number : 0;
}

void HotKeyController::setMode(Mode mode)
{
    if (mode != m_mode)
        reset();
    m_mode = mode;
}

double HotKeyController::firstDeadline() const
{
    return std::max(RepeatDeadline, m_repeatDelay + RepeatDelayMargin);
}

void HotKeyController::pressed(double now, bool repeat)
{
    switch (m_mode) {
    case Mode::Off: return;
    case Mode::RealRelease:
        if (!m_down && !repeat) {
            m_down = true;
            m_delegate.hotKeyDown();
        }
        return;
    case Mode::Deadline:
        if (!m_down) {
            m_down = true;
            m_deadline = now + firstDeadline();
            m_delegate.hotKeyDown();
        } else {
            m_deadline = std::max(m_deadline, now + RepeatDeadline);
        }
        return;
    }
}

void HotKeyController::released(double)
{
    if (m_mode == Mode::RealRelease && m_down) {
        m_down = false;
        m_delegate.hotKeyUp();
    }
}

void HotKeyController::check(double now)
{
    if (m_mode == Mode::Deadline && m_down && now > m_deadline) {
        m_down = false;
        m_deadline = 0;
        m_delegate.hotKeyUp();
    }
}

void HotKeyController::reset()
{
    if (m_down) {
        m_down = false;
        m_delegate.hotKeyUp();
    }
    m_deadline = 0;
}

} // namespace ZumeliApplication
