// The grounds of the missions and battle maps: one tile bank shared by all
// of them, and for every map of the world layouts its .map/.mi/.ani files.
#include "tools/datagen/generators.h"
#include "tools/datagen/layout_ground.h"

namespace datagen {

namespace {

bool WriteMissionGrounds(const std::filesystem::path& out) {
    const MissionBank bank;
    bool ok = true;
    for (uint32_t number : GroundMapNumbers())
        ok &= WriteGround(out, number, LayoutGround(BuildWorldLayout(number), bank), bank.bank);
    return ok;
}

Register reg("mission grounds", WriteMissionGrounds);

} // namespace

} // namespace datagen
