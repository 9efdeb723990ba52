#pragma once

#include "app/SideWindow.h"

#include <cstdint>
#include <ctime>
#include <deque>
#include <functional>
#include <memory>
#include <string>

#include "ui/epiUiScrollHelper.h"

namespace ZumeliApplication {

// One line of the talk history: a talk heard or made, or a talk request.
struct TalkElem {
    std::string name;     // the talker's name, "unknown" when the people list lacks the id
    std::string role;     // " staff", then " admin" for the channel's administrator
    std::string extra;    // the further text of the talker's people record
    std::string started;  // local time of the start, "hh:mm:ss"
    std::string duration; // empty while running, "mm:ss" once ended, "Yields" for a request
    int64_t startTime = 0;
    bool request = false;
};

// The lines, newest first, at most MaxLines.
class TalkList
{
public:
    static constexpr size_t MaxLines = 100;

    // A talk line first ends the running talk.
    void addLine(TalkElem line, int64_t now);
    // Ends the newest running talk line (requests never end); false when none runs.
    bool closeLine(int64_t now);

    const std::deque<TalkElem>& lines() const { return m_lines; }
    // "%02d:%02d" of whole minutes and seconds.
    static std::string formatDuration(int64_t seconds);
    // "%02d:%02d:%02d" of the local time.
    static std::string formatStart(int64_t secondsSince1970);

private:
    std::deque<TalkElem> m_lines;
};

// 'tahi': the talks heard and made while the window is open, one row per line. The panel feeds it.
class TalkHistoryWindow : public SideWindow
{
public:
    static constexpr const char* FramePreference = "ui.windowpositionandsize.talkhistory";

    TalkHistoryWindow();
    ~TalkHistoryWindow() override;

    void addLine(int userId, bool request);
    void closeLine();

    const TalkList& lines() const { return m_list; }
    epiUiScrollHelper* rows() const { return m_rows.get(); }
    // Seconds since 1970; the tests move it by hand.
    void setClock(std::function<int64_t()> clock) { m_clock = std::move(clock); }

protected:
    void opened() override;
    const char* framePreference() const override { return FramePreference; }
    void closing() override;

private:
    void rebuildRows();

    TalkList m_list;
    std::unique_ptr<epiUiScrollHelper> m_rows;
    std::function<int64_t()> m_clock = [] { return int64_t(std::time(nullptr)); };
};

} // namespace ZumeliApplication
