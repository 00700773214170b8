#include "tests/objects/fighter_scene.h"

#include "game/map_sort.h"
#include "objects/all_object.h"

namespace krxtest {

void FighterScene::SetUp() {
    CombatScene::SetUp();
    sc_Scene& s = Scene();
    s.oMap.oSetting.oAllEnemy.vSet(&s.oMap.oViewPoint);
    s.oMap.oSetting.oAllAnimal.vSet(&s.oMap.oViewPoint);
    s.oAllObject.oAllMine.vLoad(&s.oMap.oViewPoint);
    s.oAllObject.oAllDeath.vLoad(&s.oMap.oViewPoint);
    s.oMap.oMapSort.vInit(&s.oMap.oViewPoint);
}

sc_Enemy* FighterScene::AddEnemy(int32_t row, sc_Point at) {
    sc_Enemy* e = Enemies().pAdd();
    e->vCopyData(Scene().oAttrib.pGetEnemy(row));
    e->oPos = at;
    e->vSet(&Scene().oMap.oViewPoint);
    e->vLoadImage();
    return e;
}

sc_Animal* FighterScene::AddAnimal(int32_t row, sc_Point at) {
    sc_Animal* a = Animals().pAdd();
    a->vCopyData(Scene().oAttrib.pGetAnimal(row));
    a->oPos = at;
    a->vSet(&Scene().oMap.oViewPoint);
    a->vLoadImage();
    return a;
}

std::vector<const sc_Bullet*> FighterScene::BulletsOf(int32_t type) const {
    std::vector<const sc_Bullet*> out;
    const sc_AllBullet& all = const_cast<FighterScene*>(this)->Bullets();
    for (int32_t i = 0; i < all.lGetCount(); ++i)
        if (const sc_Bullet* b = all.pGetBullet(i); b->lId == type) out.push_back(b);
    return out;
}

void FighterScene::PlayFrame(int32_t ms) {
    Frame(ms);
    Enemies().vUpdate();
    Animals().vUpdate();
    Scene().oMap.oMapSort.vShow();
    Mines().vShow();
}

} // namespace krxtest
