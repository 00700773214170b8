// Feeds untrusted bytes to the string dictionary (first byte even) or to one
// of the four attribute table readers (odd; bits 1-2 pick the table). One
// table an input rather than all four: each read builds and frees every row
// of its table whatever the input's length, which is most of an input's cost.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <typeinfo>

#include "platform/byte_reader.h"
#include "game/all_string.h"
#include "game/attrib.h"
#include "objects/animal.h"
#include "objects/bullet.h"
#include "objects/enemy.h"
#include "objects/thing.h"

namespace {

void Check(bool ok) {
    if (!ok) __builtin_trap();
}

// The count names the first row from 1 on whose key is -1, keys outside the
// table give nothing, and a row copies into a fresh object of its class.
template <class Get> void CheckTable(int32_t count, Get get, int32_t rows) {
    Check(count >= 0 && count < rows && (count == 0 || get(count)->lId == -1));
    for (int32_t i = 1; i < count; ++i)
        Check(get(i)->lId != -1);
    Check(!get(-1) && !get(rows));
    sc_NodeEx list;
    list.vAdd(get(rows - 1));
    const sc_NodeEx* copy = list.pGetNode(0);
    const sc_NodeEx* row = get(0);
    Check(typeid(*copy) == typeid(*row));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* p, size_t n) {
    if (n < 1) return 0;
    if (p[0] % 2 == 0) {
        sc_ByteReader in(p + 1, n - 1);
        sc_AllString d;
        d.bLoad(in);
        for (int32_t g = -1; g <= d.lGetGroupCount(); ++g)
            for (int32_t i = -1; i <= d.lGetCount(g); ++i) {
                const char* s = d.pGetString(g, i);
                Check(d.lGetLength(g, i) == (s ? static_cast<int32_t>(std::strlen(s)) : 0));
            }
        return 0;
    }
    sc_Attrib a;
    sc_ByteReader in(p + 1, n - 1);
    switch (p[0] >> 1 & 3) {
    case 0:
        a.vReadThings(in);
        CheckTable(
            a.lGetThingCount(), [&](int32_t i) { return a.pGetThing(i); }, sc_Attrib::kThingRows);
        Check(!a.pGetThing(0)->oBreakSound.pGetText() ||
              std::strlen(a.pGetThing(0)->oBreakSound.pGetText()) < 32);
        break;
    case 1:
        a.vReadEnemies(in);
        CheckTable(
            a.lGetEnemyCount(), [&](int32_t i) { return a.pGetEnemy(i); }, sc_Attrib::kEnemyRows);
        break;
    case 2:
        a.vReadBullets(in);
        CheckTable(
            a.lGetBulletCount(), [&](int32_t i) { return a.pGetBullet(i); }, sc_Attrib::kBulletRows);
        break;
    default:
        a.vReadAnimals(in);
        CheckTable(
            a.lGetAnimalCount(), [&](int32_t i) { return a.pGetAnimal(i); }, sc_Attrib::kAnimalRows);
        break;
    }
    return 0;
}
