#pragma once
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace datagen {

// One piece of the data set: writes its files below the output folder and
// says what it wrote. Returns false on a failure that makes the set unusable.
struct Generator {
    std::string name;
    std::function<bool(const std::filesystem::path& out)> run;
    // A piece that reads what the others wrote runs after all of them.
    bool readsTheSet = false;
};

// Every piece, in the order they are written.
std::vector<Generator>& Registry();

// Registers a generator at static-initialisation time.
struct Register {
    Register(std::string name, std::function<bool(const std::filesystem::path&)> run, bool readsTheSet = false);
};

} // namespace datagen
