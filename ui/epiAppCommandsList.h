#pragma once

#include "ui/epiApplicationObject.h"

#include <deque>

// The queue of posted commands. The first command posted to an empty queue starts a fixed-rate
// timer of 0.1 s; each firing delivers one command, in the order of posting, and a firing that
// finds the queue empty stops the timer. A counted target is retained while its command waits, so
// it cannot be destroyed before its turn.
class epiAppCommandsList : public epiApplicationObject
{
public:
    static constexpr double kInterval = 0.1;

    ~epiAppCommandsList() override;

    void post(epiApplicationObject* target, epiCode code, intptr_t value, intptr_t extra);
    void timerFired() override;
    size_t size() const { return m_commands.size(); }
    // Drops the commands of a target that is being destroyed.
    void forget(epiApplicationObject* target);

private:
    struct Command
    {
        epiApplicationObject* target;
        epiCode code;
        intptr_t value;
        intptr_t extra;
    };
    std::deque<Command> m_commands;
};
