#pragma once

// Test fixtures: resource sets built in memory or in a scratch folder from (path, bytes) lists.
#include "PrintText.h"
#include "ui/epiNativeResources.h"
#include "ui/epiRamFile.h"
#include "ui/epiResourcePack.h"
#include "ui/epiResources.h"

#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <utility>
#include <vector>

using TestFiles = std::vector<std::pair<std::string, std::vector<uint8_t>>>;

inline std::vector<uint8_t> bytesOf(std::string_view text)
{
    return {text.begin(), text.end()};
}

inline std::vector<uint8_t> readFileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline std::vector<uint8_t> packBytes(const TestFiles& files, bool swapped = false)
{
    epiRamFile out;
    epiResourcePack::write(out, files, swapped);
    return out.bytes();
}

// A pack registered as a linked-in resource for the fixture's lifetime.
class LinkedTestPack
{
public:
    LinkedTestPack(const TestFiles& files, int identifier = 31000, bool swapped = false)
        : m_bytes(packBytes(files, swapped)), m_identifier(identifier)
    {
        epiNativeResources::add(identifier, m_bytes.data(), m_bytes.size());
    }
    ~LinkedTestPack() { epiNativeResources::remove(m_identifier); }
    int identifier() const { return m_identifier; }
    std::vector<uint8_t>& bytes() { return m_bytes; }

private:
    std::vector<uint8_t> m_bytes;
    int m_identifier;
};

// A scratch folder removed with the fixture.
class ScratchFolder
{
public:
    ScratchFolder()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "zumeli-ui-XXXXXX").string();
        m_path = mkdtemp(pattern.data()) ? pattern : std::string();
    }
    ~ScratchFolder()
    {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    const std::string& path() const { return m_path; }
    void write(const std::string& relative, const std::vector<uint8_t>& bytes) const
    {
        std::filesystem::path file = std::filesystem::path(m_path) / relative;
        std::filesystem::create_directories(file.parent_path());
        std::ofstream(file, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    }
    void writeAll(const std::string& prefix, const TestFiles& files) const
    {
        for (const auto& [path, bytes] : files)
            write(prefix + path, bytes);
    }

private:
    std::string m_path;
};

inline std::string layoutDocument(const std::string& name, const std::string& body = "")
{
    return "<epi><version>4</version><signature>layout</signature><content><version>1</version><kind>ubob</"
           "kind><name>" +
           name + "</name>" + body + "</content></epi>";
}
