#include "game/gate.h"

#include <algorithm>
#include <array>
#include <string_view>
#include <vector>

#include "engine/device/dir_key.h"
#include "engine/device/dir_surface.h"
#include "engine/device/direct2d.h"
#include "game/all_string.h"
#include "game/sound.h"
#include "game/work.h"
#include "interface/form.h"
#include "objects/all_object.h"
#include "objects/enemy.h"
#include "objects/thing.h"
#include "platform/byte_reader.h"
#include "platform/file.h"
#include "platform/input.h"
#include "platform/paths.h"
#include "platform/trace.h"

sc_Gate* g_pGate = nullptr;

namespace {

constexpr int32_t kLastMission = sc_Gate::kMissions - 1;
constexpr int32_t kWeaponCards = 12;
constexpr int32_t kObjectiveGroup = 10;
constexpr int32_t kCharacterTextGroup = 9;
constexpr const char* kSaveExtension = ".SAV";
constexpr const char* kSceneSound = "WAV\\SCENE0.WAV";

struct ss_Card {
    int32_t lWeight, lAmmo, lPrice;
};
constexpr std::array<ss_Card, kWeaponCards> kCards{{{60, 120, 700},
                                                    {60, 160, 1400},
                                                    {50, 200, 2200},
                                                    {160, 45, 1000},
                                                    {170, 45, 1800},
                                                    {190, 60, 2500},
                                                    {100, 64, 800},
                                                    {80, 64, 1600},
                                                    {90, 100, 2300},
                                                    {20, 200, 500},
                                                    {25, 200, 1200},
                                                    {15, 320, 1800}}};

struct ss_Mission {
    const char* pFile;
    const char* pMusic;
    std::array<int32_t, kWeaponCards> aOffered; // -1 after the last offered card
};
constexpr int32_t kNo = -1;
constexpr std::array<ss_Mission, sc_Gate::kMissions> kMissionTable{{
    {"MAP\\wrd02001.BUD", "WAV\\FIGHT03.WAV", {6, 9, kNo, kNo, kNo, kNo, kNo, kNo, kNo, kNo, kNo, kNo}},
    {"MAP\\wrd02002.BUD", "WAV\\FIGHT01.WAV", {0, 3, 6, 9, kNo, kNo, kNo, kNo, kNo, kNo, kNo, kNo}},
    {"MAP\\wrd02003.BUD", "WAV\\FIGHT02.WAV", {0, 3, 6, 9, 10, kNo, kNo, kNo, kNo, kNo, kNo, kNo}},
    {"MAP\\wrd02004.BUD", "WAV\\FIGHT04.WAV", {0, 1, 2, 6, 9, 10, kNo, kNo, kNo, kNo, kNo, kNo}},
    {"MAP\\wrd02005.BUD", "WAV\\FIGHT01.WAV", {0, 1, 3, 4, 6, 9, 10, kNo, kNo, kNo, kNo, kNo}},
    {"MAP\\wrd02006.BUD", "WAV\\FIGHT02.WAV", {0, 1, 3, 4, 6, 7, 9, 10, kNo, kNo, kNo, kNo}},
    {"MAP\\wrd02007.BUD", "WAV\\FIGHT03.WAV", {0, 1, 2, 3, 4, 6, 7, 9, 10, kNo, kNo, kNo}},
    {"MAP\\wrd02008.BUD", "WAV\\FIGHT01.WAV", {0, 1, 2, 3, 4, 5, 6, 7, 9, 10, 11, kNo}},
    {"MAP\\wrd02009.BUD", "WAV\\FIGHT03.WAV", {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}},
    {"MAP\\wrd02010.BUD", "WAV\\FIGHT01.WAV", {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}},
    {"MAP\\wrd02011.BUD", "WAV\\FIGHT03.WAV", {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}},
    {"MAP\\wrd02012.BUD", "WAV\\FIGHT04.WAV", {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}},
}};

// Slider start values and steps by character type.
struct ss_Preset {
    int32_t aValue[4];
    int32_t aStep[3];
};
constexpr std::array<ss_Preset, 5> kPresets{{{{126, 58, 62, 50}, {4, 2, 2}},
                                             {{75, 66, 58, 47}, {5, 2, 1}},
                                             {{152, 74, 50, 40}, {6, 1, 2}},
                                             {{94, 52, 86, 65}, {4, 1, 3}},
                                             {{65, 67, 73, 60}, {4, 1, 3}}}};

// Objective areas include their first and exclude their last value.
struct ss_Area {
    int32_t lLeft, lRight, lTop, lBottom;
    bool bHolds(const sc_Point& p) const {
        return p.x >= lLeft && p.x < lRight && p.y >= lTop && p.y < lBottom;
    }
};

const sc_Character* FirstCharacter() {
    return g_pAllCharacter ? g_pAllCharacter->pGetCharacter(0) : nullptr;
}

bool PlayerIn(const ss_Area& area) {
    const sc_Character* player = FirstCharacter();
    return player && area.bHolds(player->oPosition);
}

// The ID a save path names: the file name less its extension.
std::string_view IdOf(std::string_view path) {
    const size_t slash = path.find_last_of("\\/");
    if (slash != std::string_view::npos) path.remove_prefix(slash + 1);
    const std::string_view ext = kSaveExtension;
    if (path.size() >= ext.size() && plat::CaseInsensitiveEqual(path.substr(path.size() - ext.size()), ext))
        path.remove_suffix(ext.size());
    return path;
}

} // namespace

sc_Gate::sc_Gate() {
    g_pGate = this;
    oMissionFile.vSet(kDefaultMission);
}

sc_Gate::~sc_Gate() {
    vResetSlot();
    if (g_pGate == this) g_pGate = nullptr;
}

void sc_Gate::vInit() {
    vResetSlot();
    for (int32_t i = 0; i < kSlots; ++i)
        pSaveSlots[i].vSetRect(30, 100 + 16 * i, 100, 16);
}

// ------------------------------------------------------------ form set-up

void sc_Gate::vSetFormType(sc_Form* pForm) {
    if (!pForm || pForm->lFormType < 0 || pForm->lFormType >= static_cast<int32_t>(kPresets.size())) return;
    const ss_Preset& p = kPresets[static_cast<size_t>(pForm->lFormType)];
    // The presets are the sliders' floor: armed cards give their load back
    // first, and no point stays in use above it.
    pForm->vReturnArms();
    pForm->lPointUsed = sc_Form::kPointFloor;
    pForm->oSlider1.bSet(400, 65, p.aValue[0], 0);
    pForm->oSlider2.bSet(150, 52, p.aValue[1], 0);
    pForm->oSlider3.bSet(150, 50, p.aValue[2], 0);
    pForm->oSlider4.bSet(150, 40, p.aValue[3], 0);
    pForm->lStep1 = p.aStep[0];
    pForm->lStep2 = p.aStep[1];
    pForm->lStep3 = p.aStep[2];
    pForm->lStep4 = 0;
}

void sc_Gate::vSetMission(sc_Form* pForm) {
    if (!pForm) return;
    oMissionFile.vSet(kDefaultMission);
    pForm->lRadarScale = 16;
    // Cards armed and not taken into a mission are paid back.
    pForm->vReturnArms();
    for (int32_t i = 0; i < kWeaponCards; ++i) {
        pForm->pWeaponCards[i].lWeight = kCards[static_cast<size_t>(i)].lWeight;
        pForm->pWeaponCards[i].lAmmo = kCards[static_cast<size_t>(i)].lAmmo;
        pForm->pWeaponCards[i].lPrice = kCards[static_cast<size_t>(i)].lPrice;
    }
    const int32_t mission = pForm->lMission;
    if (mission < 0 || mission > kLastMission) return;
    const ss_Mission& m = kMissionTable[static_cast<size_t>(mission)];
    oMissionFile.vSet(m.pFile);
    oMusicFile.vSet(m.pMusic);
    for (int32_t i = 0; i < kWeaponCards; ++i)
        pForm->pSlotIndex[i] = m.aOffered[static_cast<size_t>(i)];
    pForm->pArmed = &pForm->pArmedSlots[0];
    pForm->lHoverCard = 0;
    const int32_t first = mission == 0 ? 6 : 0;
    for (int32_t i = 0; i < 3; ++i)
        pForm->pItemChoice[i] = first + i;
    pForm->lItem = pForm->pItemChoice[0];
}

void sc_Gate::vSetMissionArms() {
    sc_Form* form = g_pForm;
    if (!form) return;
    const int32_t t = form->lFormType;
    // Item cards exist for types 0..4 only; another type keeps the choice.
    if (t >= 0 && t <= 4) {
        const int32_t m = form->lMission;
        const int32_t offered = m >= 0 && m <= 3              ? 1
                                : m >= 4 && m <= 6            ? 2
                                : m >= 7 && m <= kLastMission ? 3
                                                              : 0;
        if (offered)
            for (int32_t i = 0; i < 3; ++i)
                form->pItemChoice[i] = i < offered ? 3 * t + i : -1;
    }
    form->lItem = form->pItemChoice[0];
    if (t < 0 || t > 4 || !form->pStrings) return;
    const sc_AllString& s = *form->pStrings;
    form->oText4.vSet(s.pGetString(kCharacterTextGroup, 4 * t));
    form->oText1.vSet(s.pGetString(kCharacterTextGroup, 4 * t + 1));
    form->oText2.vSet(s.pGetString(kCharacterTextGroup, 4 * t + 2));
    form->oText3.vSet(s.pGetString(kCharacterTextGroup, 4 * t + 3));
}

// ------------------------------------------------------------ objectives

int32_t sc_Gate::bMissionEnd() {
    if (g_pDirKey && g_pDirKey->bGetKeyState(plat::key::F5)) return 1;
    sc_Form* form = g_pForm;
    if (!form) return 0;
    const int32_t mission = form->lMission;
    if (form->pStrings && g_pTextSurface) {
        if (const char* text = form->pStrings->pGetString(kObjectiveGroup, mission))
            g_pTextSurface->vShowString(20, 0, text, g_oScreenSize.x, g_oScreenSize.y, g_pWorkBuffer);
    }

    // The target follows each match in list order, so the last one stays.
    auto aim = [&](const sc_Point& at) {
        oTargetPoint = at;
        form->vSetTarget(&oTargetPoint);
    };
    auto noEnemyLeft = [] { return g_pAllEnemy && g_pAllEnemy->lGetCount() == 0 ? 1 : 0; };
    // Things of a key: each is aimed at; won when none is left.
    auto noThingLeft = [&](int32_t key) {
        if (!g_pAllThing) return 0;
        int32_t left = 0;
        for (int32_t i = 0; i < g_pAllThing->lGetCount(); ++i) {
            const sc_Thing* t = g_pAllThing->pGetThing(i);
            if (t && t->lId == key) {
                aim(t->oPos);
                ++left;
            }
        }
        return left ? 0 : 1;
    };
    auto reach = [&](const sc_Point& target, const ss_Area& area) {
        aim(target);
        return PlayerIn(area) ? 1 : 0;
    };

    switch (mission) {
    case 0:
    case 11:
        return noEnemyLeft();
    case 1: {
        if (PlayerIn({7563, 8819, 26, 868}) && g_pSound) g_pSound->vPlay(kSceneSound, 1, 0);
        int32_t won = 0;
        for (int32_t i = 0; g_pAllThing && i < g_pAllThing->lGetCount(); ++i) {
            const sc_Thing* t = g_pAllThing->pGetThing(i);
            if (!t || t->lId != 97) continue;
            aim(t->oPos);
            if (t->bFinished) won = 1;
        }
        return won;
    }
    case 2:
        if (PlayerIn({3052, 5073, 39, 1623}) && g_pSound) g_pSound->vPlay(kSceneSound, 1, 0);
        return noEnemyLeft();
    case 3: {
        if (!g_pAllEnemy) return 0;
        int32_t won = 0;
        for (int32_t i = 0; i < g_pAllEnemy->lGetCount(); ++i) {
            const sc_Enemy* e = g_pAllEnemy->pGetEnemy(i);
            if (!e || e->lId != 1) continue;
            aim(e->oPos);
            if (e->bDead) won = 1;
        }
        return won;
    }
    case 4:
        return noThingLeft(88);
    case 5:
        return reach(sc_Point(2159, 302), {2160, 2363, 303, 449});
    case 6:
        return noThingLeft(152);
    case 7:
        return noThingLeft(124);
    case 8:
        return reach(sc_Point(3375, 2914), {3376, 3451, 2915, 2972});
    case 9:
        return noThingLeft(59);
    case 10:
        return reach(sc_Point(5267, 3808), {5268, 5627, 3809, 3947});
    default:
        return 0;
    }
}

// ------------------------------------------------------------ saves

std::string sc_Gate::oSavePath(const char* pId) {
    if (!pId || !*pId) return {};
    return std::string(kSaveFolder) + "\\" + pId + kSaveExtension;
}

const char* sc_Gate::pGetSaveName(int32_t lSlot) const {
    if (lSlot < 0 || lSlot >= kSlots) return nullptr;
    return pSaveSlots[lSlot].oCaption.pGetText();
}

bool sc_Gate::bIsCurrentSave(const char* pId) const {
    const char* current = oSaveName.pGetText();
    return pId && *pId && current && plat::CaseInsensitiveEqual(IdOf(current), pId);
}

void sc_Gate::vListSaves() {
    std::vector<std::string> ids;
    for (const std::string& name : plat::ListDirectory(kSaveFolder)) {
        const std::string_view id = IdOf(name);
        // Only NAME.SAV with a name: an empty ID would make "SAVE\.SAV".
        if (!id.empty() && id.size() + 4 == name.size()) ids.emplace_back(id);
    }
    if (ids.empty()) return;

    for (sc_InterFaceRectButton& slot : pSaveSlots) {
        slot.oCaption.vClear();
        slot.bSelected = 0;
    }
    // The first ten; when the current save sorts past them, the ten around
    // it, so that it is never left off the list.
    const auto count = static_cast<int32_t>(ids.size());
    const auto current = static_cast<int32_t>(
        std::find_if(ids.begin(), ids.end(),
                     [this](const std::string& id) { return bIsCurrentSave(id.c_str()); }) -
        ids.begin());
    int32_t first = 0;
    if (current < count && current >= kSlots) first = std::min(current - kSlots / 2, count - kSlots);
    const int32_t listed = std::min(kSlots, count - first);
    for (int32_t i = 0; i < listed; ++i)
        pSaveSlots[i].vSetCaption(ids[static_cast<size_t>(first + i)].c_str());
    if (current < count) lChosenSlot = current - first;
    if (lChosenSlot < 0 || lChosenSlot >= kSlots) lChosenSlot = 0;

    sc_InterFaceRectButton& chosen = pSaveSlots[lChosenSlot];
    const char* id = chosen.oCaption.pGetText();
    if (!id) return;
    const std::string path = oSavePath(id);
    if (!bLoadSave(path.c_str())) return;
    chosen.bSelected = 1;
    oSaveName.vSet(path.c_str());
}

bool sc_Gate::bSelectSlot(int32_t lSlot) {
    const char* id = pGetSaveName(lSlot);
    if (!id) return false;
    // A save that does not load changes nothing: not the selection, and not
    // the save that the next mission end writes.
    const std::string path = oSavePath(id);
    if (!bLoadSave(path.c_str())) return false;
    for (sc_InterFaceRectButton& slot : pSaveSlots)
        slot.bSelected = 0;
    pSaveSlots[lSlot].bSelected = 1;
    lChosenSlot = lSlot;
    oSaveName.vSet(path.c_str());
    return true;
}

void sc_Gate::vDeleteSave(int32_t lSlot) {
    const char* id = pGetSaveName(lSlot);
    if (!id) return;
    plat::RemoveFile(oSavePath(id));
    if (bIsCurrentSave(id)) {
        oSaveName.vClear();
        // The record on the save screen, and the money a battle starts
        // with, must not outlive the save they came from.
        if (g_pForm) vFreshRecord(*g_pForm);
    }
    pSaveSlots[lSlot].oCaption.vClear();
    pSaveSlots[lSlot].bSelected = 0;
    vListSaves();
}

bool sc_Gate::bWriteSave(const char* pName, int32_t lProgress, int32_t lKills, int32_t lMoney) {
    if (!pName || !*pName) return false;
    const std::string_view name = pName;
    const size_t slash = name.find_last_of("\\/");
    // The folder comes back when the player has removed it.
    if (slash != std::string_view::npos && slash > 0) plat::MakeDirectory(name.substr(0, slash));
    sc_ByteWriter out;
    out.Write(lProgress, lKills, lMoney);
    if (plat::ReplaceFile(name, out.Bytes())) return true;
    plat::Trace(name, "cannot be written; the old save stays");
    return false;
}

void sc_Gate::vSave(const char* pName, int32_t) {
    if (const sc_Form* form = g_pForm) bWriteSave(pName, form->lProgress, form->lKills, form->lMoney);
}

void sc_Gate::vNewSave(const char* pName) {
    if (!bWriteSave(pName, 0, 0, kNewMoney)) return;
    if (g_pForm) vFreshRecord(*g_pForm);
    // The new player is the one who plays on.
    oSaveName.vSet(pName);
}

void sc_Gate::vFreshRecord(sc_Form& form) {
    form.vReturnArms();
    // Progress and mission too: the next save would otherwise write the
    // last player's progress into the new player's file.
    form.lProgress = form.lMission = 0;
    form.lKills = 0;
    form.lMoney = kNewMoney;
}

void sc_Gate::vLoad(const char* pName) {
    bLoadSave(pName);
}

bool sc_Gate::bLoadSave(const char* pName) {
    if (!pName || !*pName || !g_pForm) return false;
    sc_ByteReader in = sc_ByteReader::FromPath(pName, kSaveBytes);
    if (bLoad(in, *g_pForm)) return true;
    plat::Trace(pName, in.Why());
    return false;
}

bool sc_Gate::bLoad(sc_ByteReader& in, sc_Form& form) {
    int32_t progress = 0, kills = 0, money = 0;
    if (!in.Read(progress, kills, money)) return false;
    if (!in.AtEnd()) {
        in.Fail("is longer than a save");
        return false;
    }
    // Cards armed with the last player's money go back before this
    // player's money comes in.
    form.vReturnArms();
    form.lProgress = std::clamp(progress, 0, kLastMission);
    form.lKills = kills;
    form.lMoney = money;
    form.lMission = form.lProgress;
    return true;
}
