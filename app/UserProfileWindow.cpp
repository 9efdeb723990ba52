#include "app/UserProfileWindow.h"

#include "app/ClientPanel.h"
#include "app/ClientWindow.h"
#include "app/PictureFile.h"
#include "data/PeopleEntry.h"
#include "engine/Client.h"
#include "engine/OwnDetails.h"
#include "ui/epiPath.h"
#include "ui/epiUiPictureView.h"
#include "ui/epiWindowManager.h"

#include <fstream>
#include <vector>

namespace ZumeliApplication {

namespace {

epiCode fourCC(const char* text) { return epiCodeFromText(text); }

// The mode lists: the stored number is the index.
const std::vector<const char*> MessageModes = {"]Everyone[", "]My friends only[", "]Nobody["};
const std::vector<const char*> PositionModes = {"]Shown[", "]Approximate[", "]Not sent["};
const std::vector<const char*> PictureModes = {"]Shown[", "]Hidden["};

} // namespace

std::string UserProfileWindow::photoPath(const std::string& cacheFolder, int userId)
{
    return cacheFolder + "user_" + std::to_string(userId) + ".jpg";
}

void UserProfileWindow::opened()
{
    // Each list's items are translated one by one.
    for (auto [item, modes] : {std::pair {"tmsm", &MessageModes}, {"gpsm", &PositionModes}, {"imgm", &PictureModes}}) {
        std::string text;
        for (const char* mode : *modes)
            text += (text.empty() ? "" : "|") + tr(mode);
        if (epiUbo* popup = findChild(fourCC(item)))
            popup->setText(epiText(text.c_str()));
    }
    setFilter("emai", AccountFilters::Mail);
    refresh();
}

void UserProfileWindow::refresh()
{
    Zumeli::Client* client = engine();
    if (!client)
        return;
    m_filling = true;
    int own = client->getOwnUserId();
    Zumeli::Text name;
    client->getUserName(own, name);
    Zumeli::OwnDetails details;
    client->getOwnUserDetails(details);
    Zumeli::Text registeredLogin;
    client->getPreferenceText("public.isregisteredlogin", registeredLogin);
    bool registered = own > 0 && registeredLogin == Zumeli::Text("1");
    setFieldText("unam", name.isEmpty() ? tr("]Not logged in[") : std::string(name.c_str()));
    setFieldText("emai", details.mail.c_str());
    Zumeli::PeopleEntry entry;
    if (epiUbo* box = findChild(fourCC("nodi")))
        box->setValue(client->getUserRecord(own, entry) && entry.dnd ? 1 : 0);
    for (auto [item, mode] : {std::pair {"tmsm", details.tmsmode}, {"gpsm", details.gpsmode}, {"imgm", details.imgmode}})
        if (epiUbo* popup = findChild(fourCC(item)))
            popup->setValue(mode);
    for (const char* item : {"emai", "Smai", "tmsm", "gpsm", "imgm", "Cpho"})
        setEnabled(item, registered);
    if (!registered)
        setFieldText("stts", tr("]A guest has no profile: create an account to keep one.["));
    m_filling = false;
    showPhoto();
}

void UserProfileWindow::showPhoto()
{
    auto* view = dynamic_cast<epiUiPictureView*>(findChild(fourCC("myPh")));
    Zumeli::Client* client = engine();
    if (!view || !client)
        return;
    Zumeli::Text folder;
    client->getCacheFolder(folder);
    view->loadPicture(photoPath(folder.c_str(), client->getOwnUserId()));
    setFieldText("noPh", view->hasPicture() ? "" : tr("]No photo[").c_str());
    if (epiUbo* placeholder = findChild(fourCC("plch")))
        placeholder->setVisible(!view->hasPicture());
}

void UserProfileWindow::said(bool saved)
{
    setFieldText("stts", saved ? tr("]Saved.[") : tr("]The service did not take the change.["));
}

bool UserProfileWindow::sendPhoto(const std::string& path)
{
    Zumeli::Client* client = engine();
    std::string jpeg;
    PictureFile::Result result = PictureFile::prepare(path, jpeg);
    if (result != PictureFile::Result::Ready) {
        setFieldText("stts", tr(PictureFile::message(result)));
        return false;
    }
    bool saved = false;
    {
        WaitCursor wait(application());
        saved = client && client->saveOwnPhoto(Zumeli::Text(jpeg.data(), int(jpeg.size())));
    }
    said(saved);
    if (saved) {
        // The cache holds the photo as the service has it now.
        Zumeli::Text folder;
        client->getCacheFolder(folder);
        std::ofstream(photoPath(folder.c_str(), client->getOwnUserId()), std::ios::binary | std::ios::trunc)
            .write(jpeg.data(), std::streamsize(jpeg.size()));
        showPhoto();
    }
    return saved;
}

bool UserProfileWindow::handleCommand(epiCode command)
{
    Zumeli::Client* client = engine();
    epiUbo* sender = findChild(command);
    int value = sender ? sender->value() : 0;
    if (m_filling)
        return true;
    switch (command) {
    case epiFourCC("Smai"): {
        WaitCursor wait(application());
        said(client && client->setMail(Zumeli::Text(fieldText("emai").c_str())));
        return true;
    }
    case epiFourCC("nodi"):
        if (client)
            client->setDoNotDisturb(value != 0);
        // The panel's switch shows the same.
        if (auto* main = dynamic_cast<ClientWindow*>(windowManager() ? windowManager()->findWindow(fourCC("main")) : nullptr))
            if (main->panel())
                if (epiUbo* box = main->panel()->findChild(fourCC("nodi")))
                    box->setValue(value);
        return true;
    case epiFourCC("tmsm"): {
        WaitCursor wait(application());
        said(client && client->saveMessageMode(value));
        return true;
    }
    case epiFourCC("gpsm"): {
        WaitCursor wait(application());
        said(client && client->savePositionMode(value));
        return true;
    }
    case epiFourCC("imgm"): {
        WaitCursor wait(application());
        said(client && client->savePhotoMode(value));
        return true;
    }
    case epiFourCC("Cpho"): {
        epiPath chosen;
        if (chosen.chooseOpenFile(application()))
            sendPhoto(chosen.absolute().c_str());
        return true;
    }
    case epiFourCC("Done"): close(); return true;
    default: return AccountWindow::handleCommand(command);
    }
}

} // namespace ZumeliApplication
