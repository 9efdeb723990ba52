#include "ui/epiNativeResources.h"

#include <map>
#include <utility>

namespace {

std::map<int, std::pair<const uint8_t*, size_t>>& table()
{
    static std::map<int, std::pair<const uint8_t*, size_t>> resources;
    return resources;
}

} // namespace

void epiNativeResources::add(int identifier, const uint8_t* bytes, size_t size)
{
    table()[identifier] = {bytes, size};
}

bool epiNativeResources::find(int identifier, const uint8_t*& bytes, size_t& size)
{
    auto found = table().find(identifier);
    if (found == table().end())
        return false;
    bytes = found->second.first;
    size = found->second.second;
    return true;
}

void epiNativeResources::remove(int identifier)
{
    table().erase(identifier);
}
