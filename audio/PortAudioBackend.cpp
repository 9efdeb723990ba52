#include "audio/PortAudioBackend.h"

#include <alsa/asoundlib.h>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <portaudio.h>
#include <unistd.h>

namespace Zumeli {

namespace {

void quietAlsa(const char*, int, const char*, int, const char*, ...) { }

// Sends the process's standard error to /dev/null while the sound libraries probe.
class QuietStandardError {
public:
    QuietStandardError()
    {
        std::fflush(stderr);
        m_saved = ::dup(STDERR_FILENO);
        int null = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
        if (null >= 0) {
            ::dup2(null, STDERR_FILENO);
            ::close(null);
        }
    }
    ~QuietStandardError()
    {
        std::fflush(stderr);
        if (m_saved >= 0) {
            ::dup2(m_saved, STDERR_FILENO);
            ::close(m_saved);
        }
    }

private:
    int m_saved = -1;
};

int findDevice(const std::string& name, bool input)
{
    if (!name.empty()) {
        for (int i = 0, count = Pa_GetDeviceCount(); i < count; ++i) {
            const PaDeviceInfo* info = Pa_GetDeviceInfo(i);
            if (info && name == info->name && (input ? info->maxInputChannels : info->maxOutputChannels) > 0)
                return i;
        }
    }
    return input ? Pa_GetDefaultInputDevice() : Pa_GetDefaultOutputDevice();
}

} // namespace

namespace {

bool g_libraryRunning = false;

} // namespace

bool PortAudioBackend::startLibrary()
{
    snd_lib_error_set_handler(quietAlsa);
    // JACK is only wanted when a server already runs; never start one.
    setenv("JACK_NO_START_SERVER", "1", 0);
    QuietStandardError quiet;
    g_libraryRunning = Pa_Initialize() == paNoError;
    return g_libraryRunning;
}

bool PortAudioBackend::initialise()
{
    static const bool started = startLibrary();
    (void)started;
    return g_libraryRunning;
}

bool PortAudioBackend::reinitialise()
{
    initialise();
    if (g_libraryRunning) {
        QuietStandardError quiet;
        Pa_Terminate();
        g_libraryRunning = false;
    }
    return startLibrary();
}

std::vector<PortAudioBackend::Device> PortAudioBackend::devices()
{
    std::vector<Device> list;
    if (!initialise())
        return list;
    for (int i = 0, count = Pa_GetDeviceCount(); i < count; ++i) {
        if (const PaDeviceInfo* info = Pa_GetDeviceInfo(i))
            list.push_back({ info->name ? info->name : "", info->maxInputChannels, info->maxOutputChannels,
                             info->defaultSampleRate });
    }
    return list;
}

PortAudioBackend::~PortAudioBackend() { stop(); }

bool PortAudioBackend::open(const std::string& inputDevice, const std::string& outputDevice, IAudioBlockHandler& handler)
{
    stop();
    if (!initialise())
        return false;
    m_handler = &handler;

    PaStreamParameters output {};
    PaStreamParameters input {};
    int outputIndex = findDevice(outputDevice, false);
    int inputIndex = findDevice(inputDevice, true);
    const PaDeviceInfo* outputInfo = outputIndex >= 0 ? Pa_GetDeviceInfo(outputIndex) : nullptr;
    const PaDeviceInfo* inputInfo = inputIndex >= 0 ? Pa_GetDeviceInfo(inputIndex) : nullptr;
    m_hasOutput = outputInfo && outputInfo->maxOutputChannels > 0;
    m_hasInput = inputInfo && inputInfo->maxInputChannels > 0;
    if (!m_hasOutput && !m_hasInput)
        return false;
    double rate = 44100;
    if (m_hasOutput) {
        output = { outputIndex, 1, paFloat32, outputInfo->defaultLowOutputLatency, nullptr };
        rate = outputInfo->defaultSampleRate;
    }
    if (m_hasInput) {
        input = { inputIndex, 1, paFloat32, inputInfo->defaultLowInputLatency, nullptr };
        rate = inputInfo->defaultSampleRate;
    }
    PaStream* stream = nullptr;
    PaError result;
    {
        QuietStandardError quiet;
        result = Pa_OpenStream(&stream, m_hasInput ? &input : nullptr, m_hasOutput ? &output : nullptr, rate, BlockFrames,
                               paClipOff, reinterpret_cast<PaStreamCallback*>(&PortAudioBackend::callback), this);
    }
    if (result != paNoError) {
        std::fprintf(stderr, "zumeli: cannot open the sound device: %s\n", Pa_GetErrorText(result));
        return false;
    }
    m_stream = stream;
    m_rate = int32_t(rate);
    return true;
}

bool PortAudioBackend::start()
{
    if (!m_stream)
        return false;
    PaError result = Pa_StartStream(static_cast<PaStream*>(m_stream));
    if (result != paNoError)
        std::fprintf(stderr, "zumeli: cannot start the sound device: %s\n", Pa_GetErrorText(result));
    return result == paNoError;
}

void PortAudioBackend::stop()
{
    if (!m_stream)
        return;
    Pa_StopStream(static_cast<PaStream*>(m_stream));
    Pa_CloseStream(static_cast<PaStream*>(m_stream));
    m_stream = nullptr;
}

int PortAudioBackend::callback(const void* input, void* output, unsigned long frames, const void*, unsigned long, void* self)
{
    auto* backend = static_cast<PortAudioBackend*>(self);
    int32_t n = int32_t(frames < BlockFrames ? frames : BlockFrames);
    const float* in = input ? static_cast<const float*>(input) : backend->m_silence;
    float* out = output ? static_cast<float*>(output) : backend->m_discard;
    backend->m_handler->handleBlock(in, out, n);
    if (output)
        for (unsigned long i = (unsigned long)n; i < frames; ++i)
            out[i] = 0.0f;
    return paContinue;
}

} // namespace Zumeli
