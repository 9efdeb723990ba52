#pragma once

#include "data/SomeVector.h"
#include "voice/ChannelEvent.h"
#include "voice/ClientMessages.h"
#include "voice/SecondsTimer.h"

#include <functional>
#include <vector>

namespace Zumeli {

// What happens on the channel, queued by priority (talk events first) and shown one event at a
// time for at least a second. The engine step drains it; each event due for display is handed
// to the shower and announced with code 27 on the response ring. A talking event stays on
// display until a later event replaces it.
class ChannelEventQueue : public someVector<ChannelEvent> {
public:
    static constexpr int32_t EventShown = 27;
    static constexpr float DisplaySeconds = 1.0f;

    using Shower = std::function<void(const ChannelEvent&)>;

    ChannelEventQueue(ResponseMessages& responses, const AudioClock* clock);

    void setShower(Shower shower) { m_shower = std::move(shower); }
    void setClock(const AudioClock* clock) { m_displayTimer.setTimeSource(clock); }
    void setLocalUser(int32_t user) { m_localUser = user; }

    // Queues (user, kind) after applying the kind's rule; an equal event already queued is
    // returned instead of a new one.
    ChannelEvent* add(int32_t user, int32_t kind);
    // Entered and left events for the differences, then the new list becomes the present users.
    void syncPresent(const std::vector<int32_t>& present);
    // Drops every queued event and takes the list without announcing anybody (after a join).
    void setPresent(const std::vector<int32_t>& present);
    void step();

    const std::vector<int32_t>& present() const { return m_present; }
    const ChannelEvent* onDisplay() const { return m_onDisplay; }
    const SecondsTimer& displayTimer() const { return m_displayTimer; }

private:
    void removeIf(const std::function<bool(const ChannelEvent&)>& matches);

    ResponseMessages& m_responses;
    std::vector<int32_t> m_present;
    SecondsTimer m_displayTimer;
    const ChannelEvent* m_onDisplay = nullptr;
    bool m_synchronised = false;
    int32_t m_localUser = 0;
    Shower m_shower;
};

} // namespace Zumeli
