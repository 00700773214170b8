#include "platform/paths.h"

#include <algorithm>
#include <dirent.h>
#include <sys/stat.h>

namespace plat {

namespace {

unsigned char Lower(unsigned char c) { return (c >= 'A' && c <= 'Z') ? c + 32 : c; }

bool Exists(const std::string& path) {
    struct stat st;
    return ::stat(path.empty() ? "." : path.c_str(), &st) == 0;
}

bool IsDir(const std::string& path) {
    struct stat st;
    return ::stat(path.empty() ? "." : path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::vector<std::string> RawList(const std::string& dir) {
    std::vector<std::string> names;
    DIR* d = ::opendir(dir.empty() ? "." : dir.c_str());
    if (!d) return names;
    while (dirent* e = ::readdir(d)) {
        std::string n = e->d_name;
        if (n != "." && n != "..") names.push_back(std::move(n));
    }
    ::closedir(d);
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        if (CaseInsensitiveLess(a, b)) return true;
        if (CaseInsensitiveLess(b, a)) return false;
        return a < b;
    });
    return names;
}

std::string Join(const std::string& dir, const std::string& name) {
    if (dir.empty()) return name;
    std::string out;
    out.reserve(dir.size() + 1 + name.size());
    out.append(dir);
    if (dir.back() != '/') out.push_back('/');
    out.append(name);
    return out;
}

} // namespace

bool CaseInsensitiveLess(std::string_view a, std::string_view b) {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return Lower(static_cast<unsigned char>(x)) < Lower(static_cast<unsigned char>(y));
    });
}

bool CaseInsensitiveEqual(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return Lower(static_cast<unsigned char>(x)) == Lower(static_cast<unsigned char>(y));
           });
}

std::string ResolvePath(std::string_view dataPath) {
    std::string path(dataPath);
    std::replace(path.begin(), path.end(), '\\', '/');

    std::string out;
    size_t pos = 0;
    if (!path.empty() && path[0] == '/') {
        out.push_back('/');
        pos = 1;
    }
    bool resolving = true; // stays true while every component so far exists
    while (pos <= path.size()) {
        size_t next = path.find('/', pos);
        if (next == std::string::npos) next = path.size();
        std::string comp = path.substr(pos, next - pos);
        pos = next + 1;
        if (comp.empty()) {
            if (next == path.size()) break;
            continue;
        }
        if (comp == "." || comp == "..") {
            out = Join(out, comp);
            continue;
        }
        std::string exact = Join(out, comp);
        if (resolving && !Exists(exact)) {
            std::string found;
            for (const std::string& n : RawList(out)) {
                if (CaseInsensitiveEqual(n, comp)) {
                    found = n;
                    break;
                }
            }
            if (!found.empty()) {
                exact = Join(out, found);
            } else {
                resolving = false;
            }
        }
        out = exact;
        if (next == path.size()) break;
    }
    return out;
}

std::vector<std::string> ListDirectory(std::string_view dataPath, bool filesOnly) {
    const std::string dir = ResolvePath(dataPath);
    if (!IsDir(dir)) return {};
    std::vector<std::string> names = RawList(dir);
    if (filesOnly) {
        std::erase_if(names, [&](const std::string& n) { return IsDir(Join(dir, n)); });
    }
    return names;
}

bool MakeDirectory(std::string_view dataPath) {
    const std::string dir = ResolvePath(dataPath);
    if (dir.empty()) return false;
    if (::mkdir(dir.c_str(), 0777) == 0) return true;
    return IsDir(dir);
}

} // namespace plat
