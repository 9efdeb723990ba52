#include "app/PeopleSelector.h"

#include "app/ClientApplication.h"
#include "engine/Client.h"
#include "ui/epiWindowManager.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <utility>

namespace ZumeliApplication {

namespace {

epiCode fourCC(const char* text) { return epiCodeFromText(text); }

// Byte-wise, ASCII letters folded: the order of names without letter case.
bool lessWithoutCase(const std::string& a, const std::string& b)
{
    size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        int x = std::tolower(static_cast<unsigned char>(a[i]));
        int y = std::tolower(static_cast<unsigned char>(b[i]));
        if (x != y)
            return x < y;
    }
    return a.size() < b.size();
}

} // namespace

void PeopleList::add(int id, bool online, bool selected, const Describe& describe)
{
    for (PeopleElem& entry : entries) {
        if (entry.id == id) {
            entry.online = entry.online || online;
            entry.selected = entry.selected || selected;
            return;
        }
    }
    PeopleElem entry;
    entry.id = id;
    entry.online = online;
    entry.selected = selected;
    if (describe)
        describe(id, entry.name, entry.extra);
    entries.push_back(std::move(entry));
}

void PeopleList::sortByName()
{
    size_t i = 1;
    while (i < entries.size()) {
        if (lessWithoutCase(entries[i].name, entries[i - 1].name)) {
            std::swap(entries[i], entries[i - 1]);
            if (i > 1)
                --i;
        } else {
            ++i;
        }
    }
}

void PeopleSelector::opened()
{
    m_rowsReady = m_rows.setUp(this, fourCC("list"), 0, fourCC("scrl"), false);
}

void PeopleSelector::setup(const std::vector<int>& present, const std::vector<int>& known, std::vector<int>* edited,
                           epiWindow* owner, int limit)
{
    m_edited = edited;
    m_owner = owner;
    m_limit = limit;
    m_people = PeopleList();
    Zumeli::Client* client = engine();
    auto describe = [&](int id, std::string& name, std::string& extra) {
        Zumeli::PeopleEntry record;
        if (client && client->getUserRecord(id, record)) {
            name = record.name.c_str();
            extra = record.text2.c_str();
        }
        Zumeli::Text shown;
        if (name.empty() && client && client->getUserName(id, shown))
            name = shown.c_str();
    };
    for (int id : present)
        m_people.add(id, true, false, describe);
    if (edited)
        for (int id : *edited)
            m_people.add(id, false, true, describe);
    for (int id : known)
        m_people.add(id, false, false, describe);
    m_people.sortByName();
    fillRows();

    // Beside the administration window, at its top: on its right, or on its left when the
    // screen ends first, and never off the screen.
    if (owner) {
        epiRect at = owner->frame();
        epiRect mine = frame();
        epiRect desktop = application() && application()->windowManager()
                              ? application()->windowManager()->desktopRect()
                              : epiRect();
        int32_t left = at.right + 12;
        if (!desktop.isEmpty() && left + mine.width() > desktop.right) {
            left = at.left - 12 - mine.width();
            if (left < desktop.left)
                left = std::max(desktop.left, desktop.right - mine.width());
        }
        setFrame(epiRect(left, at.top, left + mine.width(), at.top + mine.height()));
    }
}

void PeopleSelector::fillRows()
{
    if (!m_rowsReady)
        return;
    m_rows.setItemCount(int(m_people.entries.size()));
    for (int i = 0; i < m_rows.itemCount(); ++i) {
        const PeopleElem& entry = m_people.entries[size_t(i)];
        epiUbo* row = m_rows.item(i);
        if (!row)
            continue;
        if (epiUbo* number = row->findChild(fourCC("inde")))
            number->setText(epiText(std::to_string(i + 1).c_str()));
        if (epiUbo* name = row->findChild(fourCC("name")))
            name->setText(epiText(entry.name.c_str()));
        if (epiUbo* online = row->findChild(fourCC("onli")))
            online->setValue(entry.online ? 1 : 0);
        if (epiUbo* tick = row->findChild(fourCC("enab")))
            tick->setValue(entry.selected ? 1 : 0);
        if (epiUbo* extra = row->findChild(fourCC("opco")))
            extra->setText(epiText(entry.extra.c_str()));
    }
    m_rows.updateBars();
    invalidate(bounds());
}

epiUbo* PeopleSelector::rowItem(int row, const char* code) const
{
    epiUbo* item = m_rows.item(row);
    return item ? item->findChild(fourCC(code)) : nullptr;
}

void PeopleSelector::forgetOwner(const epiWindow* owner)
{
    if (owner == m_owner) {
        m_owner = nullptr;
        m_edited = nullptr;
    }
}

void PeopleSelector::apply()
{
    if (!m_edited) {
        close();
        return;
    }
    m_edited->clear();
    for (size_t i = 0; i < m_people.entries.size(); ++i)
        if (epiUbo* tick = rowItem(int(i), "enab"))
            m_people.entries[i].selected = tick->value() != 0;
    int count = 0;
    for (const PeopleElem& entry : m_people.entries) {
        if (!entry.selected)
            continue;
        m_edited->push_back(entry.id);
        std::printf("Workset selected: %d\n", entry.id);
        ++count;
    }
    std::fflush(stdout);
    if (m_limit == 0 || count <= m_limit) {
        if (m_owner)
            m_owner->receiveCommand(fourCC("refr"), 0, 0);
        close();
        return;
    }
    m_edited->clear();
    if (epiWindowManager* windows = application() ? application()->windowManager() : nullptr) {
        if (epiWindow* message = windows->openWindow(fourCC("smsg"))) {
            if (epiUbo* text = message->findChild(fourCC("text")))
                text->setText(epiText(tr(LimitMessage).c_str()));
            if (epiUbo* done = message->findChild(fourCC("Done")))
                done->setText(epiText(tr("]Done[").c_str()));
        }
    }
}

bool PeopleSelector::handleCommand(epiCode command)
{
    switch (command) {
    case epiFourCC("Okay"): apply(); return true;
    case epiFourCC("Canc"): close(); return true;
    default: return AccountWindow::handleCommand(command);
    }
}

} // namespace ZumeliApplication
