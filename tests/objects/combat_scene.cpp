#include "tests/objects/combat_scene.h"

#include "engine/device/mouse.h"
#include "objects/all_object.h"
#include "platform/random.h"

namespace krxtest {

void CombatScene::SetUp() {
    HeadlessTest::SetUp();
    m_cwd = std::make_unique<ScopedCwd>(DataDir());
    m_work = std::make_unique<sc_Work>();
    g_lNowTick = kStart;
    g_oGameMouse = sc_GameMouse(); // no press of an earlier test counts
    plat::SeedRandom(1);
    sc_Scene& s = Scene();
    s.bHost = 1;
    s.oAttrib.vLoad();
    s.oMap.oBackground.oMapSize.oSet(4000, 3000);
    const std::vector<uint8_t> open(size_t{250} * 375, 0);
    s.oMap.oSetting.oMapLocate.oLocate.vSetCells(250, 375, open.data());
    s.oAllObject.oAllBullet.vLoad(&s.oMap.oViewPoint);
    s.oAllObject.oAllProp.vLoad(&s.oMap.oViewPoint);
    s.oMap.oSetting.oAllThing.vSet(&s.oMap.oViewPoint);
    s.oMap.oSetting.oAllThing.bActive = 1;
    m_foot.vSetMark(0, sc_GamePoint(384, 300));
    m_foot.vSetMark(1, sc_GamePoint(416, 300));
    m_foot.vSetMark(2, sc_GamePoint(400, 308));
    m_foot.vSetMark(3, sc_GamePoint(400, 292));
}

void CombatScene::TearDown() {
    m_work.reset();
    m_cwd.reset();
    HeadlessTest::TearDown();
}

sc_Character* CombatScene::AddCharacter(int32_t index, sc_Point at) {
    sc_Character* c = Scene().oAllObject.oAllCharacter.pAdd();
    c->lIndex = index;
    c->oPosition = at;
    c->pDir = &m_foot;
    c->lMaxHitPoints = c->lHitPoints = 10000;
    c->lMaxCharge = c->lCharge = 1000;
    c->lMaxEnergy = c->lEnergy = 1000;
    c->lChargeDrain = 10;
    c->lEnergyRegen = 5;
    c->lMuzzleHeight = 40;
    c->lShotValue = 60;
    return c;
}

sc_Thing* CombatScene::AddThing(int32_t row, sc_Point at) {
    sc_Thing* t = Things().pAdd();
    t->vCopyData(Scene().oAttrib.pGetThing(row));
    t->oPos = at;
    t->vLoadImage();
    return t;
}

void CombatScene::Frame(int32_t ms) {
    g_lNowTick += ms;
    g_oGameMouse.lUpdateDirection();
}

std::vector<CombatScene::Shot> CombatScene::Shots() const {
    std::vector<Shot> shots;
    const sc_AllBullet& all = m_work->oScene.oAllObject.oAllBullet;
    for (int32_t i = 0; i < all.lGetCount(); ++i) {
        const sc_Bullet* b = all.pGetBullet(i);
        shots.push_back({b->lId, b->lFlight, b->lSide});
    }
    return shots;
}

} // namespace krxtest
