#pragma once

#include "app/AccountWindows.h"

#include <string>

namespace ZumeliApplication {

// 'phot': the photo shared with the channel. It shows the last one received and the panel sends
// 'refr' when another user shares a new one; the user shares a picture file with 'Send' (sent
// in the background; the other listeners are told when the service has it).
class PhotoWindow : public AccountWindow
{
public:
    // The file the engine sends from, in the picture cache.
    static constexpr const char* OutgoingFile = "channelphoto_out.jpg";

    bool handleCommand(epiCode code) override;
    bool receiveCommand(epiCode code, intptr_t value, intptr_t extra) override;
    // Shares the picture file with the channel; false (and the reason on the status line) when
    // it cannot go.
    bool share(const std::string& path);

protected:
    void opened() override;

private:
    void refresh();
    void showEmpty(bool empty);
};

} // namespace ZumeliApplication
