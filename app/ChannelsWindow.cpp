#include "app/ChannelsWindow.h"

#include "app/Favourites.h"
#include "engine/Client.h"
#include "engine/Manager.h"
#include "ui/epiApplication.h"
#include "ui/epiUiBitmapImage.h"
#include "ui/epiUiScrollHelper.h"
#include "ui/epiWindowManager.h"

#include <cstdlib>

namespace ZumeliApplication {

namespace {

epiCode fourCC(const char* text) { return epiCodeFromText(text); }

void setItemText(epiUbo* row, const char* code, const char* text)
{
    if (epiUbo* widget = row->findChild(fourCC(code))) {
        widget->setText(epiText(text));
        widget->invalidate();
    }
}

} // namespace

// ----- the pane -----

ChannelsPane::~ChannelsPane()
{
    // The row icons belong to the cache: the rows let them go first.
    m_rows.reset();
}

std::vector<int> ChannelsPane::favouritesOf(const std::string& preference)
{
    std::vector<int> numbers;
    size_t start = 0;
    while (start <= preference.size()) {
        size_t comma = preference.find(',', start);
        std::string field = preference.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        if (int number = std::atoi(field.c_str()); number != 0)
            numbers.push_back(number);
        if (comma == std::string::npos)
            break;
        start = comma + 1;
    }
    return numbers;
}

bool ChannelsPane::start(Zumeli::Client* client)
{
    m_client = client;
    m_icons = std::make_unique<IconsCache>(Zumeli::Manager::instance().documents);
    m_rows = std::make_unique<epiUiScrollHelper>();
    if (!m_rows->setUp(this, fourCC("list"), 0, fourCC("scro"), false)) {
        m_rows.reset();
        return false;
    }
    m_rows->setAlternateRows(true);
    return true;
}

void ChannelsPane::rebuild()
{
    if (!m_rows || !m_client)
        return;
    Zumeli::Text stored;
    m_client->getPreferenceText(Favourites::PreferenceKey, stored);
    m_favourites = favouritesOf(stored.c_str());
    m_rows->setItemCount(0);
    m_rows->setItemCount(int(m_favourites.size()));
    for (size_t i = 0; i < m_favourites.size(); ++i) {
        epiUbo* row = m_rows->item(int(i));
        if (!row)
            continue;
        if (epiUbo* click = row->findChild(fourCC("acch")))
            click->addObserver(this, fourCC("iHit"));
        auto* icon = dynamic_cast<epiUiBitmapImage*>(row->findChild(fourCC("usic")));
        if (icon)
            icon->setVisible(false);
        Zumeli::ChannelElement channel;
        if (!m_client->getChannelEntry(m_favourites[i], channel))
            continue; // never joined: nothing known but the number
        setItemText(row, "name", channel.name.c_str());
        setItemText(row, "numb", channel.numberDisplay.c_str());
        setItemText(row, "desc", channel.description.c_str());
        const auto& picture = channel.images[Zumeli::ChannelElement::Icon];
        epiBitmap* bitmap = picture.path.isEmpty() && picture.timestamp <= 0
                                ? nullptr
                                : m_icons->icon(Zumeli::PictureIndex::ChannelIcon, channel.number, picture.timestamp);
        if (icon && bitmap) {
            icon->setFace(0, bitmap);
            icon->setVisible(true);
        }
    }
}

void ChannelsPane::mark(int channel)
{
    if (!m_rows)
        return;
    for (size_t i = 0; i < m_favourites.size(); ++i)
        if (epiUbo* row = m_rows->item(int(i)))
            if (epiUbo* state = row->findChild(fourCC("acch")))
                state->setValue(m_favourites[i] == channel ? 1 : 0);
}

void ChannelsPane::tune(int index)
{
    if (index < 0 || size_t(index) >= m_favourites.size())
        return;
    epiWindowManager* manager = application() ? application()->windowManager() : nullptr;
    epiWindow* main = manager ? manager->findWindow(fourCC("main")) : nullptr;
    if (epiUbo* panel = main ? main->findChild(fourCC("pane")) : nullptr)
        panel->receiveCommand(fourCC("faac"), m_favourites[size_t(index)], 0);
}

bool ChannelsPane::receiveCommand(epiCode code, intptr_t value, intptr_t extra)
{
    switch (code) {
    case epiFourCC("dosl"): tune(int(value)); return true;
    case epiFourCC("fasl"): mark(int(value)); return true;
    case epiFourCC("refr"):
        rebuild();
        mark(int(value));
        return true;
    default: return epiUiContainer::receiveCommand(code, value, extra);
    }
}

void ChannelsPane::notified(epiCode code, epiUbo* sender, intptr_t value)
{
    if (code == fourCC("iHit") && m_rows) {
        for (int i = 0; i < m_rows->itemCount(); ++i)
            if (sender->parent() == m_rows->item(i)) {
                // The click leaves the mark where it was until the channel has changed.
                int current = 0, lowest = 0, highest = 0;
                if (m_client)
                    m_client->getChannelBounds(current, lowest, highest);
                mark(current);
                receiveCommand(fourCC("dosl"), i, 0);
                return;
            }
    }
    epiUiContainer::notified(code, sender, value);
}

// ----- the window -----

ChannelsPane* ChannelsWindow::pane() const { return dynamic_cast<ChannelsPane*>(findChild(fourCC("pane"))); }

int ChannelsWindow::currentChannel() const
{
    int current = 0, lowest = 0, highest = 0;
    if (Zumeli::Client* client = engine())
        client->getChannelBounds(current, lowest, highest);
    return current;
}

void ChannelsWindow::opened()
{
    if (ChannelsPane* list = pane(); list && list->start(engine()))
        list->receiveCommand(fourCC("refr"), currentChannel(), 0);
}

bool ChannelsWindow::receiveCommand(epiCode code, intptr_t value, intptr_t extra)
{
    // The panel's notices carry no channel: the engine knows it.
    if (code == fourCC("refr") || code == fourCC("fasl"))
        if (ChannelsPane* list = pane())
            return list->receiveCommand(code, currentChannel(), extra);
    return SideWindow::receiveCommand(code, value, extra);
}

} // namespace ZumeliApplication
