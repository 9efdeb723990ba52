#include "cli/HeadlessRun.h"

#include "audio/AudioHardware.h"
#include "audio/FileAudioBackend.h"
#include "audio/NullAudioBackend.h"
#include "audio/PortAudioBackend.h"
#include "audio/WavFile.h"
#include "cli/CliEvents.h"
#include "cli/EchoCapture.h"
#include "cli/PackSoundProvider.h"
#include "cli/ReceivedAudioRecorder.h"
#include "engine/Client.h"
#include "engine/Manager.h"
#include "platform/Clock.h"

#include <atomic>
#include <csignal>
#include <cstdarg>
#include <cstdlib>
#include <string>

namespace Zumeli {

namespace {

std::atomic<bool> g_interrupted { false };

void interrupt(int) { g_interrupted.store(true); }

constexpr double StepSeconds = 1.0 / 30;
// How long the talk goes on after the file's last sample, so the last frames reach the relay.
constexpr double TalkTailSeconds = 0.3;
// A press the engine ignored (the floor was taken in the meantime) is tried again after this
// long, which is also beyond the client's 1.5 s guard between presses.
constexpr double PressRetrySeconds = 2.0;
// Listening this long after the voice connection comes up shows whether someone is talking.
constexpr double ListenFirstSeconds = 0.5;
// The echo bot goes on listening this long after the floor is free: the receive buffer still
// plays the end of the talk. Shorter talks than EchoShortestSeconds are not echoed.
constexpr double EchoDrainSeconds = 0.8;
constexpr double EchoShortestSeconds = 0.3;
constexpr double EchoLongestSeconds = 60.0;
// How long a clean stop waits for the logout.
constexpr double LogoutSeconds = 3.0;

double seconds() { return double(Platform::tickMilliseconds()) / 1000.0; }

void pause(double duration)
{
    if (duration > 0)
        Platform::sleepMilliseconds(int(duration * 1000.0 + 0.5));
}

void fail(CliEvents& events, const char* format, ...) __attribute__((format(printf, 2, 3)));

void fail(CliEvents& events, const char* format, ...)
{
    char line[512];
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(line, sizeof line, format, arguments);
    va_end(arguments);
    std::fprintf(stderr, "zumeli-cli: %s\n", line);
    events.print("error %s", line);
}

std::unique_ptr<IAudioBackend> makeBackend(const std::string& kind)
{
    if (kind == "portaudio")
        return std::make_unique<PortAudioBackend>();
    if (kind == "file")
        return std::make_unique<FileAudioBackend>();
    return std::make_unique<NullAudioBackend>();
}

// The stages of --talk.
enum class Talk { None, Waiting, Pressed, Feeding, Tail, Done };

} // namespace

int runHeadless(const CliOptions& options, FILE* eventOutput)
{
    std::signal(SIGINT, interrupt);
    std::signal(SIGTERM, interrupt);
    std::signal(SIGPIPE, SIG_IGN);

    if (!options.serverHost.empty()) {
        ::setenv("ZUMELI_SERVICE_HOST", options.serverHost.c_str(), 1);
        ::setenv("ZUMELI_SERVICE_PORT", std::to_string(options.serverPort).c_str(), 1);
    }

    Manager& manager = Manager::instance();
    PreferencesStartup startup;
    if (options.prefsPath)
        startup.prefsPath = Text(options.prefsPath->c_str());
    if (options.user)
        startup.user = Text(options.user->c_str());
    if (options.password && !options.registerName)
        startup.pass = Text(options.password->c_str());
    manager.preferences.load(startup);
    if (options.guest)
        manager.preferences.set("public.isregisteredlogin", "0");

    Client client(manager);
    PackSoundProvider sounds;
    client.setSoundProvider(&sounds);
    CliEvents events(client, eventOutput);
    client.setDelegate(&events);

    if (options.registerName) {
        Text error;
        Text name(options.registerName->c_str());
        if (!client.registerUser(name, Text(options.password->c_str()), Text(options.mail.c_str()), error)) {
            fail(events, "registration of \"%s\" failed: %s", name.c_str(),
                 error.isEmpty() ? "the service did not answer" : error.c_str());
            return ExitLogin;
        }
        events.print("registered %s", name.c_str());
        return ExitDone;
    }

    // The talk file is checked before anything connects.
    if (!options.talkFile.empty()) {
        std::vector<float> samples;
        int32_t rate = 0;
        std::string error;
        if (!readWav(options.talkFile, samples, rate, &error)) {
            fail(events, "cannot use %s: %s", options.talkFile.c_str(), error.c_str());
            return ExitUsage;
        }
    }

    AudioHardware hardware;
    auto backend = makeBackend(options.audio);
    FileAudioBackend* fileBackend = dynamic_cast<FileAudioBackend*>(backend.get());
    std::string inputDevice = manager.preferences.get("audiodevice.input").str();
    std::string outputDevice = manager.preferences.get("audiodevice.output").str();
    if (!hardware.open(&client, std::move(backend), inputDevice, outputDevice)) {
        // Without a sound card the client still needs a clock: silence paced in real time.
        std::fprintf(stderr, "zumeli-cli: no sound device could be opened; going on without sound\n");
        fileBackend = nullptr;
        if (!hardware.open(&client, std::make_unique<NullAudioBackend>(), "", "")) {
            fail(events, "the audio clock could not start");
            return ExitUsage;
        }
    }

    ReceivedAudioRecorder recorder;
    if (!options.recordFile.empty()) {
        if (!recorder.open(options.recordFile, hardware.sampleRate())) {
            fail(events, "cannot write %s", options.recordFile.c_str());
            return ExitUsage;
        }
        client.setAudioDelegate(&recorder);
    }
    std::unique_ptr<EchoCapture> echo;
    std::vector<float> echoSamples;
    double echoEndAt = -1;
    if (options.echo) {
        if (!fileBackend) {
            fail(events, "--echo needs the file back end to talk what it heard");
            return ExitUsage;
        }
        echo = std::make_unique<EchoCapture>(hardware.sampleRate(), EchoLongestSeconds,
                                             options.recordFile.empty() ? nullptr : &recorder);
        client.setAudioDelegate(echo.get());
    }

    if (options.channel)
        client.setStartChannel(*options.channel);
    client.connect();

    Talk talk = options.talkFile.empty() ? Talk::None : Talk::Waiting;
    bool messagesSent = options.messages.empty();
    bool heardReported = false;
    int exitCode = ExitDone;
    double start = seconds();
    double tailEnd = 0;
    double pressedAt = -PressRetrySeconds;
    double voiceUpAt = -1;
    bool waitingReported = false;
    double next = start;

    while (!g_interrupted.load()) {
        double now = seconds();
        if (options.duration > 0 && now - start >= options.duration)
            break;
        client.step(0);
        recorder.drain();
        if (!heardReported && recorder.firstHeardAt() != 0) {
            events.print("audio-heard %.3f", double(recorder.firstHeardAt()) / 1000.0);
            heardReported = true;
        }

        if (events.loginRefused || (events.loginFailed && !events.voiceEverUp && !events.loggedIn)) {
            fail(events, "the login %s", events.loginRefused ? "was refused" : "failed: the service did not answer");
            exitCode = ExitLogin;
            break;
        }
        if (events.loggedIn && !messagesSent) {
            for (const CliOptions::Message& message : options.messages)
                client.sendMessageToUser(Text(message.text.c_str()), message.userId);
            messagesSent = true;
        }

        if (echo && talk == Talk::None) {
            // Someone else holds the floor: hear the whole talk, then talk it back.
            bool floorTaken = client.talkPermitted() && !client.talkAllowed();
            if (floorTaken && !echo->capturing()) {
                echo->begin();
                echoEndAt = -1;
            } else if (!floorTaken && echo->capturing()) {
                if (echoEndAt < 0)
                    echoEndAt = now + EchoDrainSeconds;
                if (now >= echoEndAt) {
                    echoSamples = echo->take(size_t(hardware.sampleRate() / 10));
                    double heard = double(echoSamples.size()) / double(hardware.sampleRate());
                    if (heard >= EchoShortestSeconds) {
                        events.print("echo-heard %.2f", heard);
                        waitingReported = false;
                        talk = Talk::Waiting;
                    }
                }
            }
        }

        switch (talk) {
        case Talk::Waiting:
            if (!events.voiceUp) {
                voiceUpAt = -1;
                break;
            }
            if (voiceUpAt < 0)
                voiceUpAt = now;
            if (now - voiceUpAt < ListenFirstSeconds)
                break;
            if (!client.talkPermitted()) {
                fail(events, "this user may only listen on channel %d: the talk cannot be made",
                     manager.session.currentChannel);
                exitCode = ExitNoTalk;
                talk = Talk::Done;
                break;
            }
            if (client.talkAllowed() && now - pressedAt >= PressRetrySeconds) {
                events.talkGranted = false;
                events.talkEnded = false;
                client.talkPressed();
                pressedAt = now;
                talk = Talk::Pressed;
            } else if (!client.talkAllowed() && !waitingReported) {
                std::fprintf(stderr, "zumeli-cli: someone else is talking; waiting for the floor\n");
                waitingReported = true;
            }
            break;
        case Talk::Pressed:
            if (!events.talkGranted && now - pressedAt >= PressRetrySeconds) {
                // The press came while someone took the floor: the engine ignored it.
                client.talkReleased();
                talk = Talk::Waiting;
                break;
            }
            if (events.talkGranted && fileBackend && echo) {
                fileBackend->setInputSamples(echoSamples);
                events.print("talk-file-started %.3f", seconds());
                talk = Talk::Feeding;
            } else if (events.talkGranted && fileBackend) {
                std::string error;
                if (!fileBackend->setInputFile(options.talkFile, &error)) {
                    fail(events, "cannot use %s: %s", options.talkFile.c_str(), error.c_str());
                    client.talkReleased();
                    talk = Talk::Done;
                    break;
                }
                events.print("talk-file-started %.3f", seconds());
                talk = Talk::Feeding;
            }
            break;
        case Talk::Feeding:
            if (events.talkEnded) {
                // Someone else took the floor at the same moment: talk the file again later.
                std::fprintf(stderr, "zumeli-cli: the floor was taken; waiting to talk again\n");
                talk = Talk::Waiting;
                break;
            }
            if (fileBackend->inputRemaining() == 0) {
                events.print("talk-file-done");
                tailEnd = now + TalkTailSeconds;
                talk = Talk::Tail;
            }
            break;
        case Talk::Tail:
            if (now >= tailEnd) {
                client.talkReleased();
                // The echo bot is ready for the next talk.
                talk = echo ? Talk::None : Talk::Done;
            }
            break;
        default:
            break;
        }
        // Without a duration a talking client stops once its talk is over.
        if (options.duration <= 0 && talk == Talk::Done && (events.talkEnded || exitCode != ExitDone))
            break;

        next += StepSeconds;
        double wait = next - seconds();
        if (wait > 0)
            pause(wait);
        else
            next = seconds();
    }

    if (exitCode == ExitDone && !events.voiceEverUp) {
        fail(events, "the voice connection did not come up within %.0f seconds",
             seconds() - start);
        exitCode = ExitNoVoice;
    } else if (exitCode == ExitDone && !echo && (talk == Talk::Waiting || talk == Talk::Pressed)) {
        fail(events, "the floor was never free within %.0f seconds: the talk was not made", seconds() - start);
        exitCode = ExitNoTalk;
    }

    // A clean stop: leave the channel and wait (bounded) for the service to confirm.
    if (events.loggedIn) {
        if (talk == Talk::Feeding || talk == Talk::Tail)
            client.talkReleased();
        client.disconnect();
        double until = seconds() + LogoutSeconds;
        while (!events.loggedOut && seconds() < until) {
            client.step(0);
            recorder.drain();
            pause(StepSeconds);
        }
    }
    client.setAudioDelegate(nullptr);
    hardware.close();
    if (!options.recordFile.empty() && !recorder.finish()) {
        fail(events, "writing %s failed", options.recordFile.c_str());
        if (exitCode == ExitDone)
            exitCode = ExitUsage;
    }
    return exitCode;
}

} // namespace Zumeli
