#include "app/TalkHistoryWindow.h"

#include "engine/Client.h"
#include "ui/epiUiScrollHelper.h"

#include <cstdio>

namespace ZumeliApplication {

namespace {

epiCode fourCC(const char* text) { return epiCodeFromText(text); }

void setItemText(epiUbo* row, const char* code, const std::string& text)
{
    if (epiUbo* widget = row->findChild(fourCC(code))) {
        widget->setText(epiText(text.c_str()));
        widget->invalidate();
    }
}

} // namespace

// ----- the lines -----

std::string TalkList::formatDuration(int64_t seconds)
{
    if (seconds < 0)
        seconds = 0;
    char text[32];
    std::snprintf(text, sizeof text, "%02lld:%02lld", static_cast<long long>(seconds / 60),
                  static_cast<long long>(seconds % 60));
    return text;
}

std::string TalkList::formatStart(int64_t secondsSince1970)
{
    time_t when = time_t(secondsSince1970);
    tm local {};
    if (!localtime_r(&when, &local))
        return "00:00:00";
    char text[16];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d", local.tm_hour, local.tm_min, local.tm_sec);
    return text;
}

void TalkList::addLine(TalkElem line, int64_t now)
{
    if (!line.request)
        closeLine(now);
    line.startTime = now;
    line.started = formatStart(now);
    line.duration = line.request ? "Yields" : "";
    m_lines.push_front(std::move(line));
    while (m_lines.size() > MaxLines)
        m_lines.pop_back();
}

bool TalkList::closeLine(int64_t now)
{
    for (TalkElem& line : m_lines)
        if (!line.request && line.duration.empty()) {
            line.duration = formatDuration(now - line.startTime);
            return true;
        }
    return false;
}

// ----- the window -----

TalkHistoryWindow::TalkHistoryWindow() = default;

TalkHistoryWindow::~TalkHistoryWindow() = default;

void TalkHistoryWindow::opened()
{
    m_rows = std::make_unique<epiUiScrollHelper>();
    epiUbo* pane = findChild(fourCC("pane"));
    if (!pane || !m_rows->setUp(pane, fourCC("list"), 0, fourCC("scro"), false))
        m_rows.reset();
}

void TalkHistoryWindow::closing()
{
    m_rows.reset();
    SideWindow::closing();
}

void TalkHistoryWindow::addLine(int userId, bool request)
{
    TalkElem line;
    line.request = request;
    Zumeli::Client* client = engine();
    Zumeli::PeopleEntry person;
    if (client && client->getUserRecord(userId, person)) {
        Zumeli::Text shown;
        line.name = client->getUserName(userId, shown) ? shown.c_str() : person.name.c_str();
        if (person.stf)
            line.role = " staff";
        Zumeli::ChannelElement channel;
        if (client->getCurrentChannelRecord(channel) && channel.adminId != 0 && channel.adminId == userId)
            line.role += " admin";
        line.extra = person.text3.c_str();
    } else {
        line.name = "unknown";
    }
    m_list.addLine(std::move(line), m_clock());
    rebuildRows();
}

void TalkHistoryWindow::closeLine()
{
    m_list.closeLine(m_clock());
    rebuildRows();
}

void TalkHistoryWindow::rebuildRows()
{
    if (!m_rows)
        return;
    const auto& lines = m_list.lines();
    m_rows->setItemCount(int(lines.size()));
    for (size_t i = 0; i < lines.size(); ++i) {
        epiUbo* row = m_rows->item(int(i));
        if (!row)
            continue;
        const TalkElem& line = lines[i];
        setItemText(row, "star", line.started);
        setItemText(row, "dura", line.duration == "Yields" ? tr("]Yields[") : line.duration);
        setItemText(row, "name", line.name == "unknown" ? tr("]Unknown[") : line.name);
        setItemText(row, "qual", line.role);
        setItemText(row, "opco", line.extra);
    }
}

} // namespace ZumeliApplication
