#include "engine/Task.h"

namespace Zumeli {

void Task::finish()
{
    if (!m_alive)
        return;
    onFinished();
    m_alive = false;
}

TaskQueue::~TaskQueue() { clear(); }

Task* TaskQueue::enqueue(std::unique_ptr<Task> task)
{
    Task* added = task.get();
    added->m_queue = this;
    if (!m_current)
        m_current = std::move(task);
    else
        m_waiting.push_back(std::move(task));
    return added;
}

void TaskQueue::clear()
{
    m_waiting.clear();
    if (m_current && m_current->m_alive) {
        m_current->cancel();
        m_current->m_alive = false;
    }
}

void TaskQueue::advance()
{
    if (!m_current)
        return;
    if (m_current->m_alive) {
        if (m_current->m_notStarted) {
            m_current->m_notStarted = false;
            m_current->start();
        } else {
            m_current->step();
        }
        return;
    }
    m_current.reset();
    if (!m_waiting.empty()) {
        m_current = std::move(m_waiting.back());
        m_waiting.pop_back();
    }
}

} // namespace Zumeli
