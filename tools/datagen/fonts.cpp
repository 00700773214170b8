// The four bitmap font files of the data set.
#include "tools/datagen/font_files.h"
#include "tools/datagen/generators.h"

namespace {

datagen::Register reg("fonts", [](const std::filesystem::path& out) {
    return datagen::WriteFontFiles(out, std::vector<datagen::FontFileSpec>(std::begin(datagen::kGameFonts),
                                                                           std::end(datagen::kGameFonts)));
});

} // namespace
