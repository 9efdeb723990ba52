#pragma once

#include "app/AccountWindows.h"
#include "data/AdministrationDocument.h"

#include <string>
#include <vector>

namespace ZumeliApplication {

// Which of the three lists an access mode uses.
struct AccessLists {
    bool talkers = false;
    bool listeners = false;
    bool notAdmitted = false;

    static AccessLists forMode(int mode);
    bool operator==(const AccessLists&) const = default;
};

// 'admr': who administers the current channel, and the request to administer it.
class AdministrationRequestWindow : public AccountWindow
{
public:
    static constexpr double StartSeconds = 0.1;

    bool handleCommand(epiCode code) override;
    void timerFired() override;
    // The shop page of the service the preferences point at.
    static std::string shopAddress();

protected:
    void opened() override;

private:
    void updateStates();

    bool m_channelRead = false;
    bool m_mayRequest = false;
};

// 'admi': the editor of the current channel's administration document. It reads the document
// half a second after opening and writes it on 'Okay'.
class AdministrationWindow : public AccountWindow
{
public:
    static constexpr double LoadSeconds = 0.5;

    bool handleCommand(epiCode code) override;
    bool receiveCommand(epiCode code, intptr_t value, intptr_t extra) override;
    void timerFired() override;

    // What the tests read.
    bool isLoaded() const { return m_loaded; }
    const Zumeli::AdministrationDocument& document() const { return m_document; }
    const std::vector<int>& knownIds() const { return m_ids; }

protected:
    void opened() override;
    void closing() override;
    // The access mode that decides the enabled states and the help text.
    virtual int statesMode() const;
    // How many people a list may hold (0: no limit).
    virtual int selectionLimit() const { return 0; }

    void updateStates();

private:
    void load();
    void rebuildNames();
    void editList(int which);
    void save();
    void giveUp();
    bool checked(const char* item) const;
    void setChecked(const char* item, bool on);
    void addKnown(const std::vector<int>& ids);

    Zumeli::AdministrationDocument m_document;
    bool m_loaded = false;
    int m_credits = 1;
    std::vector<int> m_ids;
};

// 'adfc': the editor of a family channel: its lists always follow the listed-talkers mode and a
// list holds at most five people.
class FamilyAdministrationWindow : public AdministrationWindow
{
public:
    static constexpr int Limit = 5;

protected:
    void opened() override;
    int statesMode() const override { return Zumeli::AdministrationDocument::ListedTalkersOnly; }
    int selectionLimit() const override { return Limit; }
};

} // namespace ZumeliApplication
