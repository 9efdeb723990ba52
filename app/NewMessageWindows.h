#pragma once

#include "app/SideWindow.h"

#include <string>

namespace ZumeliApplication {

// What the windows that write to someone share: whom they write to, as the panel's command that
// opened them says ('mesg', 'bell', 'uabu': a user id; 'Gmes', 'Gbel': a group id).
class AddressedWindow : public SideWindow
{
public:
    bool receiveCommand(epiCode code, intptr_t value, intptr_t extra) override;
    int target() const { return m_target; }
    bool toGroup() const { return m_group; }
    // The user's or the group's name.
    std::string targetName() const;

protected:
    // The target changed: the window shows it.
    virtual void addressed() = 0;

    int m_target = 0;
    bool m_group = false;
};

// 'nume': a new text message to a user or a group.
class AskNewUserMessageWindow : public AddressedWindow
{
public:
    static constexpr int MaximumLength = 250;
    bool handleCommand(epiCode code) override;

protected:
    void addressed() override;
};

// 'nuin': an invitation to the user's channel for a user or a group.
class AskNewUserInvitationWindow : public AddressedWindow
{
public:
    bool handleCommand(epiCode code) override;

protected:
    void addressed() override;
};

// 'nuab': the confirmation of an abuse report on a user.
class AskReportUserAbuse : public AddressedWindow
{
public:
    bool handleCommand(epiCode code) override;

protected:
    void addressed() override;
};

} // namespace ZumeliApplication
