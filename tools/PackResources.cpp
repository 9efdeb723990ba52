// zumeli-pack: writes a resource pack (.prs) from one or more resource folders.
//
//   zumeli-pack [--swapped] OUTPUT.prs FOLDER [FOLDER...]
//
// Every file below each folder is packed under its path relative to that folder ("/layouts/
// about.xml"), in sorted order so the pack is the same on every build. A path found in two
// folders is an error. Names beginning with "." are left out. --swapped writes the other byte order.
#include "ui/epiFile.h"
#include "ui/epiResourcePack.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

bool hidden(const fs::path& relative)
{
    for (const fs::path& part : relative)
        if (part.string().starts_with('.'))
            return true;
    return false;
}

} // namespace

int main(int argc, char** argv)
{
    bool swapped = false;
    int first = 1;
    if (argc > 1 && std::strcmp(argv[1], "--swapped") == 0) {
        swapped = true;
        ++first;
    }
    if (argc - first < 2) {
        std::fprintf(stderr, "usage: %s [--swapped] OUTPUT.prs FOLDER [FOLDER...]\n", argv[0]);
        return 2;
    }
    // epiFile takes relative paths from the program's folder; a command line means the current one.
    std::string output = fs::absolute(argv[first]).string();
    std::map<std::string, fs::path> sources;
    for (int i = first + 1; i < argc; ++i) {
        fs::path root = argv[i];
        std::error_code error;
        if (!fs::is_directory(root, error)) {
            std::fprintf(stderr, "zumeli-pack: %s is not a folder\n", argv[i]);
            return 1;
        }
        for (auto it = fs::recursive_directory_iterator(root, error);
             it != fs::recursive_directory_iterator(); it.increment(error)) {
            if (error)
                break;
            if (!it->is_regular_file())
                continue;
            fs::path relative = fs::relative(it->path(), root);
            // Skin drawings are packed as the images the build rasterises from them.
            if (hidden(relative) || relative.extension() == ".svg")
                continue;
            std::string name = "/" + relative.generic_string();
            if (!sources.emplace(name, it->path()).second) {
                std::fprintf(stderr, "zumeli-pack: %s is in two folders\n", name.c_str());
                return 1;
            }
        }
        if (error) {
            std::fprintf(stderr, "zumeli-pack: cannot list %s: %s\n", argv[i], error.message().c_str());
            return 1;
        }
    }
    std::vector<std::pair<std::string, std::vector<uint8_t>>> files;
    for (const auto& [name, path] : sources) {
        std::ifstream in(path, std::ios::binary);
        std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        if (!in.good() && !in.eof()) {
            std::fprintf(stderr, "zumeli-pack: cannot read %s\n", path.c_str());
            return 1;
        }
        files.emplace_back(name, std::move(bytes));
    }
    // Written beside the target and renamed, so a failed run never leaves half a pack.
    std::string temporary = output + ".tmp";
    epiFile out;
    if (!out.open(epiPath(temporary.c_str()), epiFile::kReadWrite | epiFile::kDeleteFirst) ||
        !epiResourcePack::write(out, files, swapped)) {
        std::fprintf(stderr, "zumeli-pack: cannot write %s\n", temporary.c_str());
        return 1;
    }
    out.close();
    std::error_code error;
    fs::rename(temporary, output, error);
    if (error) {
        std::fprintf(stderr, "zumeli-pack: cannot write %s: %s\n", output.c_str(), error.message().c_str());
        return 1;
    }
    std::printf("zumeli-pack: %zu files in %s\n", files.size(), output.c_str());
    return 0;
}
