#pragma once

#include "data/Text.h"

#include <filesystem>
#include <unistd.h>

// A fresh folder for one test, removed afterwards; folder() ends with '/' like the cache folder.
class TempFolder {
public:
    explicit TempFolder(const char* tag)
        : m_path(std::filesystem::temp_directory_path()
                 / (std::string("zumeli-") + tag + "-" + std::to_string(getpid()) + "-" + std::to_string(counter()++)))
    {
        std::filesystem::remove_all(m_path);
        std::filesystem::create_directories(m_path);
    }
    ~TempFolder() { std::filesystem::remove_all(m_path); }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    Zumeli::Text folder() const { return Zumeli::Text(m_path.string() + "/"); }
    Zumeli::Text file(const char* name) const { return Zumeli::Text((m_path / name).string()); }

private:
    static int& counter()
    {
        static int value = 0;
        return value;
    }
    std::filesystem::path m_path;
};
