#include "server/WebApi.h"

#include "server/Log.h"
#include "server/Sessions.h"
#include "server/Store.h"
#include "server/WebHelpers.h"

#include <algorithm>

namespace Zumeli {

namespace {

constexpr size_t StreamPieceBytes = 64 * 1024;
// Pictures larger than this are decoded and stored away from the event loop.
constexpr size_t BackgroundHexBytes = 256 * 1024;

} // namespace

WebApi::Reply WebApi::saveImage(const FormData& form, int64_t nowMs)
{
    Session* session = this->session(form, nowMs);
    if (!session)
        return xml(XmlReply::fail("INVALID SESSION"));
    long type = form.number("imagetype", -1);
    long param = form.number("paramid", -1);
    if (m_picture.empty())
        return xml(XmlReply::fail("BAD IMAGE DATA"));
    bool allowed = false;
    if (type == 2) {
        allowed = param == session->userId && !session->guest;
    } else if (type == 0 || type == 1 || type == 3) {
        // Channel pictures: the administration, or any registered member of a free channel.
        auto channel = m_store.channel(int(param));
        allowed = channel && !session->guest &&
                  (channel->adminId == 0 ? session->channel == channel->number
                                         : isAdminOrCoadmin(channel->number, session->userId));
    } else if (type == 4) {
        allowed = session->channel == param; // the photo shared with the channel one is in
    }
    if (!allowed)
        return xml(XmlReply::fail("NOT ALLOWED"), 403);
    bool large = m_picture.size() > BackgroundHexBytes;
    // Decoding and storing touch nothing but the given store, so they can run on the worker.
    auto store = [encoded = std::string(m_picture), type, param, user = session->userId,
                  limit = m_config.maxImageBytes](Store& into) {
        std::string hex = FormData::decode(encoded);
        if (hex.size() > 2 * limit)
            return xml(XmlReply::fail("IMAGE TOO LARGE"), 413);
        std::vector<uint8_t> bytes;
        if (hex.empty() || !decodeHex(hex, bytes))
            return xml(XmlReply::fail("BAD IMAGE DATA"));
        int version = into.saveImage(int(type), int(param), bytes);
        if (!version)
            return xml(XmlReply::fail("SERVER ERROR"), 500);
        Log::info("image type %ld id %ld saved by user %d (%zu bytes, version %d)", type, param, user,
                  bytes.size(), version);
        return xml(XmlReply::ok().number("postimageresult", 1).number("version", version));
    };
    if (m_backgroundStore && large) {
        Reply reply;
        reply.background = [store = std::move(store), into = m_backgroundStore]() mutable {
            return store(*into);
        };
        return reply;
    }
    return store(m_store);
}

WebApi::Reply WebApi::loadImage(const FormData& form, int64_t nowMs)
{
    if (!session(form, nowMs))
        return xml(XmlReply().text("loadimage", "INVALID SESSION"), 403);
    auto image = m_store.findImage(int(form.number("imagetype", -1)), int(form.number("paramid", -1)));
    if (!image)
        return xml(XmlReply().text("loadimage", "NOT FOUND"), 404);
    // The picture leaves in pieces read from the database as the client takes them, so a client
    // that does not read costs one piece, not the whole picture.
    std::string head = httpResponse(200, "image/jpeg", std::string_view());
    head.replace(head.find("Content-Length: 0"), 17, "Content-Length: " + std::to_string(image->size));
    Reply reply{200, std::move(head)};
    Store& store = m_store;
    size_t offset = 0;
    reply.stream = [&store, image = *image, offset](std::string& out) mutable {
        size_t count = std::min(StreamPieceBytes, image.size - offset);
        if (!store.readImage(image, offset, count, out))
            return StreamFailed;
        offset += count;
        return offset < image.size ? StreamMore : StreamDone;
    };
    return reply;
}

} // namespace Zumeli
