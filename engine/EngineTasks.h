#pragma once

#include "data/ChannelElement.h"
#include "engine/HttpAsyncPost.h"
#include "engine/HttpPostReplyDelegate.h"
#include "data/UserMessageData.h"
#include "engine/LoginRecord.h"
#include "engine/Task.h"
#include "engine/WebRequest.h"

#include <memory>
#include <vector>

namespace Zumeli {

class CommunicationEngine;
class WebService;

// A task that is one web call: started once on an endpoint, then polled, never waited on. A
// call that fails (no connection, no byte, time-out, oversized reply) just finishes the task.
class HttpPostTask : public Task, public HttpPostReplyDelegate {
public:
    explicit HttpPostTask(CommunicationEngine& engine)
        : m_engine(engine)
    {
    }
    void step() override
    {
        if (m_request)
            m_request->poll();
    }
    void cancel() override
    {
        if (m_request)
            m_request->close();
    }
    void failure() override { finish(); }

protected:
    // Starts the call; a call that cannot even start is reported at the next poll.
    void post(WebService& endpoint, const WebRequest& request);

    CommunicationEngine& m_engine;
    std::unique_ptr<HttpAsyncPost> m_request;
};

class LoginTask final : public HttpPostTask {
public:
    using HttpPostTask::HttpPostTask;
    void start() override;
    void replyText(const Text& reply) override;
    // No answer at all (refused connection, time-out) is a failed login, as a bad reply is.
    void failure() override;
    const LoginRecord& record() const { return m_record; }

private:
    LoginRecord m_record;
};

class ChangeChannelTask final : public HttpPostTask {
public:
    ChangeChannelTask(CommunicationEngine& engine, ChannelElement& channel, int sentTimestamp)
        : HttpPostTask(engine)
        , m_channel(channel)
        , m_sentTimestamp(sentTimestamp)
    {
    }
    void start() override;
    void replyText(const Text& reply) override;

private:
    ChannelElement& m_channel;
    int m_sentTimestamp;
};

class GetMessagesTask final : public HttpPostTask {
public:
    using HttpPostTask::HttpPostTask;
    void start() override;
    void replyText(const Text& reply) override;
};

class LoadMissingUsersTask final : public HttpPostTask {
public:
    using HttpPostTask::HttpPostTask;
    void start() override;
    void replyText(const Text& reply) override;
    void onFinished() override;
};

// Fetches one picture into its cache file. It updates either a picture record (a channel's
// plate or icon, a user's photo) or, without one, the shared channel photo sent by a user.
class LoadImageTask final : public HttpPostTask {
public:
    LoadImageTask(CommunicationEngine& engine, int type, int paramId, const Text& target, ChannelElement::Image* record,
                  uint32_t sender)
        : HttpPostTask(engine)
        , m_type(type)
        , m_paramId(paramId)
        , m_target(target)
        , m_record(record)
        , m_sender(sender)
    {
    }
    void start() override;
    // Pictures are binary: the raw reply bytes are read here.
    void replyData(const std::vector<uint8_t>& reply) override;
    ChannelElement::Image* record() const { return m_record; }

private:
    int m_type;
    int m_paramId;
    Text m_target;
    ChannelElement::Image* m_record;
    uint32_t m_sender;
};

class PostImageTask final : public HttpPostTask {
public:
    PostImageTask(CommunicationEngine& engine, int type, int paramId, const Text& file)
        : HttpPostTask(engine)
        , m_type(type)
        , m_paramId(paramId)
        , m_file(file)
    {
    }
    void start() override;
    void replyText(const Text& reply) override;

private:
    int m_type;
    int m_paramId;
    Text m_file;
};

} // namespace Zumeli

namespace Zumeli {

// One text message to its recipients; the record goes back to the Client when done.
class SendMessageTask final : public HttpPostTask {
public:
    SendMessageTask(CommunicationEngine& engine, std::unique_ptr<UserMessageData> message, std::vector<int> recipients);
    void start() override;
    void replyText(const Text& reply) override;
    void onFinished() override;

private:
    std::unique_ptr<UserMessageData> m_message;
    std::vector<int> m_recipients;
    bool m_sent = false;
};

// Asks whether the web session still lives (after the voice server stopped answering).
class WebSessionCheckTask final : public HttpPostTask {
public:
    using HttpPostTask::HttpPostTask;
    void start() override;
    void replyText(const Text& reply) override;
    void onFinished() override;

private:
    bool m_alive = false;
};

// The current channel's people, when the voice server says their details changed.
class UsersListTask final : public HttpPostTask {
public:
    using HttpPostTask::HttpPostTask;
    void start() override;
    void replyText(const Text& reply) override;
    void onFinished() override;

private:
    bool m_read = false;
};

// Saves the user's do-not-disturb state, then announces it.
class DoNotDisturbTask final : public HttpPostTask {
public:
    DoNotDisturbTask(CommunicationEngine& engine, bool doNotDisturb)
        : HttpPostTask(engine)
        , m_doNotDisturb(doNotDisturb)
    {
    }
    void start() override;
    void replyText(const Text& reply) override;
    void onFinished() override;

private:
    bool m_doNotDisturb;
};

// Downloads a newer localisation table than the one the program has.
class LocalizationTask final : public HttpPostTask {
public:
    using HttpPostTask::HttpPostTask;
    void start() override;
    void replyText(const Text& reply) override;
};

} // namespace Zumeli
