#include "tests/support/game_dir.h"

#include <filesystem>

#include "platform/paths.h"

namespace krxtest {

GameDir::GameDir() {
    // Folders only: a file at the top would be a game's output. The folders
    // the game writes into are its own, empty, so tests never share saves.
    for (const auto& entry : std::filesystem::directory_iterator(DataDir())) {
        if (!entry.is_directory()) continue;
        const std::filesystem::path name = entry.path().filename();
        if (plat::CaseInsensitiveEqual(name.string(), "SAVE"))
            std::filesystem::create_directory(Path() / name);
        else
            std::filesystem::create_directory_symlink(entry.path(), Path() / name);
    }
}

} // namespace krxtest
