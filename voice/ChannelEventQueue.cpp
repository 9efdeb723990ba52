#include "voice/ChannelEventQueue.h"

#include <algorithm>

namespace Zumeli {

int32_t ChannelEvent::priorityOf(int32_t kind)
{
    static const int32_t priorities[KindCount] = { 4, 2, 2, 0, 2, 4, 0, 3, 3, 3 };
    return (kind >= 0 && kind < KindCount) ? priorities[kind] : 4;
}

const char* ChannelEvent::textId(int32_t kind)
{
    static const char* const ids[KindCount] = {
        "*USEREVENT_NONE",     "*USEREVENT_ENTERED", "*USEREVENT_LEFT",   "*USEREVENT_TALKING", "*USEREVENT_STOP",
        "*USEREVENT_YOU",      "*USEREVENT_RINGING", "*USEREVENT_LOGOFF", "*USEREVENT_DND",     "*USEREVENT_AVAIL",
    };
    return (kind >= 0 && kind < KindCount) ? ids[kind] : ids[None];
}

ChannelEventQueue::ChannelEventQueue(ResponseMessages& responses, const AudioClock* clock)
    : m_responses(responses)
    , m_displayTimer(clock)
{
}

void ChannelEventQueue::removeIf(const std::function<bool(const ChannelEvent&)>& matches)
{
    for (int i = count() - 1; i >= 0; --i) {
        if (matches(*at(i))) {
            if (at(i) == m_onDisplay)
                m_onDisplay = nullptr;
            removeAt(i);
        }
    }
}

ChannelEvent* ChannelEventQueue::add(int32_t user, int32_t kind)
{
    switch (kind) {
    case ChannelEvent::Left:
        removeIf([&](const ChannelEvent& e) { return e.user == user; });
        break;
    case ChannelEvent::Talking:
        removeIf([](const ChannelEvent& e) { return e.kind == ChannelEvent::Talking; });
        break;
    case ChannelEvent::Stopped:
        removeIf([](const ChannelEvent& e) { return e.kind == ChannelEvent::Stopped || e.kind == ChannelEvent::Talking; });
        break;
    default:
        break;
    }
    for (const auto& queued : *this)
        if (queued->user == user && queued->kind == kind)
            return queued.get();

    auto event = std::make_unique<ChannelEvent>();
    event->user = user;
    event->kind = kind;
    event->priority = ChannelEvent::priorityOf(kind);
    ChannelEvent* added = someVector::add(std::move(event));
    stableSort([](const ChannelEvent& a, const ChannelEvent& b) { return a.priority < b.priority; });
    if (!m_displayTimer.isRunning())
        m_displayTimer.start(DisplaySeconds);
    return added;
}

void ChannelEventQueue::syncPresent(const std::vector<int32_t>& present)
{
    auto contains = [](const std::vector<int32_t>& list, int32_t user) {
        return std::find(list.begin(), list.end(), user) != list.end();
    };
    std::vector<int32_t> old = m_present;
    for (int32_t user : old)
        if (!contains(present, user))
            add(user, ChannelEvent::Left);
    for (int32_t user : present)
        if (!contains(old, user))
            add(user, ChannelEvent::Entered);
    m_present = present;
    m_synchronised = true;
}

void ChannelEventQueue::setPresent(const std::vector<int32_t>& present)
{
    clear();
    m_onDisplay = nullptr;
    m_present = present;
    m_synchronised = true;
}

void ChannelEventQueue::step()
{
    while (!isEmpty()) {
        ChannelEvent* head = first();
        if (head != m_onDisplay) {
            m_onDisplay = head;
            m_displayTimer.start(DisplaySeconds);
            return;
        }
        if (!m_displayTimer.expired())
            return;
        if (m_shower)
            m_shower(*head);
        m_responses.post(EventShown);
        if (head->kind == ChannelEvent::Talking)
            return; // stays until a later event replaces it
        m_onDisplay = nullptr;
        removeAt(0);
    }
    m_onDisplay = nullptr;
    if (m_synchronised) {
        m_synchronised = false;
        if (m_present.size() >= 2)
            for (int32_t user : m_present)
                if (user != m_localUser)
                    add(user, ChannelEvent::Available);
        add(m_localUser, ChannelEvent::You);
    }
}

} // namespace Zumeli
