#include "ui/epiResourcePack.h"

#include "ui/epiRamFile.h"

#include <algorithm>

namespace {

constexpr uint32_t kPackVersion = 1;

} // namespace

bool epiResourcePack::open(std::unique_ptr<epiStream> stream)
{
    close();
    if (!stream)
        return false;
    m_atoms.setStream(stream.get());
    uint32_t version = 0, count = 0;
    if (!m_atoms.openExisting() || !m_atoms.readValue(epiFourCC("eRpk"), version) ||
        version != kPackVersion || !m_atoms.readValue(epiFourCC("sCnt"), count)) {
        m_atoms.setStream(nullptr);
        return false;
    }
    std::vector<fileElem> entries;
    for (uint32_t i = 0; i < count; ++i) {
        uint32_t nameSize = 0, declaredSize = 0;
        fileElem entry;
        // The name must fit in what is left of the stream: a damaged count cannot make us
        // allocate more than the file holds.
        uint64_t left = stream->size() - std::min(stream->size(), stream->position());
        if (!m_atoms.peekAtom(epiFourCC("Name"), &nameSize) || nameSize > left) {
            m_atoms.setStream(nullptr);
            return false;
        }
        entry.resize(nameSize);
        if (!m_atoms.readAtom(epiFourCC("Name"), entry.data(), nameSize) ||
            !m_atoms.readValue(epiFourCC("Size"), declaredSize)) {
            m_atoms.setStream(nullptr);
            return false;
        }
        uint64_t offset = 0;
        uint32_t size = 0;
        if (m_atoms.locateAtom(epiFourCC("Data"), &offset, &size)) {
            entry.dataOffset = offset;
            entry.dataSize = size;
        }
        entries.push_back(std::move(entry));
    }
    m_entries = std::move(entries);
    m_stream = std::move(stream);
    return true;
}

void epiResourcePack::close()
{
    m_entries.clear();
    m_atoms.setStream(nullptr);
    m_stream.reset();
}

const fileElem* epiResourcePack::find(std::string_view path) const
{
    // Entries always begin with "/"; the request may leave it out.
    if (path.starts_with('/'))
        path.remove_prefix(1);
    for (const fileElem& entry : m_entries) {
        std::string_view name = entry.view();
        if (name.size() == path.size() + 1 && name.front() == '/' && name.substr(1) == path)
            return &entry;
    }
    return nullptr;
}

bool epiResourcePack::read(const fileElem& entry, epiRamFile& target)
{
    target.setBytes({});
    target.resize(entry.dataSize);
    if (!m_stream || !m_stream->seek(static_cast<int64_t>(entry.dataOffset), epiStream::kStart))
        return false;
    if (entry.dataSize && !m_stream->read(target.mutableData(), entry.dataSize))
        return false;
    target.seek(0, epiStream::kStart);
    return true;
}

bool epiResourcePack::write(epiStream& out,
                            const std::vector<std::pair<std::string, std::vector<uint8_t>>>& files,
                            bool swapped)
{
    epiAtomsFile atoms(&out);
    if (!atoms.createNew(swapped) || !atoms.writeValue(epiFourCC("eRpk"), kPackVersion) ||
        !atoms.writeValue(epiFourCC("sCnt"), static_cast<uint32_t>(files.size())))
        return false;
    for (const auto& [path, bytes] : files) {
        std::string name = path.starts_with('/') ? path : "/" + path;
        if (!atoms.writeAtom(epiFourCC("Name"), name.data(), static_cast<uint32_t>(name.size())) ||
            !atoms.writeValue(epiFourCC("Size"), static_cast<uint32_t>(bytes.size())) ||
            !atoms.writeAtom(epiFourCC("Data"), bytes.data(), static_cast<uint32_t>(bytes.size())))
            return false;
    }
    return atoms.writeValue(epiFourCC("Rend"), 0);
}
