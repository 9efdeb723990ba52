#pragma once

#include "app/IconsCache.h"
#include "app/SideWindow.h"
#include "ui/epiUiContainer.h"

#include <memory>
#include <vector>

#include "ui/epiUiScrollHelper.h"

namespace Zumeli {
class Client;
}

namespace ZumeliApplication {

// The favourites' list ('pane' of 'chLi'): one row per favourite channel with its name, number,
// description and icon; the current channel's row is marked, and a click tunes to the row's channel.
//
// Commands (value): 'dosl' (row index) tunes through the panel's 'faac'; 'fasl' (current channel)
// marks its row; 'refr' (current channel) rebuilds the rows and marks.
class ChannelsPane : public epiUiContainer
{
public:
    static constexpr epiCode kKind = epiFourCC("zChP");

    ~ChannelsPane() override;

    // Sets the rows up on the window's engine; false without the list items.
    bool start(Zumeli::Client* client);
    bool receiveCommand(epiCode code, intptr_t value, intptr_t extra) override;
    void notified(epiCode code, epiUbo* sender, intptr_t value) override;

    // The favourites in preference order: the non-zero numbers of "ui.favourites".
    static std::vector<int> favouritesOf(const std::string& preference);
    const std::vector<int>& favourites() const { return m_favourites; }
    epiUiScrollHelper* rows() const { return m_rows.get(); }

private:
    void rebuild();
    void mark(int channel);
    void tune(int index);

    Zumeli::Client* m_client = nullptr;
    std::vector<int> m_favourites;
    std::unique_ptr<IconsCache> m_icons;
    std::unique_ptr<epiUiScrollHelper> m_rows;
};

// 'chLi': the favourite channels.
class ChannelsWindow : public SideWindow
{
public:
    static constexpr const char* FramePreference = "ui.windowpositionsize.channels";

    bool receiveCommand(epiCode code, intptr_t value, intptr_t extra) override;
    ChannelsPane* pane() const;

protected:
    void opened() override;
    const char* framePreference() const override { return FramePreference; }

private:
    int currentChannel() const;
};

} // namespace ZumeliApplication
