// The mission files "MAP\wrd0NNNN.BUD" of every ground map: the world layout
// gives their start points, their occupancy grids (so that what blocks is
// what the ground shows) and the lots their buildings stand on; the things
// stand on the open ground around them (mission_things.h), the enemies and
// animals where the start can walk to (mission_fighters.h).
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "game/setting.h"
#include "platform/byte_reader.h"
#include "tools/datagen/content_names.h"
#include "tools/datagen/generators.h"
#include "tools/datagen/ground_builder.h"
#include "tools/datagen/mission_fighters.h"
#include "tools/datagen/mission_things.h"
#include "tools/datagen/world_layout.h"

namespace datagen {

namespace {

using content::BuildingKind;

// Occupancy values.
enum : uint8_t { kFree = 0, kBlockAll = 1, kBlockWalk = 2, kCover = 3 };

// Objects are kept right of this: the view never shows what lies left of it.
constexpr int32_t kLeftEdge = 64;
// The view stops at the map's top and bottom edges, and the panel's bar
// covers the screen's last 33 rows: the ground is blocked where a character
// could stand with part of its picture out of sight. A character keeps a
// cell and a step's look-ahead from what blocks, so it stands at least 16
// pixels below the top margin (its picture reaches 80 pixels above its feet
// in flight) and 40 above the bottom edge.
constexpr int32_t kTopMargin = 72, kBottomMargin = 28;

struct Placed {
    const BuildingKind* kind;
    MapPixel centre; // the middle of its footprint
};

// Fields are dirt away from water; the dirt along water is shore.
bool IsField(const WorldLayout& w, int32_t x, int32_t y) {
    const Cell c = CellAt(x, y);
    if (w.At(c) != Terrain::Dirt) return false;
    const int32_t around[4][2] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}};
    for (const auto& d : around)
        if (w.CellTerrain(c.c + d[0], c.r + d[1]) == Terrain::Water) return false;
    return true;
}

bool InFootprint(const Placed& b, int32_t x, int32_t y, int32_t margin = 0) {
    const double dx = std::abs(x - b.centre.x) / static_cast<double>(b.kind->footHalfW + margin);
    const double dy = std::abs(y - b.centre.y) / static_cast<double>(b.kind->footHalfH + margin / 2);
    return dx + dy <= 1.0;
}

// A building on most lots of the town, none where a player starts; a watch
// tower on each corner of the town wall.
std::vector<Placed> Buildings(const WorldLayout& w) {
    static constexpr content::BuildingKindIndex kLotKinds[] = {
        content::kCottage, content::kHall, content::kBarn,       content::kCottage,
        content::kSilo,    content::kBarn, content::kWalledYard, content::kRuinedWall,
    };
    std::vector<Placed> placed;
    const auto place = [&](const Placed& b) {
        for (const MapPixel& s : w.starts)
            if (InFootprint(b, s.x, s.y, 48)) return;
        placed.push_back(b);
    };
    for (size_t i = 0; i < w.lots.size(); ++i) {
        const uint32_t h = Hash(w.number, static_cast<uint32_t>(i), 0xB1D);
        if (h % 6 == 0) continue; // an open square
        place({&content::kBuildingKinds[kLotKinds[(h >> 4) % std::size(kLotKinds)]], w.lots[i].centre});
    }
    const CellRect& t = w.town;
    for (const Cell corner : {Cell{t.c0, t.r0}, Cell{t.c1, t.r0}, Cell{t.c0, t.r1}, Cell{t.c1, t.r1}}) {
        const MapPixel p = CellPoint(corner.c, corner.r);
        place({&content::kBuildingKinds[content::kWatchTower], {p.x + 32, p.y + 15}});
    }
    return placed;
}

void Grid(const WorldLayout& w, const std::vector<Placed>& buildings, sc_MapLocate& grid) {
    const int32_t gw = w.GridWidth(), gh = w.GridHeight();
    const std::vector<Terrain> raster = w.Raster();
    std::vector<uint8_t> cells(raster.size(), kFree);
    for (int32_t j = 0; j < gh; ++j)
        for (int32_t i = 0; i < gw; ++i) {
            const int32_t x = 16 * i + 8, y = 8 * j + 4;
            uint8_t& v = cells[static_cast<size_t>(j) * gw + i];
            switch (raster[static_cast<size_t>(j) * gw + i]) {
            case Terrain::Stone:
                v = kBlockAll;
                break;
            case Terrain::Water:
                v = kBlockWalk;
                break;
            case Terrain::Dirt:
                v = IsField(w, x, y) ? kCover : kFree;
                break;
            default:
                break;
            }
            for (const Placed& b : buildings)
                if (InFootprint(b, x, y)) v = kBlockAll;
            if (x < kLeftEdge || i == gw - 1 || y < kTopMargin || y >= w.height - kBottomMargin)
                v = kBlockAll;
        }
    grid.oLocate.vSetCells(gw, gh, cells.data());
}

bool WriteMission(const std::filesystem::path& out, uint32_t number) {
    const WorldLayout w = BuildWorldLayout(number);
    sc_Setting setting;
    for (int32_t i = 0; i < sc_Setting::kStartPoints; ++i)
        setting.oStartPoint[i].oSet(w.starts[static_cast<size_t>(i)].x, w.starts[static_cast<size_t>(i)].y);
    const std::vector<Placed> buildings = Buildings(w);
    for (const Placed& p : buildings) {
        sc_Building* b = setting.oAllBuilding.pAdd();
        b->oStrFile.vSet(p.kind->packStr);
        b->oImgFile.vSet(p.kind->packImg);
        b->lObject = p.kind->object;
        b->lFrameDelay = 200;
        // The anchor mark is the footprint's bottom corner.
        b->oPos.oSet(p.centre.x, p.centre.y + p.kind->footHalfH);
    }
    Grid(w, buildings, setting.oMapLocate);
    for (const PlacedThing& p : MissionThings(w)) {
        const int32_t kind = content::ThingKindOfRow(p.row);
        const content::ThingKind& k = content::kThingKinds[static_cast<size_t>(kind)];
        sc_Thing* t = setting.oAllThing.pAdd();
        t->oStrFile.vSet(content::kThingPackStr);
        t->oImgFile.vSet(content::kThingPackImg);
        t->lObject = kind;
        t->lFrameDelay = content::ThingFrameDelay(kind);
        t->oPos.oSet(p.at.x, p.at.y);
        t->lId = p.row;
        t->bPushable = k.pushable;
        t->lLife = k.life;
        t->lBreakObject = k.breakEffect;
        std::copy(p.dropChance.begin(), p.dropChance.end(), t->lDropChance);
        std::copy(p.dropKind.begin(), p.dropKind.end(), t->lDropKind);
    }
    PlaceFighters(w, setting);

    sc_ByteWriter bytes;
    setting.vWrite(bytes);
    char name[32];
    std::snprintf(name, sizeof name, "wrd%05u.BUD", number);
    // One folder with the ground files: the game names it "MAP" for missions
    // and "map" for grounds, and finds it either way.
    std::filesystem::create_directories(out / "map");
    std::ofstream file(out / "map" / name, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(bytes.Bytes().data()),
               static_cast<std::streamsize>(bytes.Size()));
    if (!file) std::fprintf(stderr, "missions: %s could not be written\n", name);
    return static_cast<bool>(file);
}

bool WriteMissions(const std::filesystem::path& out) {
    bool ok = true;
    for (uint32_t number : GroundMapNumbers())
        ok &= WriteMission(out, number);
    return ok;
}

Register reg("mission files", WriteMissions);

} // namespace

} // namespace datagen
