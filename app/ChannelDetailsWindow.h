#pragma once

#include "app/AccountWindows.h"

#include <string>

namespace ZumeliApplication {

// 'chDe': the current channel as the service describes it: name, number, descriptions, web
// address (opened in the browser), picture and administrator. The panel sends 'refr' when the
// channel changes; the picture is asked for when the cache does not hold it yet.
class ChannelDetailsWindow : public AccountWindow
{
public:
    bool handleCommand(epiCode code) override;
    bool receiveCommand(epiCode code, intptr_t value, intptr_t extra) override;
    // The address the browser gets: "www." and bare host names get "http://"; anything that is
    // not a web address gives "".
    static std::string browserAddress(const std::string& address);
    const std::string& address() const { return m_address; }
    void timerFired() override;
    void closing() override;

protected:
    void opened() override;

private:
    void refresh();

    static constexpr int PictureTries = 5;
    static constexpr double PictureRetrySeconds = 2.0;

    std::string m_address;
    int m_pictureTries = 0;
};

} // namespace ZumeliApplication
