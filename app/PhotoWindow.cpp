#include "app/PhotoWindow.h"

#include "app/PictureFile.h"
#include "data/ChannelElement.h"
#include "engine/Client.h"
#include "ui/epiPath.h"
#include "ui/epiUiPictureView.h"

#include <fstream>

namespace ZumeliApplication {

namespace {

epiCode fourCC(const char* text) { return epiCodeFromText(text); }

// Pictures may be shared in this session (the service's session flag 1).
constexpr int PicturesAllowedFlag = 1;

} // namespace

void PhotoWindow::opened() { refresh(); }

bool PhotoWindow::receiveCommand(epiCode code, intptr_t value, intptr_t extra)
{
    // The panel: a new photo of the channel arrived.
    if (code == epiFourCC("refr")) {
        refresh();
        setFieldText("stts", tr("]A new photo arrived.["));
        return true;
    }
    return AccountWindow::receiveCommand(code, value, extra);
}

void PhotoWindow::refresh()
{
    Zumeli::Client* client = engine();
    auto* view = dynamic_cast<epiUiPictureView*>(findChild(fourCC("pict")));
    if (!client || !view)
        return;
    Zumeli::Text path;
    if (client->getChannelPhotoPath(path))
        view->loadPicture(path.c_str());
    else
        view->clearPicture();
    Zumeli::ChannelElement channel;
    std::string title = tr("]Photo of the channel[");
    if (client->getCurrentChannelRecord(channel))
        title += " " + std::string(Zumeli::ChannelElement::displayNumber(channel.number).c_str());
    setFieldText("titl", title);
    showEmpty(!view->hasPicture());
}

void PhotoWindow::showEmpty(bool empty)
{
    setFieldText("noPh", empty ? tr("]Nobody has shared a photo here yet.[") : std::string());
    if (epiUbo* placeholder = findChild(fourCC("plch")))
        placeholder->setVisible(empty);
}

bool PhotoWindow::share(const std::string& path)
{
    Zumeli::Client* client = engine();
    if (!client)
        return false;
    if (!client->getSessionFlag(PicturesAllowedFlag)) {
        setFieldText("stts", tr("]The service does not take pictures in this session.["));
        return false;
    }
    std::string jpeg;
    PictureFile::Result result = PictureFile::prepare(path, jpeg);
    if (result != PictureFile::Result::Ready) {
        setFieldText("stts", tr(PictureFile::message(result)));
        return false;
    }
    // The engine sends a file: the prepared picture goes to the cache folder first.
    Zumeli::Text folder;
    client->getCacheFolder(folder);
    std::string outgoing = std::string(folder.c_str()) + OutgoingFile;
    std::ofstream file(outgoing, std::ios::binary | std::ios::trunc);
    if (!file.write(jpeg.data(), std::streamsize(jpeg.size())) || !file.flush()) {
        setFieldText("stts", tr("]The picture could not be prepared.["));
        return false;
    }
    file.close();
    client->setChannelPhotoPath(Zumeli::Text(outgoing.c_str()));
    // The sender sees its photo at once; the others when the service has it.
    if (auto* view = dynamic_cast<epiUiPictureView*>(findChild(fourCC("pict"))))
        view->loadPicture(outgoing);
    showEmpty(false);
    setFieldText("stts", tr("]The photo is on its way to the channel.["));
    return true;
}

bool PhotoWindow::handleCommand(epiCode command)
{
    switch (command) {
    case epiFourCC("Send"): {
        epiPath chosen;
        if (chosen.chooseOpenFile(application()))
            share(chosen.absolute().c_str());
        return true;
    }
    case epiFourCC("Done"): close(); return true;
    default: return AccountWindow::handleCommand(command);
    }
}

} // namespace ZumeliApplication
