// The text of zumeli --help.
#pragma once

namespace ZumeliApplication {

inline constexpr const char* UsageText =
    "usage: zumeli [-prefspath PATH] [-user NAME] [-pass PASSWORD]\n"
    "\n"
    "The Zumeli desktop client, an internet push-to-talk walkie-talkie: it logs in to a Zumeli\n"
    "service, tunes to a numbered channel (1000 shows as 10.00), plays whoever holds the floor and\n"
    "talks to everyone on the channel while the TALK button or the hot key (F9) is held. A second\n"
    "start raises the running window.\n"
    "\n"
    "Options:\n"
    "  -prefspath PATH       the preferences file: a path starting with '/' replaces the default\n"
    "                        file (~/.config/com.orvinta.zumeli2.preferences); anything else is\n"
    "                        added to its name\n"
    "  -user NAME            log in with this account (stored as the registered login)\n"
    "  -pass PASSWORD        log in with this password (replaces the stored one)\n"
    "\n"
    "Environment:\n"
    "  ZUMELI_SERVICE_HOST   the web service's host, over the preferences' private.service.host\n"
    "  ZUMELI_SERVICE_PORT   the web service's port, over the preferences' private.service.port\n"
    "  ZUMELI_AUDIO          the sound back end: portaudio (the default), null (silence, no sound\n"
    "                        card) or file:MIC.wav:SPEAKER.wav\n";

} // namespace ZumeliApplication
