#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>

class sc_Thing;
class sc_Enemy;
class sc_Bullet;
class sc_Animal;
class sc_ByteReader;
class sc_MemberString;
class sc_Point;

// The prototypes every thing, enemy, bullet and animal is copied from: four
// fixed arrays read once at start-up from the attribute tables.
//
// Each table file is a 4-byte header that nobody reads, then fixed-size
// records of little-endian 32-bit fields, 8-byte points and 32-byte texts
// (zero-terminated, zero-padded). A short or missing file leaves the fields
// it did not hold at the prototypes' constructor values.
class sc_Attrib {
public:
    static constexpr int32_t kThingRows = 200;
    static constexpr int32_t kEnemyRows = 100;
    static constexpr int32_t kBulletRows = 100;
    static constexpr int32_t kAnimalRows = 100;
    static constexpr uint32_t kHeaderBytes = 4;

    static constexpr const char* kThingFile = "ATTRIB\\THING.DB";
    static constexpr const char* kEnemyFile = "ATTRIB\\ENEMY.DB";
    static constexpr const char* kBulletFile = "ATTRIB\\BULLET.DB";
    static constexpr const char* kAnimalFile = "ATTRIB\\ANIMAL.DB";

    sc_Attrib();
    virtual ~sc_Attrib();
    sc_Attrib(const sc_Attrib&) = delete;
    sc_Attrib& operator=(const sc_Attrib&) = delete;

    // Drops the four arrays; every count becomes 0.
    void vClear();
    // vClear, then the four tables in the order thing, enemy, bullet, animal.
    void vLoad();

    // One table from the bytes of its file: a fresh array of constructor-made
    // prototypes, filled from the records that are there, then counted. The
    // other tables are left as they are.
    void vReadThings(sc_ByteReader& in);
    void vReadEnemies(sc_ByteReader& in);
    void vReadBullets(sc_ByteReader& in);
    void vReadAnimals(sc_ByteReader& in);

    // Usable prototypes: the first row from 1 on whose key is -1, 0 when
    // there is none. The rows after it are still held.
    int32_t lGetThingCount() const { return m_lThingCount; }
    int32_t lGetEnemyCount() const { return m_lEnemyCount; }
    int32_t lGetBulletCount() const { return m_lBulletCount; }
    int32_t lGetAnimalCount() const { return m_lAnimalCount; }

    // The prototype of a row; null outside the table or before it is read, so
    // a bad key leaves an object without its prototype instead of reading
    // past the array.
    const sc_Thing* pGetThing(int32_t index) const;
    const sc_Enemy* pGetEnemy(int32_t index) const;
    const sc_Bullet* pGetBullet(int32_t index) const;
    const sc_Animal* pGetAnimal(int32_t index) const;

private:
    int32_t m_lThingCount = 0;
    std::unique_ptr<sc_Thing[]> m_pThing;
    int32_t m_lEnemyCount = 0;
    std::unique_ptr<sc_Enemy[]> m_pEnemy;
    int32_t m_lBulletCount = 0;
    std::unique_ptr<sc_Bullet[]> m_pBullet;
    int32_t m_lAnimalCount = 0;
    std::unique_ptr<sc_Animal[]> m_pAnimal;
};

extern sc_Attrib* g_pAttrib;

// The field forms of the table records, shared by the prototype readers.
namespace attrib {

inline constexpr size_t kTextBytes = 32;

// A 32-byte text field: at most 31 bytes of text are kept, whatever the
// field holds. A field that does not arrive leaves the member as it was.
bool bReadText(sc_ByteReader& in, sc_MemberString& text);
// An 8-byte point field, x then y.
bool bReadPoint(sc_ByteReader& in, sc_Point& point);

} // namespace attrib
