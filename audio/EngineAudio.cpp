#include "audio/EngineAudio.h"

namespace Zumeli {

EngineAudio::EngineAudio()
{
    capture.setName("capture");
    capture.setSampleRate(NetworkRate);
    receive.setName("receive");
    receive.setSampleRate(NetworkRate);
}

} // namespace Zumeli
