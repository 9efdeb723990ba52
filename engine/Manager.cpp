#include "engine/Manager.h"

namespace Zumeli {

Manager::Manager()
{
    // At start the engine is tuned to channel 1000 with the service's default voice server; the
    // first join reply replaces it.
    session.currentChannel = 1000;
    session.channel = channels.getOrCreate(1000);
}

Manager::~Manager() = default;

Manager& Manager::instance()
{
    static Manager* manager = new Manager(); // kept until the process ends
    return *manager;
}

void Manager::setServiceAddress(const ServiceAddress& address)
{
    loginEndpoint.setAddress(address);
    sessionEndpoint.setAddress(address);
    ChannelElement* defaultChannel = channels.getOrCreate(1000);
    if (defaultChannel->address.isEmpty() || defaultChannel->port == 0) {
        defaultChannel->address = address.host;
        defaultChannel->port = 9995;
    }
}

void Manager::openCache(const Text& cacheFolder)
{
    documents.openIn(cacheFolder);
    Text address = channels.getOrCreate(1000)->address;
    channels.load(cacheFolder);
    // The cache may not know channel 1000 yet; it keeps its default voice server then.
    ChannelElement* defaultChannel = channels.getOrCreate(1000);
    if (defaultChannel->address.isEmpty()) {
        defaultChannel->address = address;
        defaultChannel->port = 9995;
    }
    session.channel = channels.getOrCreate(session.currentChannel);
    session.people.load(cacheFolder);
}

void Manager::setClock(const AudioClock* audioClock)
{
    clock = audioClock;
    channelEvents.setClock(audioClock);
}

} // namespace Zumeli
