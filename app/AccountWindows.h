#pragma once

#include "ui/epiUiSystemText.h"
#include "ui/epiWindow.h"

#include <string>

namespace Zumeli {
class Client;
}

namespace ZumeliApplication {

class ClientApplication;

// The character filters of the account fields.
struct AccountFilters {
    static constexpr const char* UserName =
        "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz _-.";
    static constexpr const char* Password = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    static constexpr const char* Mail = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz_-.@";
};

// An edit field whose characters are hidden.
class UiEditPassword : public epiUiSystemEditText
{
protected:
    void describe(epiControlDesc& desc) const override;
};

// What the account windows share: the engine, translated texts, item access, the wait cursor.
class AccountWindow : public epiWindow
{
public:
    void show() override;

protected:
    // After the texts are translated, when the window opens.
    virtual void opened() {}
    ClientApplication* clientApplication() const;
    Zumeli::Client* engine() const;
    std::string tr(const char* marked) const;
    std::string fieldText(const char* item) const;
    void setFieldText(const char* item, const std::string& text);
    using epiWindow::setEnabled;
    void setEnabled(const char* item, bool enabled);
    void setFilter(const char* item, const char* characters);
    // Shows the wait cursor until the returned guard goes.
    struct WaitCursor {
        explicit WaitCursor(epiApplication* app);
        ~WaitCursor();
        epiApplication* app;
    };
};

// 'lgin': the login of an existing account.
class LoginWindow : public AccountWindow
{
public:
    bool handleCommand(epiCode code) override;
    // The password-recovery page of the service the preferences point at.
    static std::string recoveryAddress();

protected:
    void opened() override;
};

// 'regi': a new account. Cancelling goes on as a guest.
class RegistrationWindow : public AccountWindow
{
public:
    static constexpr int MinimumLength = 5;

    bool handleCommand(epiCode code) override;
    // The first failed check's marked message, or null when every check passes.
    static const char* check(const std::string& password, const std::string& repeated, const std::string& name,
                             const std::string& mail);

protected:
    void opened() override;

private:
    void registerAccount();
};

// 'pwch': a new password for the logged-in account.
class PwChangeWindow : public AccountWindow
{
public:
    bool handleCommand(epiCode code) override;
    // The message for two typed passwords, or null when they may be sent.
    static const char* check(const std::string& password, const std::string& repeated);

protected:
    void opened() override;
};

} // namespace ZumeliApplication
