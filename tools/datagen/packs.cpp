// The sprite packs of the data set.
#include "tools/datagen/generators.h"
#include "tools/datagen/pack_builder.h"

namespace {

datagen::Register reg("packs", [](const std::filesystem::path& out) {
    return datagen::WritePack(out, datagen::CursorPack());
});

} // namespace
