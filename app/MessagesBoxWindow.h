#pragma once

#include "app/IconsCache.h"
#include "app/SideWindow.h"
#include "engine/IClient.h"
#include "ui/epiUiContainer.h"
#include "ui/epiUiTimered.h"

#include <functional>
#include <memory>
#include <string>

#include "ui/epiUiScrollHelper.h"

namespace Zumeli {
class Client;
}

namespace ZumeliApplication {

// The conversation ('pane' of 'mebx'): one row per text message, oldest first. A row shows the
// part 'meto' for a message the user sent and 'mefr' for one received, each with the text 'mess',
// the party 'user' ("To ..."/"From ..."), the age 'time' and the sender's icon 'usic'.
//
// Row controls: 'hime' marks the message read; 'bell' and 'mesg' mark it read and ask the panel
// for an invitation or a message to the sender; 'balo' marks it read and opens its link.
// Pane commands (value): 'refr' rebuilds the rows; 'dosl' (index) marks read; 'bell' and 'mesg'
// (index) hand the sender to the panel.
class MessagesBoxPane : public epiUiContainer
{
public:
    static constexpr epiCode kKind = epiFourCC("zMbP");
    static constexpr double AgeRefreshSeconds = 90.0;
    static constexpr const char* ReadColour = "0,0,0";
    static constexpr const char* UnreadColour = "0,0,200";
    static constexpr const char* LinkColour = "0,0,200";

    ~MessagesBoxPane() override;

    bool start(Zumeli::IClient* client);
    bool receiveCommand(epiCode code, intptr_t value, intptr_t extra) override;
    void notified(epiCode code, epiUbo* sender, intptr_t value) override;
    void timerFired() override;

    // A text that begins with "http://", "https://" or "www.".
    static bool isLink(const std::string& text);
    // The address a link text opens: its first comma-separated field, "http://" in front when it
    // does not begin with "http".
    static std::string linkAddress(const std::string& text);

    epiUiScrollHelper* rows() const { return m_rows.get(); }
    // The other party of message `index`: a user id, or a group id with `group` set; false when
    // there is no such message.
    bool partyOf(int index, int& id, bool& group) const;
    // The texts the box hands to a translator ("To ", "From ").
    void setTranslator(std::function<std::string(const char*)> translate) { m_translate = std::move(translate); }

private:
    void rebuild();
    void refreshAges();
    void rowCommand(epiCode code, int index);
    void markRead(int index);
    void openLink(int index);
    // The shown part of row `index` ('meto' or 'mefr').
    epiUbo* shownPart(int index) const;
    std::string nameOf(int userId) const;
    std::string tr(const char* marked) const { return m_translate ? m_translate(marked) : marked; }

    Zumeli::IClient* m_client = nullptr;
    std::unique_ptr<IconsCache> m_icons;
    std::unique_ptr<epiUiScrollHelper> m_rows;
    std::function<std::string(const char*)> m_translate;
    std::string m_address; // the link being opened, alive while the panel takes it
};

// 'mebx': the message box, with a line to write to the person of the conversation.
class MessagesBoxWindow : public SideWindow
{
public:
    static constexpr const char* FramePreference = "ui.windowpositionsize.MessagesBox";

    void create() override;
    bool receiveCommand(epiCode code, intptr_t value, intptr_t extra) override;
    bool handleCommand(epiCode code) override;
    MessagesBoxPane* pane() const;
    // Whom the line writes to: the party of the selected message, else of the newest one.
    bool recipient(int& id, bool& group) const;

protected:
    void opened() override;
    const char* framePreference() const override { return FramePreference; }

private:
    void showRecipient();
    void send();
};

} // namespace ZumeliApplication
