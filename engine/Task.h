#pragma once

#include <memory>
#include <vector>

namespace Zumeli {

class TaskQueue;

// One piece of background work of the engine, advanced by its queue once per engine step:
// started once, stepped until it finishes, then deleted by the queue's next advance.
class Task {
public:
    virtual ~Task() = default;
    // Issues the work (a web call for the engine's tasks).
    virtual void start() { }
    // Advances it.
    virtual void step() { }
    // Called once when the task finishes.
    virtual void onFinished() { }
    // Abandons the work.
    virtual void cancel() { }

    // Marks the task finished; its queue deletes it at the next advance.
    void finish();

    bool notStarted() const { return m_notStarted; }
    bool alive() const { return m_alive; }
    TaskQueue* queue() const { return m_queue; }

private:
    friend class TaskQueue;
    bool m_notStarted = true;
    bool m_alive = true;
    TaskQueue* m_queue = nullptr;
};

// Runs one task at a time. A task enqueued while another runs waits; when the running one is
// done, the most recently enqueued waiting task runs next (the newest request matters most).
class TaskQueue {
public:
    TaskQueue() = default;
    ~TaskQueue();
    TaskQueue(const TaskQueue&) = delete;
    TaskQueue& operator=(const TaskQueue&) = delete;

    Task* enqueue(std::unique_ptr<Task> task);
    // Drops the waiting tasks and cancels the running one (deleted at the next advance).
    void clear();
    // One state change per engine step: start, step, or delete and pick the next.
    void advance();

    Task* current() const { return m_current.get(); }
    const std::vector<std::unique_ptr<Task>>& waiting() const { return m_waiting; }
    bool isIdle() const { return !m_current && m_waiting.empty(); }

private:
    std::unique_ptr<Task> m_current;
    std::vector<std::unique_ptr<Task>> m_waiting;
};

} // namespace Zumeli
