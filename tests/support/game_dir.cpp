#include "tests/support/game_dir.h"

#include <filesystem>

namespace krxtest {

GameDir::GameDir() {
    // Folders only: a file at the top would be a game's output.
    for (const auto& entry : std::filesystem::directory_iterator(DataDir()))
        if (entry.is_directory())
            std::filesystem::create_directory_symlink(entry.path(), Path() / entry.path().filename());
}

} // namespace krxtest
