#pragma once

#include "app/AccountWindows.h"

#include <string>
#include <vector>

namespace ZumeliApplication {

// 'uspr': the user's own account: name, mail, do not disturb, who may send messages, how the
// position and the pictures are handled, and the own photo (chosen from a file). Each change is
// saved with the service at once and the window says whether it took it.
class UserProfileWindow : public AccountWindow
{
public:
    // The user's photo in the picture cache ("user_%d.jpg").
    static std::string photoPath(const std::string& cacheFolder, int userId);

    bool handleCommand(epiCode code) override;
    // Sends the picture file as the own photo; true when the service took it.
    bool sendPhoto(const std::string& path);

protected:
    void opened() override;

private:
    void refresh();
    void showPhoto();
    void said(bool saved);

    bool m_filling = false;
};

} // namespace ZumeliApplication
