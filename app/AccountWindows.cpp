#include "app/AccountWindows.h"

#include "app/ClientApplication.h"
#include "engine/Client.h"
#include "engine/Manager.h"
#include "engine/ServiceConfig.h"
#include "platform/Browser.h"
#include "ui/epiWindowManager.h"

namespace ZumeliApplication {

namespace {

epiCode fourCC(const char* text) { return epiCodeFromText(text); }

} // namespace

void UiEditPassword::describe(epiControlDesc& desc) const
{
    epiUiSystemEditText::describe(desc);
    desc.password = true;
}

// ----- shared -----

AccountWindow::WaitCursor::WaitCursor(epiApplication* application) : app(application)
{
    if (app && app->windowManager())
        app->windowManager()->setCursor(epiWindowManager::kWaitCursor);
}

AccountWindow::WaitCursor::~WaitCursor()
{
    if (app && app->windowManager())
        app->windowManager()->setCursor(epiWindowManager::kArrowCursor);
}

ClientApplication* AccountWindow::clientApplication() const { return dynamic_cast<ClientApplication*>(application()); }

Zumeli::Client* AccountWindow::engine() const
{
    ClientApplication* app = clientApplication();
    return app ? app->engine() : nullptr;
}

std::string AccountWindow::tr(const char* marked) const
{
    ClientApplication* app = clientApplication();
    return app ? app->localizer().text(marked) : marked;
}

std::string AccountWindow::fieldText(const char* item) const
{
    epiUbo* widget = findChild(fourCC(item));
    return widget ? widget->text().c_str() : "";
}

void AccountWindow::setFieldText(const char* item, const std::string& text)
{
    if (epiUbo* widget = findChild(fourCC(item)))
        widget->setText(epiText(text.c_str()));
}

void AccountWindow::setEnabled(const char* item, bool enabled)
{
    if (epiUbo* widget = findChild(fourCC(item)))
        widget->setEnabled(enabled);
}

void AccountWindow::setFilter(const char* item, const char* characters)
{
    if (epiUbo* widget = findChild(fourCC(item)))
        widget->setAttributeText(fourCC("Clif"), epiText(characters));
}

void AccountWindow::show()
{
    // The layout's texts carry markers: the user sees them translated. The window's title is the
    // layout's text when the layout gives no title of its own.
    setTitle(epiText(tr((title().isEmpty() ? text() : title()).c_str()).c_str()));
    for (int i = 0; i < childCount(); ++i) {
        epiUbo* child = childAt(i);
        if (std::string(child->text().c_str()).find(']') != std::string::npos)
            child->setText(epiText(tr(child->text().c_str()).c_str()));
    }
    opened();
    epiWindow::show();
}

// ----- login -----

void LoginWindow::opened()
{
    if (Zumeli::Client* client = engine()) {
        Zumeli::Text name, password;
        client->getLogin(name, password);
        setFieldText("unam", name.c_str());
        setFieldText("pasw", password.c_str());
    }
    setFilter("unam", AccountFilters::UserName);
    setFilter("pasw", AccountFilters::Password);
}

std::string LoginWindow::recoveryAddress()
{
    Zumeli::ServiceAddress address = Zumeli::ServiceConfig::production(Zumeli::Manager::instance().preferences);
    std::string url = "http://" + std::string(address.host.c_str());
    if (address.port != 80)
        url += ":" + std::to_string(address.port);
    return url + "/passwordrecovery/";
}

bool LoginWindow::handleCommand(epiCode command)
{
    Zumeli::Client* client = engine();
    switch (command) {
    case epiFourCC("Okay"):
        if (client) {
            client->setLogin(Zumeli::Text(fieldText("unam").c_str()), Zumeli::Text(fieldText("pasw").c_str()));
            client->setPreferenceNumber("public.isregisteredlogin", Zumeli::Text("1"));
        }
        close();
        if (client)
            client->connect();
        return true;
    case epiFourCC("Canc"): close(); return true;
    case epiFourCC("Crac"): {
        epiApplication* app = application();
        close();
        if (app && app->windowManager())
            app->windowManager()->showOrOpenWindow(fourCC("regi"));
        return true;
    }
    case epiFourCC("Reco"): Zumeli::Platform::openUrl(recoveryAddress()); return true;
    case epiFourCC("clea"):
        setFieldText("unam", "");
        setFieldText("pasw", "");
        return true;
    case epiFourCC("mod0"):
        setEnabled("unam", true);
        setEnabled("pasw", true);
        return true;
    default: return AccountWindow::handleCommand(command);
    }
}

// ----- registration -----

void RegistrationWindow::opened()
{
    setEnabled("Canc", true);
    setEnabled("GoRe", true);
    setEnabled("StRe", false);
    setEnabled("Done", false);
    setEnabled("prog", false);
    for (const char* item : {"stts", "pas1", "pas2", "usna", "emai"})
        setFieldText(item, "");
    setFilter("usna", AccountFilters::UserName);
    setFilter("emai", AccountFilters::Mail);
    setFilter("pas1", AccountFilters::Password);
    setFilter("pas2", AccountFilters::Password);
    setFieldText("info", tr("]Enter a user name, choose a password and give your mail address, then press "
                            "Register. Then follow the instructions of the mail that will arrive.["));
}

const char* RegistrationWindow::check(const std::string& password, const std::string& repeated,
                                      const std::string& name, const std::string& mail)
{
    if (password.size() < MinimumLength)
        return "]Poner Contrasena  .[";
    if (name.size() < MinimumLength)
        return "]Poner Nombre      .[";
    if (mail.size() < MinimumLength)
        return "]Poner Correo   .[";
    if (mail.find('@') == std::string::npos)
        return "]Check email field.[";
    if (password != repeated)
        return "]Check passwords again.[";
    return nullptr;
}

void RegistrationWindow::registerAccount()
{
    std::string password = fieldText("pas1");
    std::string name = fieldText("usna");
    std::string mail = fieldText("emai");
    if (const char* message = check(password, fieldText("pas2"), name, mail)) {
        setFieldText("stts", tr(message));
        return;
    }
    for (const char* item : {"Canc", "GoRe", "StRe", "usna", "emai", "pas1", "pas2"})
        setEnabled(item, false);
    setEnabled("Done", true);
    setEnabled("prog", true);
    setFieldText("stts", "Registrar      ...");
    if (epiUbo* progress = findChild(fourCC("prog")))
        progress->setValue(50);

    Zumeli::Client* client = engine();
    Zumeli::Text error;
    bool registered = false;
    if (client) {
        WaitCursor wait(application());
        registered = client->registerUser(Zumeli::Text(name.c_str()), Zumeli::Text(password.c_str()),
                                          Zumeli::Text(mail.c_str()), error);
    }
    if (registered) {
        setFieldText("stts", tr("]Operacion Completada            ["));
        if (epiUbo* progress = findChild(fourCC("prog")))
            progress->setValue(100);
        setEnabled("Canc", false);
        setEnabled("GoRe", false);
        setEnabled("Done", true);
        client->setLogin(Zumeli::Text(name.c_str()), Zumeli::Text(password.c_str()));
        client->setPreferenceNumber("public.isregisteredlogin", Zumeli::Text("1"));
        return;
    }
    setFieldText("stts", error.isEmpty() ? tr("]The service did not answer.[") : std::string(error.c_str()));
    if (epiUbo* progress = findChild(fourCC("prog")))
        progress->setValue(0);
    for (const char* item : {"Canc", "GoRe", "usna", "emai", "pas1", "pas2"})
        setEnabled(item, true);
    setEnabled("Done", false);
}

bool RegistrationWindow::handleCommand(epiCode command)
{
    switch (command) {
    case epiFourCC("GoRe"): registerAccount(); return true;
    case epiFourCC("StRe"):
        setEnabled("Canc", true);
        setEnabled("Done", false);
        setEnabled("GoRe", false);
        setEnabled("Stop", false);
        return true;
    case epiFourCC("Canc"):
    case epiFourCC("Done"):
        if (Zumeli::Client* client = engine())
            client->connect();
        close();
        return true;
    case epiFourCC("clea"):
        for (const char* item : {"pas1", "pas2", "usna", "emai"})
            setFieldText(item, "");
        return true;
    default: return AccountWindow::handleCommand(command);
    }
}

// ----- password change -----

void PwChangeWindow::opened()
{
    setFilter("pas1", AccountFilters::Password);
    setFilter("pas2", AccountFilters::Password);
    setFieldText("pas1", "");
    setFieldText("pas2", "");
}

const char* PwChangeWindow::check(const std::string& password, const std::string& repeated)
{
    if (password != repeated)
        return "Check passwords again.";
    if (password.size() < RegistrationWindow::MinimumLength)
        return "Password too short.";
    return nullptr;
}

bool PwChangeWindow::handleCommand(epiCode command)
{
    switch (command) {
    case epiFourCC("Okay"): {
        std::string password = fieldText("pas1");
        if (const char* message = check(password, fieldText("pas2"))) {
            setFieldText("stts", message);
            return true;
        }
        Zumeli::Client* client = engine();
        bool changed = false;
        if (client) {
            WaitCursor wait(application());
            changed = client->changePassword(Zumeli::Text(password.c_str()));
        }
        if (!changed)
            return true;
        setVisible(false);
        client->disconnect();
        client->connect();
        close();
        return true;
    }
    case epiFourCC("Canc"): close(); return true;
    default: return AccountWindow::handleCommand(command);
    }
}

} // namespace ZumeliApplication
