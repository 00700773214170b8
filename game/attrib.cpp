#include "game/attrib.h"

#include <algorithm>
#include <string>

#include "platform/byte_reader.h"
#include "engine/base/file.h"
#include "engine/base/member.h"
#include "engine/base/point.h"
#include "objects/animal.h"
#include "objects/bullet.h"
#include "objects/enemy.h"
#include "objects/thing.h"
#include "platform/trace.h"

sc_Attrib* g_pAttrib = nullptr;

namespace attrib {

bool bReadText(sc_ByteReader& in, sc_MemberString& text) {
    char field[kTextBytes];
    if (!in.ReadText(field)) return false;
    text.vSet(field);
    return true;
}

bool bReadPoint(sc_ByteReader& in, sc_Point& point) { return point.bRead(in); }

} // namespace attrib

namespace {

constexpr const char* kSource = "sc_Attrib";

// A table's bytes: the file up to its expected size (anything after the last
// record is never read). A missing or short file gives what there is, with a
// line in the trace; the reader then runs out where the file does.
sc_ByteReader TableBytes(const char* name, int32_t rows, uint32_t recordBytes) {
    const uint32_t expected = sc_Attrib::kHeaderBytes + static_cast<uint32_t>(rows) * recordBytes;
    sc_CreateFileSquentialAccess file(name);
    if (!file.bIsOpen()) {
        plat::Trace(kSource, std::string(name) + " does not open");
        return sc_ByteReader::Failed();
    }
    const uint32_t size = std::min(file.lRemaining(), expected);
    if (size < expected)
        plat::Trace(kSource, std::string(name) + " ends early: " + std::to_string(size) + " of " +
                                 std::to_string(expected) + " bytes");
    return sc_ByteReader::FromFile(file.rFile(), size);
}

// The shared shape of the four readers: a fresh array of constructor-made
// prototypes, the header, then every row in file order with the count rule
// applied after each. Rows past the end of the bytes keep their constructor
// values and are counted the same way.
template <class T>
void ReadTable(sc_ByteReader& in, std::unique_ptr<T[]>& table, int32_t& count, int32_t rows) {
    table = std::make_unique<T[]>(static_cast<size_t>(rows));
    count = 0;
    uint32_t header = 0;
    in.Read(header);
    for (int32_t i = 0; i < rows; ++i) {
        table[i].bReadAttrib(in);
        if (table[i].lId == -1 && count == 0) count = i;
    }
}

template <class T> const T* RowOf(const std::unique_ptr<T[]>& table, int32_t rows, int32_t index) {
    if (!table || index < 0 || index >= rows) return nullptr;
    return &table[index];
}

} // namespace

sc_Attrib::sc_Attrib() { g_pAttrib = this; }

sc_Attrib::~sc_Attrib() {
    vClear();
    if (g_pAttrib == this) g_pAttrib = nullptr;
}

void sc_Attrib::vClear() {
    m_pThing.reset();
    m_pEnemy.reset();
    m_pBullet.reset();
    m_pAnimal.reset();
    m_lThingCount = m_lEnemyCount = m_lBulletCount = m_lAnimalCount = 0;
}

void sc_Attrib::vLoad() {
    vClear();
    sc_ByteReader thing = TableBytes(kThingFile, kThingRows, sc_Thing::kAttribBytes);
    vReadThings(thing);
    sc_ByteReader enemy = TableBytes(kEnemyFile, kEnemyRows, sc_Enemy::kAttribBytes);
    vReadEnemies(enemy);
    sc_ByteReader bullet = TableBytes(kBulletFile, kBulletRows, sc_Bullet::kAttribBytes);
    vReadBullets(bullet);
    sc_ByteReader animal = TableBytes(kAnimalFile, kAnimalRows, sc_Animal::kAttribBytes);
    vReadAnimals(animal);
}

void sc_Attrib::vReadThings(sc_ByteReader& in) { ReadTable(in, m_pThing, m_lThingCount, kThingRows); }
void sc_Attrib::vReadEnemies(sc_ByteReader& in) { ReadTable(in, m_pEnemy, m_lEnemyCount, kEnemyRows); }
void sc_Attrib::vReadBullets(sc_ByteReader& in) { ReadTable(in, m_pBullet, m_lBulletCount, kBulletRows); }
void sc_Attrib::vReadAnimals(sc_ByteReader& in) { ReadTable(in, m_pAnimal, m_lAnimalCount, kAnimalRows); }

const sc_Thing* sc_Attrib::pGetThing(int32_t index) const { return RowOf(m_pThing, kThingRows, index); }
const sc_Enemy* sc_Attrib::pGetEnemy(int32_t index) const { return RowOf(m_pEnemy, kEnemyRows, index); }
const sc_Bullet* sc_Attrib::pGetBullet(int32_t index) const { return RowOf(m_pBullet, kBulletRows, index); }
const sc_Animal* sc_Attrib::pGetAnimal(int32_t index) const { return RowOf(m_pAnimal, kAnimalRows, index); }
