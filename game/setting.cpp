#include "game/setting.h"

#include <string>

#include "engine/base/file.h"
#include "interface/loading.h"
#include "platform/byte_reader.h"
#include "platform/random.h"
#include "platform/trace.h"

namespace {

constexpr const char* kSource = "mission file";

void vSetLoading(int32_t lPercent) {
    if (g_pLoading) g_pLoading->vSetPercent(lPercent);
}

} // namespace

sc_Setting::sc_Setting() {
    for (int32_t i = 0; i < kStartPoints; ++i)
        oStartPoint[i].oSet(100 * i + 100, 100);
}

sc_Setting::~sc_Setting() {
    vClear();
}

void sc_Setting::vClear() {
    oAllBuilding.vClear();
    oAllThing.vClear();
    oAllEnemy.vClear();
    oAllAnimal.vClear();
}

void sc_Setting::vInit(sc_Point* pViewPoint) {
    vClear();
    oMapLocate.vInit(pViewPoint);
    oAllBuilding.vSet(pViewPoint);
    oAllThing.vSet(pViewPoint);
    oAllEnemy.vSet(pViewPoint);
    oAllAnimal.vSet(pViewPoint);
}

void sc_Setting::vShow() {
    oAllBuilding.vShow();
}

// A mission that did not load starts from nothing: the last mission's grid
// and start points would not fit the new ground.
void sc_Setting::vForget() {
    vClear();
    oMapLocate.oLocate.vClear();
    for (int32_t i = 0; i < kStartPoints; ++i)
        oStartPoint[i].oSet(100 * i + 100, 100);
}

bool sc_Setting::bRead(sc_ByteReader& in) {
    vClear();
    sc_Point start[kStartPoints];
    for (sc_Point& p : start)
        p.bRead(in);
    if (!in || !oMapLocate.oLocate.bRead(in) || !oAllBuilding.bLoad(in) || !oAllThing.bLoad(in) ||
        !oAllEnemy.bLoad(in) || !oAllAnimal.bLoad(in)) {
        vForget();
        return false;
    }
    for (int32_t i = 0; i < kStartPoints; ++i)
        oStartPoint[i] = start[i];
    return true;
}

void sc_Setting::vWrite(sc_ByteWriter& out) const {
    for (const sc_Point& p : oStartPoint)
        p.vWrite(out);
    oMapLocate.oLocate.vWrite(out);
    oAllBuilding.vSave(out);
    oAllThing.vSave(out);
    oAllEnemy.vSave(out);
    oAllAnimal.vSave(out);
}

int32_t sc_Setting::bLoad(const char* pName) {
    if (!pName) return 0;
    vClear();
    sc_ByteReader in = sc_ByteReader::FromPath(pName, kMaxFileBytes);
    if (!in) {
        plat::Trace(kSource, std::string(pName) + " " + std::string(in.Why()));
        vForget();
        return 0;
    }
    if (!bRead(in)) {
        plat::Trace(kSource, std::string(pName) + " is refused: it " + std::string(in.Why()));
        return 0;
    }
    oAllBuilding.vLoadImage();
    vSetLoading(25 + plat::RandScaled(5));
    oAllThing.vLoadImage();
    vSetLoading(30 + plat::RandScaled(5));
    vSetLoading(35 + plat::RandScaled(5));
    oAllEnemy.vLoadImage();
    vSetLoading(40 + plat::RandScaled(5));
    oAllAnimal.vLoadImage();
    vSetLoading(45 + plat::RandScaled(10));
    return 1;
}

void sc_Setting::vSave(const char* pName) const {
    if (!pName) return;
    sc_ByteWriter out;
    vWrite(out);
    plat::File file;
    if (!file.Open(pName, plat::FileMode::CreateTruncate) || !out.bWriteTo(file))
        plat::Trace(kSource, std::string(pName) + " could not be written");
}
