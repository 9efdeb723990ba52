#include "audio/ClientAudio.h"

#include <algorithm>
#include <charconv>
#include <cstdio>

namespace Zumeli {

namespace {

const char* const SoundNames[ClientAudio::SoundCount] = {
    "online.raw", "smile_00.raw", "smile_01.raw", "smile_02.raw", "smile_03.raw",
    "smile_04.raw", "smile_05.raw", "smile_06.raw", "tms.raw",
};

float number(const IAudioPreferences& preferences, const char* key, float fallback)
{
    std::string text = preferences.value(key, "");
    float result = fallback;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), result);
    if (error != std::errc() || end == text.data())
        return fallback;
    return result;
}

} // namespace

ClientAudio::ClientAudio(EngineAudio& engine)
    : m_engine(engine)
{
    m_signals.setName("signals");
    m_trail.setName("preroll");
    m_replay.setName("replay");
    m_replay.setSampleRate(EngineAudio::NetworkRate);
    m_scratch.allocateZeroed(ScratchSamples);
    m_mix.allocateZeroed(ScratchSamples);
    m_sidetone.allocateZeroed(ScratchSamples);
    m_preRoll.allocateZeroed(PreRollSamples);
    m_detector.setTimeSource(&m_clock);
}

bool ClientAudio::setAudioRate(int32_t rate)
{
    if (rate <= 0 || rate > MaxRate)
        return false;
    m_toNetwork.init(rate, EngineAudio::NetworkRate);
    m_toDevice.init(EngineAudio::NetworkRate, rate);
    m_replayToDevice.init(EngineAudio::NetworkRate, rate);
    m_signals.setSampleRate(rate);
    m_trail.setSampleRate(rate);
    m_startTalk.build(rate);
    m_ackTalk.build(rate);
    m_endTalk.build(rate);
    m_detector.meter().setSampleRate(rate);
    for (int32_t i = 0; i < SoundCount; ++i) {
        if (m_soundProvider)
            m_sounds[i].load(*m_soundProvider, SoundNames[i], rate);
        else
            m_sounds[i].allocate(0);
    }
    m_rate.store(rate, std::memory_order_release);
    return true;
}

void ClientAudio::play(const AudioData& block)
{
    if (audioRate() > 0 && block.count() > 0)
        m_signals.write(block);
}

void ClientAudio::playSound(Sound sound)
{
    int32_t index = int32_t(sound);
    if (index >= 0 && index < SoundCount)
        play(m_sounds[index]);
}

void ClientAudio::playSmile(int32_t index)
{
    if (index >= 0 && index < SmileCount)
        play(m_sounds[int32_t(Sound::Smile0) + index]);
}

bool ClientAudio::requestReplay()
{
    if (m_replay.available() <= 0)
        return false;
    m_replayOn.store(true, std::memory_order_release);
    return true;
}

void ClientAudio::loadSwitches(const IAudioPreferences& preferences)
{
    setSidetoneOn(number(preferences, "public.playthru", 0) != 0);
    setSignalsOn(number(preferences, "public.cbsounds", 1) != 0);
    setMessageSoundOn(number(preferences, "public.messagereceivedfeed", 0) != 0);
    setDiscardReceivedWhileTalking(number(preferences, "public.flushqueuewhentalk", 0) != 0);
}

void ClientAudio::loadGains(const IAudioPreferences& preferences)
{
    setInputGain(number(preferences, "private.volumein", 1));
    setOutputVolume(number(preferences, "private.volumeout", 1));
}

void ClientAudio::takeMessages()
{
    ClientMessage message;
    while (m_engine.toAudio.take(message)) {
        if (message.code == EngineAudio::DiscardReceived)
            m_engine.receive.skipAll();
        else if (message.code == EngineAudio::DiscardReplay)
            m_replay.skipAll();
    }
}

void ClientAudio::capture(AudioData& block, int32_t rate)
{
    block.scale(inputGain());
    block.clamp(1);
    if (sidetoneOn())
        m_sidetone.copyFrom(block, false);
    if (rate == EngineAudio::NetworkRate) {
        m_engine.captureMeter.update(block);
        m_engine.capture.write(block);
    } else {
        m_scratch.setCount(m_toNetwork.shrinkBound(block.count()));
        m_scratch.setCount(m_toNetwork.shrink(block.samples(), block.count(), m_scratch.samples()));
        m_engine.captureMeter.update(m_scratch);
        m_engine.capture.write(m_scratch);
    }
    if (IClientAudioDelegate* delegate = m_delegate.load(std::memory_order_acquire))
        delegate->microphoneAudio(block.samples(), block.count());
}

void ClientAudio::talkChanged(bool talk, int32_t rate)
{
    if (talk) {
        // Every talk opens with the half second before the key went down.
        m_engine.capture.reset();
        m_preRoll.setCount(rate / 2);
        if (!m_trail.read(m_preRoll, false))
            m_preRoll.clear();
        capture(m_preRoll, rate);
    } else {
        // Pad the last frame so that the codec can send all of it.
        int32_t frame = m_engine.talk.frameSamples();
        int64_t written = m_engine.capture.writeCount();
        int32_t zeros = 0;
        if (frame > 0 && written % frame != 0) {
            zeros = frame - int32_t(written % frame);
            if (!m_engine.capture.writeSilence(zeros))
                zeros = 0;
        }
        // The codec reads whole frames only: a last frame that could not be padded (a full
        // buffer) is left out, so the reported end is always one the reader reaches.
        int64_t end = m_engine.capture.writeCount();
        if (frame > 0)
            end -= end % frame;
        m_engine.talk.reportCaptureEnd(end, zeros);
    }
    m_talkSeen = talk;
    m_replayOn.store(false, std::memory_order_release);
}

void ClientAudio::processAudio(float* samples, int32_t n)
{
    int32_t rate = audioRate();
    if (!samples || n <= 0)
        return;
    if (rate <= 0 || n > ScratchSamples || m_toNetwork.shrinkBound(n) > ScratchSamples) {
        // No stream configured, or a block larger than any the device layer delivers.
        m_working.wrap(samples, n);
        m_working.clear();
        return;
    }

    takeMessages();
    m_working.wrap(samples, n);
    // The 8000 Hz samples this block plays.
    int32_t c = m_toDevice.inputsFor(n);

    bool talk = m_engine.talk.talkActive();
    if (talk != m_talkSeen)
        talkChanged(talk, rate);

    m_detector.meter().update(m_working);

    if (talk) {
        if (discardReceivedWhileTalking())
            m_engine.receive.skipAll();
        capture(m_working, rate);
    } else {
        m_engine.captureMeter.decay(c);
        m_trail.write(m_working);
    }

    // From here on the block is the output.
    m_working.clear();

    m_scratch.setCount(c);
    bool received = m_engine.receive.read(m_scratch, true);
    if (received) {
        // Fade in at the start of a talk, out when the buffer is about to run dry.
        m_scratch.fade(m_fadeGain, m_engine.receive.available() > c);
        m_engine.receiveMeter.update(m_scratch);
        m_replay.write(m_scratch);
        m_replayOn.store(false, std::memory_order_release);
        m_toDevice.grow(m_scratch.samples(), c, m_working.samples(), n);
        if (IClientAudioDelegate* delegate = m_delegate.load(std::memory_order_acquire))
            delegate->receivedAudio(m_working.samples(), n);
        // No voice activation while someone is heard.
        m_detector.requestReset();
    } else {
        m_toDevice.skip(c, n);
    }

    if (m_signals.available() > 0) {
        m_scratch.setCount(n);
        if (m_signals.read(m_scratch, true))
            m_working.add(m_scratch);
    }

    if (m_replayOn.load(std::memory_order_acquire)) {
        int32_t replayCount = m_replayToDevice.inputsFor(n);
        m_scratch.setCount(replayCount);
        if (m_replay.read(m_scratch, true)) {
            m_mix.setCount(n);
            m_replayToDevice.grow(m_scratch.samples(), replayCount, m_mix.samples(), n);
            m_working.add(m_mix);
        } else {
            m_replayToDevice.skip(replayCount, n);
            m_replayOn.store(false, std::memory_order_release);
        }
    }

    m_working.scale(outputVolume());
    if (!received)
        m_engine.receiveMeter.decay(c);

    if (sidetoneOn() && talk)
        m_working.add(m_sidetone);
    m_working.clamp(1);

    m_clock.advance(n, rate);
}

} // namespace Zumeli
