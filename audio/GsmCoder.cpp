#include "audio/GsmCoder.h"

#include <gsm.h>

#include <cstring>
#include <new>

namespace Zumeli {

namespace {

gsm createState()
{
    gsm state = gsm_create();
    if (!state)
        throw std::bad_alloc();
    int verbose = 0;
    gsm_option(state, GSM_OPT_VERBOSE, &verbose);
    return state;
}

} // namespace

GsmCoder::GsmCoder()
    : m_encoder(createState())
    , m_decoder(nullptr)
{
    try {
        m_decoder = createState();
    } catch (...) {
        gsm_destroy(m_encoder);
        throw;
    }
}

GsmCoder::~GsmCoder()
{
    gsm_destroy(m_encoder);
    gsm_destroy(m_decoder);
}

void GsmCoder::encode(const int16_t* samples, uint8_t* frame)
{
    // The library takes non-const pointers but only reads the input.
    gsm_signal input[FrameSamples];
    std::memcpy(input, samples, sizeof input);
    gsm_encode(m_encoder, input, frame);
}

bool GsmCoder::decode(const uint8_t* frame, int16_t* samples)
{
    gsm_byte input[FrameBytes];
    std::memcpy(input, frame, sizeof input);
    gsm_signal output[FrameSamples];
    if (gsm_decode(m_decoder, input, output) != 0)
        return false;
    std::memcpy(samples, output, sizeof output);
    return true;
}

} // namespace Zumeli
