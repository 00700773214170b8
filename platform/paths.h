#pragma once
#include <string>
#include <string_view>
#include <vector>

namespace plat {

// Data paths are written the old way ("Fonts\EM0816.FNT", "map\wrd"): the
// separator is '\' and the case is not to be trusted. ResolvePath turns them
// into a path on disk: '\' becomes '/', and each component that exists is
// matched exactly, else case-insensitively (the first match in sorted order).
// Components that do not exist are kept as given, so a new file keeps its name.
std::string ResolvePath(std::string_view dataPath);

// Names in a folder (data-path form accepted), sorted case-insensitively.
// Files only when filesOnly is set. Empty when the folder does not exist.
std::vector<std::string> ListDirectory(std::string_view dataPath, bool filesOnly = true);

// Makes a folder (data-path form accepted; the folders above it must exist).
// True when it exists as a folder afterwards, also when it already did.
bool MakeDirectory(std::string_view dataPath);

bool CaseInsensitiveLess(std::string_view a, std::string_view b);
bool CaseInsensitiveEqual(std::string_view a, std::string_view b);

} // namespace plat
