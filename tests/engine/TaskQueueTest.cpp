#include "engine/Task.h"

#include <gtest/gtest.h>
#include <string>

using namespace Zumeli;

namespace {

// A task that logs what happens to it and finishes after a given number of steps.
class Scripted : public Task {
public:
    Scripted(std::string name, std::vector<std::string>& log, int steps)
        : m_name(std::move(name))
        , m_log(log)
        , m_steps(steps)
    {
    }
    ~Scripted() override { m_log.push_back(m_name + " deleted"); }
    void start() override
    {
        m_log.push_back(m_name + " start");
        if (m_steps == 0)
            finish();
    }
    void step() override
    {
        if (--m_steps <= 0)
            finish();
    }
    void onFinished() override { m_log.push_back(m_name + " finished"); }
    void cancel() override { m_log.push_back(m_name + " cancelled"); }

private:
    std::string m_name;
    std::vector<std::string>& m_log;
    int m_steps;
};

} // namespace

TEST(TaskQueue, TheLastEnqueuedWaitingTaskRunsNext)
{
    std::vector<std::string> log;
    TaskQueue queue;
    queue.enqueue(std::make_unique<Scripted>("a", log, 2));
    queue.advance(); // a starts
    queue.enqueue(std::make_unique<Scripted>("b", log, 0));
    queue.enqueue(std::make_unique<Scripted>("c", log, 0));
    for (int i = 0; i < 10; ++i)
        queue.advance();
    EXPECT_EQ(log, (std::vector<std::string> { "a start", "a finished", "a deleted", "c start", "c finished",
                                                "c deleted", "b start", "b finished", "b deleted" }));
    EXPECT_TRUE(queue.isIdle());
}

TEST(TaskQueue, EachAdvanceIsOneStateChange)
{
    std::vector<std::string> log;
    TaskQueue queue;
    Task* task = queue.enqueue(std::make_unique<Scripted>("a", log, 1));
    EXPECT_EQ(task->queue(), &queue);
    EXPECT_TRUE(task->notStarted());
    queue.advance();
    EXPECT_FALSE(task->notStarted());
    EXPECT_TRUE(task->alive());
    queue.advance();
    EXPECT_FALSE(task->alive()) << "finished by its step";
    EXPECT_EQ(queue.current(), task) << "deleted only at the next advance";
    queue.advance();
    EXPECT_EQ(queue.current(), nullptr);
}

TEST(TaskQueue, ClearCancelsTheRunningTaskAndDropsTheWaiting)
{
    std::vector<std::string> log;
    {
        TaskQueue queue;
        queue.enqueue(std::make_unique<Scripted>("a", log, 5));
        queue.advance();
        queue.enqueue(std::make_unique<Scripted>("b", log, 5));
        queue.clear();
        EXPECT_EQ(log, (std::vector<std::string> { "a start", "b deleted", "a cancelled" }));
        EXPECT_FALSE(queue.current()->alive());
        queue.advance();
        EXPECT_EQ(queue.current(), nullptr);
    }
    EXPECT_EQ(log.back(), "a deleted");
}
