#include "cli/CliOptions.h"

#include <cerrno>
#include <cstdlib>

namespace Zumeli {

namespace {

bool parseInteger(const std::string& text, long low, long high, long& out)
{
    if (text.empty())
        return false;
    errno = 0;
    char* end = nullptr;
    long value = std::strtol(text.c_str(), &end, 10);
    if (errno != 0 || *end != '\0' || value < low || value > high)
        return false;
    out = value;
    return true;
}

bool parseServer(const std::string& text, CliOptions& options)
{
    size_t colon = text.rfind(':');
    options.serverHost = text.substr(0, colon);
    if (options.serverHost.empty())
        return false;
    if (colon == std::string::npos) {
        options.serverPort = 80;
        return true;
    }
    long port = 0;
    if (!parseInteger(text.substr(colon + 1), 1, 65535, port))
        return false;
    options.serverPort = int(port);
    return true;
}

} // namespace

bool parseCliOptions(const std::vector<std::string>& arguments, CliOptions& options, std::string& error)
{
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string& option = arguments[i];
        auto value = [&](std::string& out) {
            if (i + 1 >= arguments.size()) {
                error = option + " needs a value";
                return false;
            }
            out = arguments[++i];
            return true;
        };
        std::string text;
        if (option == "--help" || option == "-h") {
            options.help = true;
        } else if (option == "--events") {
            options.events = true;
        } else if (option == "--verbose") {
            options.verbose = true;
        } else if (option == "--guest") {
            options.guest = true;
        } else if (option == "--prefs") {
            if (!value(text))
                return false;
            options.prefsPath = text;
        } else if (option == "--server") {
            if (!value(text))
                return false;
            if (!parseServer(text, options)) {
                error = "--server wants HOST or HOST:PORT (port 1 to 65535), not \"" + text + "\"";
                return false;
            }
        } else if (option == "--user") {
            if (!value(text))
                return false;
            options.user = text;
        } else if (option == "--pass") {
            if (!value(text))
                return false;
            options.password = text;
        } else if (option == "--register") {
            if (!value(text))
                return false;
            options.registerName = text;
        } else if (option == "--mail") {
            if (!value(options.mail))
                return false;
        } else if (option == "--channel") {
            long channel = 0;
            if (!value(text))
                return false;
            if (!parseInteger(text, 1, 9999, channel)) {
                error = "--channel wants a channel number such as 1000, not \"" + text + "\"";
                return false;
            }
            options.channel = int(channel);
        } else if (option == "--talk") {
            if (!value(options.talkFile))
                return false;
        } else if (option == "--echo") {
            options.echo = true;
        } else if (option == "--record") {
            if (!value(options.recordFile))
                return false;
        } else if (option == "--message") {
            if (!value(text))
                return false;
            size_t colon = text.find(':');
            long userId = 0;
            if (colon == std::string::npos || !parseInteger(text.substr(0, colon), 1, 2147483647L, userId)) {
                error = "--message wants USERID:TEXT, not \"" + text + "\"";
                return false;
            }
            options.messages.push_back({ int(userId), text.substr(colon + 1) });
        } else if (option == "--duration") {
            if (!value(text))
                return false;
            char* end = nullptr;
            double seconds = std::strtod(text.c_str(), &end);
            if (text.empty() || *end != '\0' || !(seconds > 0) || seconds > 1e7) {
                error = "--duration wants a number of seconds above 0, not \"" + text + "\"";
                return false;
            }
            options.duration = seconds;
        } else if (option == "--audio") {
            if (!value(options.audio))
                return false;
            if (options.audio != "null" && options.audio != "file" && options.audio != "portaudio") {
                error = "--audio wants null, file or portaudio, not \"" + options.audio + "\"";
                return false;
            }
        } else {
            error = "unknown option \"" + option + "\" (see --help)";
            return false;
        }
    }
    if (options.help)
        return true;

    if (options.guest && options.user) {
        error = "--guest and --user exclude each other";
        return false;
    }
    if (options.user && !options.password) {
        error = "--user needs --pass";
        return false;
    }
    if (options.registerName && !options.password) {
        error = "--register needs --pass";
        return false;
    }
    if (!options.talkFile.empty() && !options.audio.empty() && options.audio != "file") {
        error = "--talk feeds the microphone from the file: it needs --audio file";
        return false;
    }
    if (options.echo && !options.talkFile.empty()) {
        error = "--echo and --talk exclude each other";
        return false;
    }
    if (options.echo && !options.audio.empty() && options.audio != "file") {
        error = "--echo talks what it heard as its microphone: it needs --audio file";
        return false;
    }
    if (options.audio.empty())
        options.audio = options.talkFile.empty() && !options.echo ? "null" : "file";
    return true;
}

const char* cliUsage()
{
    return R"(usage: zumeli-cli [options]

A push-to-talk client without a window: it logs in, tunes to a channel, talks a WAV file,
records what it hears and sends text messages. For scripts, bots, recorders and tests.

Options:
  --prefs PATH          the preferences file (a path starting with '/' replaces the
                        default file; anything else is added to its name)
  --server HOST[:PORT]  the web service to use (port 80 when none is given)
  --user NAME --pass P  log in with this account (stored as the registered login)
  --guest               log in as a guest
  --register NAME --pass P [--mail M]
                        create the account, print "registered NAME" and exit
  --channel N           the channel to join (1000 shows as 10.00)
  --talk FILE.wav       once the voice connection is up, hold the talk key, feed the file
                        (16-bit, mono or stereo; resampled when not 44100 Hz) as the
                        microphone and release at its end; while someone else holds the
                        floor it waits and presses again when the floor is free
  --echo                an echo bot: each talk heard on the channel is talked back once
                        its talker has ended (runs until --duration or interrupted)
  --record FILE.wav     write everything heard to a 44100 Hz 16-bit mono WAV file
  --message ID:TEXT     send a text message to the user ID after the login (repeatable)
  --duration SECONDS    stop after this long; without it the client stops after its talk
                        (with --talk) or when interrupted (Ctrl+C, SIGTERM)
  --audio KIND          null: silence, no sound card (the default);
                        file: the microphone reads --talk, nothing is played (the default
                        with --talk); portaudio: the sound card, devices from the
                        preferences "audiodevice.input" and "audiodevice.output"
  --events              print one line per event on standard output (below)
  --verbose             print the engine's trace lines on standard error
  --help                this text

Exit codes:
  0  done
  2  usage error
  3  the login failed (the service did not answer) or was refused
  4  the voice connection never came up within the duration
  5  --talk could not talk: this user may only listen on the channel, or the floor was
     never free within the duration

Events (--events), one line each, first word fixed:
  logged-in                     logged-out
  login-failed                  login-refused
  server-full                   reconnecting
  channel-changed CHANNEL       channel-state
  channel-access                channel-full
  join-failed                   transmission-trouble
  talk-granted                  talk-ended
  talk-acknowledged             talk-allowed
  talk-allowed-quietly          talk-forbidden
  talk-request USER             voice-connection up|down
  voice-connected               voice-disconnected
  traffic on|off                link-quality VALUE
  messages-arrived              service-message TEXT
  messages-changed COUNT        message FROM TEXT (for each new received message)
  channel-event USER KIND       position-changed USER
  photo-updated USER            position-requested
  position-sent TEXT
  recorded-audio COUNT, unused  (kept for completeness; the engine never sends them)
  registered NAME
  talk-file-started SECONDS     the --talk file starts to feed the microphone
  talk-file-done                the --talk file was fed whole
  echo-heard SECONDS            --echo: a talk of that length was heard; it is talked back
  audio-heard SECONDS           with --record: the first audible received sound
                                (SECONDS: the system's monotonic clock, shared by all
                                processes, so two clients' lines give the delay)
  error TEXT                    (also on standard error)
)";
}

} // namespace Zumeli
