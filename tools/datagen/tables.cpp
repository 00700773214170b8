// The string dictionary and the four attribute tables of the data set.
#include <array>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "platform/byte_reader.h"
#include "tools/datagen/big5.h"
#include "tools/datagen/content_names.h"
#include "tools/datagen/generators.h"
#include "tools/datagen/table_rows.h"

namespace {

using namespace datagen::content;

constexpr size_t kTextField = 32;
constexpr int32_t kNoKey = -1;
// A speed threshold no flight reaches: the speed stays as fired.
constexpr int32_t kNever = 100000;

bool WriteFile(const std::filesystem::path& file, const std::vector<uint8_t>& bytes) {
    std::ofstream f(file, std::ios::binary | std::ios::trunc);
    f.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(f);
}

// A 32-byte text field; a text that does not leave room for its zero is an
// error of this generator.
bool PutText(sc_ByteWriter& w, const char* text) {
    const size_t n = std::strlen(text);
    if (n >= kTextField) {
        std::fprintf(stderr, "tables: text field too long: %s\n", text);
        return false;
    }
    std::array<uint8_t, kTextField> field{};
    std::memcpy(field.data(), text, n);
    w.WriteBytes(field.data(), field.size());
    return true;
}

void PutPoint(sc_ByteWriter& w, int32_t x, int32_t y) { w.Write(x, y); }

// ------------------------------------------------------------- THING.DB

bool WriteThings(const std::filesystem::path& file) {
    sc_ByteWriter w;
    bool ok = true;
    w.Write(uint32_t{0});
    for (int32_t row = 0; row < 200; ++row) {
        const bool used = row < kThingRowsUsed;
        const ThingKind& k = kThingKinds[static_cast<size_t>(ThingKindOfRow(row))];
        ok &= PutText(w, used ? kThingPackImg : "");
        ok &= PutText(w, used ? kThingPackStr : "");
        w.Write(used ? ThingKindOfRow(row) : 0, int32_t{0}, int32_t{0}); // object, status, direction
        w.Write(used ? ThingFrameDelay(ThingKindOfRow(row)) : 0);         // frame delay
        w.Write(used ? row : kNoKey);
        w.Write(used ? k.pushable : 0, int32_t{0});                       // pushable, reserved
        w.Write(used ? k.life : 0, used ? k.breakEffect : 0);
        // Rows past the last key still name a sound that exists: a thing
        // copied from one breaks like any other.
        ok &= PutText(w, used ? k.breakSound : kSoundCrash);
    }
    return ok && WriteFile(file, w.Bytes());
}

// ------------------------------------------------------------- ENEMY.DB

struct EnemyRow {
    int32_t stepX, stepY;
    int32_t turnTime, stepTime, stepRand, fireTime, fireRand;
    int32_t wanderW, wanderH, sightW, sightH, attackW, attackH;
    int32_t hitPoints, deathAnim, burst, reward, bulletKind, shotHeight, shotDistance;
};

// In key order, matching kEnemyKinds.
constexpr std::array<EnemyRow, kEnemyKinds.size()> kEnemyRows{{
    {8, 4, 2000, 90, 60, 1400, 900, 500, 300, 900, 700, 600, 450, 120, kHitSpark, 2, 100, 11, 30, 20},
    {6, 3, 3000, 140, 80, 2200, 1200, 700, 400, 1100, 800, 800, 600, 1500, kHitBigBlast, 6, 1000, 23, 40, 40},
    {12, 6, 1500, 60, 40, 1200, 800, 600, 400, 1000, 800, 500, 400, 80, kHitSpark, 1, 80, 11, 30, 20},
    {8, 4, 2200, 100, 60, 2000, 1000, 500, 300, 900, 700, 650, 500, 160, kHitBlast, 2, 150, 12, 40, 20},
    {0, 0, 1200, 200, 0, 1000, 600, 64, 32, 900, 700, 800, 600, 400, kHitBlast, 3, 200, 11, 50, 30},
    {8, 4, 2500, 110, 70, 2400, 1200, 500, 300, 1000, 800, 800, 600, 200, kHitBlast, 3, 250, 16, 40, 30},
    {8, 4, 1800, 90, 60, 900, 500, 400, 300, 700, 500, 400, 300, 180, kHitFire, 2, 180, 14, 30, 20},
    {10, 5, 2600, 120, 80, 1800, 900, 700, 400, 1100, 800, 700, 500, 700, kHitBigBlast, 4, 500, 13, 60, 30},
    {0, 0, 1500, 200, 0, 2800, 1200, 64, 32, 1200, 900, 1000, 800, 600, kHitBigBlast, 4, 400, 16, 60, 40},
    {6, 3, 2400, 120, 80, 1000, 600, 500, 300, 900, 700, 700, 500, 350, kHitBlast, 3, 300, 25, 40, 30},
}};

bool WriteEnemies(const std::filesystem::path& file) {
    sc_ByteWriter w;
    bool ok = true;
    w.Write(uint32_t{0});
    for (int32_t row = 0; row < 100; ++row) {
        const bool used = row < static_cast<int32_t>(kEnemyRows.size());
        const EnemyRow e = used ? kEnemyRows[static_cast<size_t>(row)] : EnemyRow{};
        ok &= PutText(w, used ? kEnemyPackStr : "");
        ok &= PutText(w, used ? kEnemyPackImg : "");
        w.Write(used ? row : 0, int32_t{used ? 80 : 0}); // object, frame delay
        PutPoint(w, e.stepX, e.stepY);
        w.Write(used ? row : kNoKey);
        w.Write(int32_t{0}, used ? kEnemyKinds[static_cast<size_t>(row)].stationary : 0); // melee, stationary
        w.Write(e.turnTime, e.stepTime, e.stepRand, e.fireTime, e.fireRand);
        PutPoint(w, e.wanderW, e.wanderH);
        PutPoint(w, e.sightW, e.sightH);
        PutPoint(w, e.attackW, e.attackH);
        w.Write(e.hitPoints, e.deathAnim, e.burst, e.reward, e.bulletKind, e.shotHeight, e.shotDistance);
        w.Write(int32_t{0}, int32_t{0}, int32_t{0}, int32_t{0});
    }
    return ok && WriteFile(file, w.Bytes());
}

// ------------------------------------------------------------ BULLET.DB

struct BulletRow {
    const char* name; // the third text of the row, shown nowhere
    int32_t speed, range, hitAnim, splitKind, splitCount, trail1, trail2;
    bool rocket; // starts slow and speeds up twice
    int32_t attack, energyCost;
    const char* fireWav;
    const char* hitWav;
};

// The sounds of a row: on firing, on hitting.
constexpr const char* kNone = "";
constexpr const char *kGun = kSoundGun, *kCannon = kSoundCannon, *kLaser = kSoundLaser;
constexpr const char *kRocket = kSoundRocket, *kHit = kSoundHit, *kBlast = kSoundBlast, *kSpark = kSoundSpark;

// Row r is bullet type r. Fragments of a splitting shot are rows 9, 20 and
// 22; every row names one of them, since the gun's standard shot splits
// wherever it stops.
constexpr std::array<BulletRow, kBulletRowsUsed> kBulletRows{{
    {"shrapnel", 14, 260, kHitSpark, 9, 0, kTrailNone, kTrailNone, false, 10, 5, kGun, kSpark},
    {"shrapnel", 12, 240, kHitSpark, 9, 0, kTrailNone, kTrailNone, false, 8, 0, kNone, kNone},
    {"burning shrapnel", 12, 280, kHitFire, 9, 0, kTrailNone, kTrailNone, false, 12, 0, kNone, kNone},
    {"debris", 10, 220, kHitDebris, 9, 0, kTrailNone, kTrailNone, false, 8, 0, kNone, kNone},
    {"sparks", 14, 300, kHitFlash, 9, 0, kTrailNone, kTrailNone, false, 10, 0, kNone, kNone},
    {"bomb fragment", 12, 320, kHitBlast, 9, 0, kTrailSmoke, kTrailNone, false, 15, 0, kNone, kBlast},
    {"charge 1", 22, 800, kHitFlash, 9, 1, kTrailGlow, kTrailNone, false, 60, 30, kLaser, kBlast},
    {"charge 2", 24, 850, kHitBlast, 20, 2, kTrailGlow, kTrailNone, false, 120, 50, kLaser, kBlast},
    {"charge 3", 26, 900, kHitBigBlast, 22, 3, kTrailGlow, kTrailSmoke, false, 220, 80, kLaser, kBlast},
    {"fragment", 16, 120, kHitSpark, 9, 0, kTrailNone, kTrailNone, false, 5, 0, kNone, kNone},
    {"flame", 14, 380, kHitFire, 9, 0, kTrailNone, kTrailSmoke, false, 14, 6, kRocket, kHit},
    {"enemy rifle", 18, 650, kHitSpark, 9, 0, kTrailNone, kTrailNone, false, 10, 0, kGun, kHit},
    {"enemy shell", 14, 700, kHitBlast, 9, 0, kTrailSmoke, kTrailNone, false, 25, 0, kCannon, kBlast},
    {"enemy laser", 26, 750, kHitFlash, 9, 0, kTrailGlow, kTrailNone, false, 15, 0, kLaser, kSpark},
    {"enemy flame", 12, 350, kHitFire, 9, 0, kTrailNone, kTrailSmoke, false, 12, 0, kRocket, kHit},
    {"grenade", 14, 500, kHitBlast, 20, 2, kTrailSmoke, kTrailNone, false, 40, 15, kCannon, kBlast},
    {"enemy rocket", 10, 800, kHitBigBlast, 9, 0, kTrailSmoke, kTrailNone, true, 40, 0, kRocket, kBlast},
    {"plasma wave", 20, 800, kHitFlash, 9, 0, kTrailGlow, kTrailNone, false, 30, 14, kLaser, kSpark},
    {"pulse wave", 22, 800, kHitShock, 9, 0, kTrailGlow, kTrailNone, false, 28, 12, kLaser, kSpark},
    {"sniper", 34, 1000, kHitSpark, 9, 0, kTrailNone, kTrailNone, false, 60, 20, kGun, kHit},
    {"heavy fragment", 16, 180, kHitBlast, 9, 0, kTrailNone, kTrailNone, false, 15, 0, kNone, kHit},
    {"burst", 14, 300, kHitSpark, 9, 0, kTrailNone, kTrailNone, false, 12, 0, kNone, kNone},
    {"cluster fragment", 14, 220, kHitBlast, 9, 0, kTrailNone, kTrailNone, false, 20, 0, kNone, kBlast},
    {"tank shell", 16, 800, kHitBigBlast, 9, 0, kTrailSmoke, kTrailNone, false, 45, 0, kCannon, kBlast},
    {"pulse", 24, 750, kHitFlash, 9, 0, kTrailNone, kTrailNone, false, 18, 8, kLaser, kSpark},
    {"enemy sniper", 30, 900, kHitSpark, 9, 0, kTrailNone, kTrailNone, false, 30, 0, kGun, kHit},
    {"rifle", 24, 700, kHitSpark, 9, 0, kTrailNone, kTrailNone, false, 15, 5, kGun, kHit},
    {"shotgun", 20, 400, kHitSpark, 9, 3, kTrailNone, kTrailNone, false, 25, 8, kCannon, kHit},
    {"tracer", 24, 600, kHitSpark, 9, 0, kTrailGlow, kTrailNone, false, 12, 5, kGun, kHit},
    {"heavy gun", 26, 750, kHitSpark, 9, 1, kTrailNone, kTrailNone, false, 22, 10, kGun, kHit},
    {"incendiary", 20, 600, kHitFire, 9, 0, kTrailNone, kTrailSmoke, false, 16, 6, kGun, kHit},
    {"heavy round", 22, 700, kHitBlast, 20, 1, kTrailNone, kTrailNone, false, 30, 10, kCannon, kBlast},
    {"homing missile", 10, 900, kHitBlast, 9, 0, kTrailSmoke, kTrailNone, true, 80, 10, kRocket, kBlast},
    {"anti-tank mine", 12, 300, kHitBigBlast, 22, 3, kTrailNone, kTrailNone, false, 100, 10, kCannon, kBlast},
    {"cluster missile", 10, 900, kHitBigBlast, 22, 2, kTrailSmoke, kTrailNone, true, 90, 10, kRocket, kBlast},
    {"flare", 12, 500, kHitFlash, 9, 0, kTrailGlow, kTrailNone, false, 5, 5, kGun, kSpark},
    {"grenade", 14, 450, kHitBlast, 20, 2, kTrailSmoke, kTrailNone, false, 70, 10, kCannon, kBlast},
    {"light round", 24, 600, kHitSpark, 9, 0, kTrailNone, kTrailNone, false, 10, 4, kGun, kHit},
    {"shock round", 22, 650, kHitShock, 9, 0, kTrailNone, kTrailNone, false, 18, 8, kLaser, kSpark},
    {"smoke round", 16, 500, kHitSmoke, 9, 0, kTrailSmoke, kTrailNone, false, 8, 4, kGun, kHit},
    {"fire round", 18, 550, kHitFire, 9, 0, kTrailNone, kTrailSmoke, false, 16, 6, kGun, kHit},
    {"smg", 26, 600, kHitSpark, 9, 0, kTrailNone, kTrailNone, false, 10, 3, kGun, kHit},
    {"smoke grenade", 14, 450, kHitSmoke, 20, 1, kTrailSmoke, kTrailNone, false, 30, 10, kCannon, kHit},
    {"fire grenade", 14, 450, kHitFire, 20, 2, kTrailSmoke, kTrailNone, false, 60, 10, kCannon, kBlast},
    {"heat missile", 10, 900, kHitFire, 9, 0, kTrailSmoke, kTrailNone, true, 85, 10, kRocket, kBlast},
    {"emp missile", 10, 900, kHitShock, 9, 0, kTrailGlow, kTrailNone, true, 75, 10, kRocket, kBlast},
    {"ap missile", 10, 900, kHitBigBlast, 9, 0, kTrailSmoke, kTrailNone, true, 120, 10, kRocket, kBlast},
    {"concussion missile", 10, 900, kHitBlast, 9, 0, kTrailSmoke, kTrailNone, true, 95, 10, kRocket, kBlast},
    {"twin rocket", 10, 900, kHitBlast, 20, 1, kTrailSmoke, kTrailNone, true, 70, 10, kRocket, kBlast},
    {"triple rocket", 10, 900, kHitBlast, 20, 1, kTrailSmoke, kTrailNone, true, 65, 10, kRocket, kBlast},
    {"laser", 32, 900, kHitFlash, 9, 0, kTrailGlow, kTrailNone, false, 20, 10, kLaser, kSpark},
    {"plasma", 20, 800, kHitShock, 9, 1, kTrailGlow, kTrailNone, false, 35, 14, kLaser, kSpark},
}};

bool WriteBullets(const std::filesystem::path& file) {
    sc_ByteWriter w;
    bool ok = true;
    w.Write(uint32_t{0});
    for (int32_t row = 0; row < 100; ++row) {
        const bool used = row < kBulletRowsUsed;
        constexpr BulletRow kEmpty{"", 0, 0, 0, 0, 0, kTrailNone, kTrailNone, false, 0, 0, kNone, kNone};
        const BulletRow b = used ? kBulletRows[static_cast<size_t>(row)] : kEmpty;
        w.Write(used ? row : kNoKey, int32_t{0}); // key, pass-marked
        w.Write(b.speed, b.range, int32_t{0}, b.hitAnim, b.splitKind, b.splitCount, b.trail1, b.trail2);
        // Rockets leave at their speed, take 1.6 times it past 120 units and
        // 2.8 times it past 300; other rows keep theirs.
        const bool r = b.rocket;
        w.Write(r ? 120 : kNever, r ? 300 : kNever, kNever, kNever, kNever);
        w.Write(r ? b.speed * 8 / 5 : b.speed, r ? b.speed * 14 / 5 : b.speed, b.speed, b.speed, b.speed);
        ok &= PutText(w, b.fireWav);
        ok &= PutText(w, b.hitWav);
        ok &= PutText(w, b.name);
        ok &= PutText(w, "");
        w.Write(b.attack, used ? row : 0, b.energyCost, int32_t{0}); // attack, image, cost, unused
    }
    return ok && WriteFile(file, w.Bytes());
}

// ------------------------------------------------------------ ANIMAL.DB

struct AnimalRow {
    int32_t stepX, stepY, turnTime, stepTime, stepRand, frightW, frightH;
};
constexpr std::array<AnimalRow, kAnimalKinds.size()> kAnimalRows{{
    {6, 3, 2500, 150, 250, 400, 260},
    {8, 4, 3000, 120, 200, 300, 200},
    {10, 5, 1500, 80, 300, 260, 180},
    {12, 6, 1200, 60, 150, 500, 320},
}};

bool WriteAnimals(const std::filesystem::path& file) {
    sc_ByteWriter w;
    bool ok = true;
    w.Write(uint32_t{0});
    for (int32_t row = 0; row < 100; ++row) {
        const bool used = row < static_cast<int32_t>(kAnimalRows.size());
        const AnimalRow a = used ? kAnimalRows[static_cast<size_t>(row)] : AnimalRow{};
        ok &= PutText(w, used ? kAnimalPackStr : "");
        ok &= PutText(w, used ? kAnimalPackImg : "");
        w.Write(used ? row : 0, int32_t{used ? 100 : 0}); // object, frame delay
        PutPoint(w, a.stepX, a.stepY);
        w.Write(used ? row : kNoKey, a.turnTime, a.stepTime, a.stepRand);
        PutPoint(w, a.frightW, a.frightH);
    }
    return ok && WriteFile(file, w.Bytes());
}

// ----------------------------------------------------------- STRING.DIC

using Group = std::vector<const char*>;

// Groups 0 to 14, in the order the game looks them up.
std::vector<Group> Dictionary() {
    return {
        // 0: mission buttons
        {"01 海岸登陸", "02 切斷通訊", "03 叢林掃蕩", "04 裝甲獵殺", "05 燃料倉庫", "06 峽谷會合",
         "07 飛彈陣地", "08 敵軍指揮所", "09 山谷突圍", "10 發電廠", "11 最後防線", "12 總攻擊"},
        // 1: weapon cards, name and two lines each
        {"突擊步槍", "標準配備的步槍", "射速與威力平均",
         "衝鋒槍", "連射速度極快", "單發威力較低",
         "霰彈槍", "近距離威力強大", "子彈會碎裂四散",
         "重機槍", "火力持續而猛烈", "適合正面交戰",
         "雷射槍", "光束速度最快", "射程遠而精準",
         "電漿槍", "高溫電漿彈", "命中時放出電擊",
         "火焰槍", "噴出火焰燒毀目標", "射程較短",
         "榴彈槍", "發射爆炸榴彈", "可波及周圍敵人",
         "狙擊槍", "射程最遠的武器", "單發威力極高",
         "脈衝步槍", "能量脈衝彈", "消耗能量較少",
         "三向脈衝槍", "一次射出三發", "適合對付群敵",
         "五向步槍", "一次射出五發", "火力覆蓋最廣"},
        // 2: item cards
        {"手榴彈", "煙霧彈", "燃燒彈", "追蹤飛彈", "熱能飛彈", "電磁飛彈", "集束飛彈", "穿甲飛彈",
         "震盪飛彈", "反坦克雷", "雙管火箭", "三管火箭", "信號彈", "照明彈", "誘餌彈"},
        // 3: player form lines, character type 0
        {"姓名：雷恩", "年齡：28", "身高：182", "體重：78", "專長：突擊作戰", "出身：海軍陸戰隊",
         "曾參與多次登陸作戰，", "冷靜而果斷。", "擅長使用各種步槍，", "是小隊的核心人物。",
         "座右銘：", "「任務第一。」"},
        // 4 to 7: player form lines, character types 1 to 4
        {"姓名：艾莉絲", "年齡：24", "身高：168", "體重：52", "專長：偵察", "出身：特種偵察隊",
         "行動敏捷，", "善於隱匿行蹤。", "精通各式電子儀器。", "負責搜集敵情。"},
        {"姓名：巴頓", "年齡：35", "身高：190", "體重：98", "專長：重火力", "出身：裝甲部隊",
         "力大無窮，", "能扛起重型武器。", "性格豪爽直率，", "深受隊員信賴。"},
        {"姓名：林凱", "年齡：31", "身高：175", "體重：70", "專長：爆破", "出身：工兵部隊",
         "熟悉各種炸藥，", "能迅速拆除地雷。", "做事細心謹慎，", "從不失手。"},
        {"姓名：薇拉", "年齡：27", "身高：171", "體重：55", "專長：狙擊", "出身：山地部隊",
         "百步穿楊的神槍手，", "能在遠處解決敵人。", "沉默寡言，", "卻值得信賴。"},
        // 8: arming screen labels
        {"彈藥", "重量", "價格"},
        // 9: character types, four texts each
        {"突擊兵", "攻守平衡", "適合新手使用", "能力：普通",
         "偵察兵", "移動速度最快", "體力較低", "能力：敏捷",
         "重裝兵", "體力最高", "移動速度較慢", "能力：強壯",
         "爆破兵", "擅長使用爆裂物", "能量恢復快", "能力：技術",
         "狙擊兵", "射程最遠", "近戰較弱", "能力：精準"},
        // 10: mission objectives
        {"任務：消滅所有敵人，確保登陸地點。", "任務：摧毀敵軍的通訊塔。", "任務：掃蕩叢林中的所有敵人。",
         "任務：擊毀敵軍的裝甲戰車。", "任務：炸毀敵軍的燃料倉庫。", "任務：突破防線，到達峽谷會合點。",
         "任務：摧毀所有飛彈發射台。", "任務：攻下敵軍指揮所。", "任務：穿越山谷，到達撤離地點。",
         "任務：破壞敵軍的發電廠。", "任務：突破最後防線，到達目標地點。", "任務：消滅所有敵人，贏得勝利。"},
        // 11: lobby: the player's name, a new room's name, the battle map
        {"玩家名稱：", "房間名稱：", "戰場地圖"},
        // 12: characters in a room
        {"突擊兵", "偵察兵", "重裝兵", "爆破兵", "狙擊兵"},
        // 13: battle maps
        {"湖畔基地", "河谷渡口", "荒原小鎮", "雙水要塞", "海岸港口", "斷河大橋", "冰湖營地", "雪原河谷"},
        // 14: system menu and volume page
        {"方向鍵或WASD：移動", "按住空白鍵走動：飛行", "滑鼠：瞄準", "滑鼠左鍵：主武器",
         "滑鼠右鍵：副武器", "按住左鍵：集氣射擊", "Esc：系統選單", "F6：離開遊戲", "音量：0 - 10"},
    };
}

bool WriteDictionary(const std::filesystem::path& file) {
    datagen::Big5Encoder big5;
    if (!big5.Ok()) {
        std::fprintf(stderr, "tables: no Big5 converter\n");
        return false;
    }
    const std::vector<Group> groups = Dictionary();
    sc_ByteWriter w;
    w.Write(static_cast<uint32_t>(groups.size()));
    std::string text;
    for (const Group& g : groups) {
        w.Write(static_cast<uint32_t>(g.size()));
        for (const char* s : g) {
            if (!big5.Encode(s, text)) {
                std::fprintf(stderr, "tables: no Big5 for %s\n", s);
                return false;
            }
            w.Write(static_cast<uint32_t>(text.size() + 1));
            w.WriteBytes(text.data(), text.size());
            w.Write(uint8_t{0});
        }
    }
    return WriteFile(file, w.Bytes());
}

datagen::Register reg("tables", [](const std::filesystem::path& out) {
    const std::filesystem::path dir = out / "ATTRIB";
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    if (ec) return false;
    bool ok = WriteDictionary(dir / "STRING.DIC");
    ok &= WriteThings(dir / "THING.DB");
    ok &= WriteEnemies(dir / "ENEMY.DB");
    ok &= WriteBullets(dir / "BULLET.DB");
    ok &= WriteAnimals(dir / "ANIMAL.DB");
    return ok;
});

} // namespace

int32_t datagen::BulletRowSpeed(int32_t row) {
    return row >= 0 && row < kBulletRowsUsed ? kBulletRows[static_cast<size_t>(row)].speed : 0;
}

datagen::EnemyPace datagen::EnemyRowPace(int32_t row) {
    if (row < 0 || row >= static_cast<int32_t>(kEnemyRows.size())) return {};
    const EnemyRow& e = kEnemyRows[static_cast<size_t>(row)];
    return {e.stepX,   e.stepY,  e.turnTime, e.stepTime, e.wanderW,
            e.wanderH, e.sightW, e.sightH,   e.attackW,  e.attackH};
}
