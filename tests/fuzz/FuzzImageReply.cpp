// Feeds arbitrary replies to the picture reply reader, writing into a scratch folder, and checks
// that a written picture is exactly what followed the marker.
#include "engine/ImageReply.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <unistd.h>

using namespace Zumeli;

namespace {

const std::string& targetPath()
{
    static const std::string path = [] {
        char folder[] = "/tmp/zumeli-fuzz-image-XXXXXX";
        if (!mkdtemp(folder))
            std::abort();
        static std::string created = folder;
        std::atexit([] {
            ::unlink((created + "/picture.jpg").c_str());
            ::rmdir(created.c_str());
        });
        return created + "/picture.jpg";
    }();
    return path;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const Text target(targetPath().c_str());
    Text("previous").saveToFile(target);
    ImageReplyResult result = readImageReply(data, size, target);
    Text written;
    bool present = written.loadFromFile(target);
    std::string_view reply(reinterpret_cast<const char*>(data), size);
    switch (result) {
    case ImageReplyResult::Failed:
        if (!present || !written.equals("previous"))
            std::abort(); // a failed read leaves the file alone
        break;
    case ImageReplyResult::NoPicture:
        if (present)
            std::abort(); // no picture: the old one is gone
        break;
    case ImageReplyResult::Written:
        // The picture is a tail of the reply.
        if (!present || written.str().size() > reply.size()
            || reply.substr(reply.size() - written.str().size()) != written.str())
            std::abort();
        break;
    }
    return 0;
}
