#include "ui/epiAppCommandsList.h"

#include "ui/epiApplication.h"

epiAppCommandsList::~epiAppCommandsList()
{
    std::deque<Command> waiting = std::move(m_commands);
    for (const Command& command : waiting)
        if (command.target)
            command.target->release();
}

void epiAppCommandsList::post(epiApplicationObject* target, epiCode code, intptr_t value, intptr_t extra)
{
    if (target)
        target->retain();
    m_commands.push_back({target, code, value, extra});
    if (m_commands.size() == 1 && application())
        application()->scheduleTimer(this, kInterval, false, true);
}

void epiAppCommandsList::timerFired()
{
    if (m_commands.empty()) {
        if (application())
            application()->cancelTimer(this);
        return;
    }
    Command command = m_commands.front();
    m_commands.pop_front();
    if (!command.target)
        return;
    command.target->receiveCommand(command.code, command.value, command.extra);
    command.target->release();
}

void epiAppCommandsList::forget(epiApplicationObject* target)
{
    for (Command& command : m_commands)
        if (command.target == target)
            command.target = nullptr;
}
