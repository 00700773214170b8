#pragma once
#include <cstdint>
#include <span>
#include <type_traits>

#include "engine/base/point.h"
#include "platform/byte_reader.h"

// The game records of network battles, one description per kind: its
// fields in record order, each with the range it is held to when a peer
// sends it. The records are read and written only through these, and a
// record's length is the sum of its fields', so that a value the game
// cannot do arithmetic on never gets past the reader.
//
// On the wire: kind, size word, then the fields, 32 bits each, little-
// endian; a point is x then y. A size word longer than the fields is
// allowed (the walk steps over the rest).

// What a field from a peer may hold.
struct ss_FieldRule {
    enum : uint8_t {
        kAny,    // compared only: identities, keys
        kFlag,   // any non-zero value reads as 1
        kPlace,  // a map coordinate, held to +-kFarPlace
        kAmount, // a meter, score or distance, held to +-kFarAmount
        kIndex,  // 0 .. lCount - 1: what picks a picture, a table row or a
                 // character; a record with anything else is refused
    } eKind = kAny;
    int32_t lCount = 0;
};

// Far beyond any map or meter, and small enough that sums and differences
// of two such values, or of one and a table's value, stay inside 32 bits.
inline constexpr int32_t kFarPlace = 1 << 24;
inline constexpr int32_t kFarAmount = 1 << 24;

inline constexpr ss_FieldRule kAnyValue{ss_FieldRule::kAny, 0};
inline constexpr ss_FieldRule kFlagValue{ss_FieldRule::kFlag, 0};
inline constexpr ss_FieldRule kPlaceValue{ss_FieldRule::kPlace, 0};
inline constexpr ss_FieldRule kAmountValue{ss_FieldRule::kAmount, 0};
constexpr ss_FieldRule o_IndexBelow(int32_t lCount) { return {ss_FieldRule::kIndex, lCount}; }

// Bounds of the index fields.
inline constexpr int32_t kRecordPlayers = 4;       // characters of a battle
inline constexpr int32_t kRecordDirections16 = 16; // characters and guns
inline constexpr int32_t kRecordDirections8 = 8;   // enemies and mines
inline constexpr int32_t kRecordBulletTypes = 100; // rows of the bullet table
inline constexpr int32_t kRecordBulletFlights = 7;
inline constexpr int32_t kRecordBulletDirections = 32;
inline constexpr int32_t kRecordMineKinds = 8; // objects of the mine pack
inline constexpr int32_t kRecordEnemyStatuses = 3;

template <class R> constexpr uint32_t l_RecordBytes();
template <class R> void v_WriteRecord(const R& r, sc_ByteWriter& out);
template <class R> const char* p_ReadRecord(std::span<const uint8_t> bytes, R& out);
// A record that was not applied: one trace line, or, while a received
// message is dispatched, counted against its sender.
void v_RefuseRecord(const char* pRecord, const char* pWhy);

// What every description offers: its kind, its length, and the reader and
// the writer of the record.
template <class Self, uint32_t Kind> struct ss_RecordOf {
    static constexpr uint32_t kKind = Kind;
    static constexpr uint32_t lBytes() { return l_RecordBytes<Self>(); }

    void vWrite(sc_ByteWriter& out) const { v_WriteRecord(static_cast<const Self&>(*this), out); }
    // The whole record held to its ranges, or false (refused, as above)
    // with this one unchanged.
    bool bRead(std::span<const uint8_t> bytes) {
        if (const char* why = p_ReadRecord(bytes, static_cast<Self&>(*this))) {
            v_RefuseRecord(Self::kName, why);
            return false;
        }
        return true;
    }
};

// Kind 1: a step (or a stop) of a machine's own character, asked of the
// authority.
struct ss_WalkRecord : ss_RecordOf<ss_WalkRecord, 1> {
    static constexpr const char* kName = "walk record";
    int32_t lIndex = 0;
    int32_t lDirection = 0;
    int32_t bMoving = 0;
    int32_t bFlying = 0;
    ss_PlainPoint oPos;

    template <class R, class V> static constexpr void vFields(R& r, V&& v) {
        v(r.lIndex, o_IndexBelow(kRecordPlayers));
        v(r.lDirection, o_IndexBelow(kRecordDirections16));
        v(r.bMoving, kFlagValue);
        v(r.bFlying, kFlagValue);
        v(r.oPos, kPlaceValue);
    }
};

// Kind 2: a shot (or an aim, or a charge's release) of a machine's own
// character, asked of the authority.
struct ss_FireRecord : ss_RecordOf<ss_FireRecord, 2> {
    static constexpr const char* kName = "fire record";
    int32_t lIndex = 0;
    int32_t bFire = 0; // 1 a shot, 0 aim only or a charge's release
    int32_t lDirection = 0;
    ss_PlainPoint oAim;
    int32_t lChargePower = 0;
    ss_PlainPoint oOwner; // where the sender saw its character

    template <class R, class V> static constexpr void vFields(R& r, V&& v) {
        v(r.lIndex, o_IndexBelow(kRecordPlayers));
        v(r.bFire, kFlagValue);
        v(r.lDirection, o_IndexBelow(kRecordDirections16));
        v(r.oAim, kPlaceValue);
        v(r.lChargePower, kAmountValue);
        v(r.oOwner, kPlaceValue);
    }
};

// Kind 3: a character's whole state, as the authority sees it.
struct ss_StateRecord : ss_RecordOf<ss_StateRecord, 3> {
    static constexpr const char* kName = "character state record";
    int32_t lIndex = 0;
    ss_PlainPoint oPos;
    int32_t bPresent = 0;
    int32_t lFacing = 0;
    int32_t bMoving = 0;
    int32_t bBlocked = 0;
    int32_t lGunDirection = 0;
    int32_t bGunFiring = 0;
    int32_t lHitPoints = 0;
    int32_t lFly = 0;
    int32_t bFlying = 0;
    int32_t bInvisible = 0;
    int32_t lDrain = 0;
    int32_t lScore = 0;
    int32_t bNear = 0;
    int32_t lShownDir = 0;

    template <class R, class V> static constexpr void vFields(R& r, V&& v) {
        v(r.lIndex, o_IndexBelow(kRecordPlayers));
        v(r.oPos, kPlaceValue);
        v(r.bPresent, kFlagValue);
        v(r.lFacing, o_IndexBelow(kRecordDirections16));
        v(r.bMoving, kFlagValue);
        v(r.bBlocked, kFlagValue);
        v(r.lGunDirection, o_IndexBelow(kRecordDirections16));
        v(r.bGunFiring, kFlagValue);
        v(r.lHitPoints, kAmountValue);
        v(r.lFly, kAmountValue);
        v(r.bFlying, kFlagValue);
        v(r.bInvisible, kFlagValue);
        v(r.lDrain, kAmountValue);
        v(r.lScore, kAmountValue);
        v(r.bNear, kFlagValue);
        v(r.lShownDir, o_IndexBelow(kRecordDirections16));
    }
};

// Kind 4: a bullet as the authority flies it.
struct ss_BulletRecord : ss_RecordOf<ss_BulletRecord, 4> {
    static constexpr const char* kName = "bullet record";
    int32_t bNew = 0; // the bullet is new: the receiver adds it
    int32_t lNetId = 0;
    ss_PlainPoint oPos;
    int32_t bActive = 0;
    ss_PlainPoint oStart;
    ss_PlainPoint oTarget;
    int32_t lTravelled = 0;
    int32_t bFinished = 0;
    int32_t bStopped = 0;
    int32_t lOwnerKind = 0;
    int32_t lOwnerId = 0;
    int32_t lId = 0; // the bullet type
    int32_t lFlight = 0;
    int32_t lDirection = 0;

    template <class R, class V> static constexpr void vFields(R& r, V&& v) {
        v(r.bNew, kFlagValue);
        v(r.lNetId, kAnyValue);
        v(r.oPos, kPlaceValue);
        v(r.bActive, kFlagValue);
        v(r.oStart, kPlaceValue);
        v(r.oTarget, kPlaceValue);
        v(r.lTravelled, kAmountValue);
        v(r.bFinished, kFlagValue);
        v(r.bStopped, kFlagValue);
        v(r.lOwnerKind, kAnyValue);
        v(r.lOwnerId, kAnyValue);
        v(r.lId, o_IndexBelow(kRecordBulletTypes));
        v(r.lFlight, o_IndexBelow(kRecordBulletFlights));
        v(r.lDirection, o_IndexBelow(kRecordBulletDirections));
    }
};

// Kind 5: a thing as the authority sees it.
struct ss_ThingRecord : ss_RecordOf<ss_ThingRecord, 5> {
    static constexpr const char* kName = "thing record";
    int32_t lIndex = 0;
    ss_PlainPoint oPos;
    int32_t lLife = 0;
    int32_t bNear = 0;

    template <class R, class V> static constexpr void vFields(R& r, V&& v) {
        v(r.lIndex, kAnyValue);
        v(r.oPos, kPlaceValue);
        v(r.lLife, kAmountValue);
        v(r.bNear, kFlagValue);
    }
};

// Kind 6: an item, new or taken.
struct ss_PropRecord : ss_RecordOf<ss_PropRecord, 6> {
    static constexpr const char* kName = "item record";
    int32_t bNew = 0;
    int32_t lId = 0;
    int32_t lKind = 0; // kinds without an effect are taken all the same
    ss_PlainPoint oPos;
    int32_t bTaken = 0;

    template <class R, class V> static constexpr void vFields(R& r, V&& v) {
        v(r.bNew, kFlagValue);
        v(r.lId, kAnyValue);
        v(r.lKind, kAnyValue);
        v(r.oPos, kPlaceValue);
        v(r.bTaken, kFlagValue);
    }
};

// Kind 7: a mine as the authority sees it.
struct ss_MineRecord : ss_RecordOf<ss_MineRecord, 7> {
    static constexpr const char* kName = "mine record";
    int32_t bNew = 0;
    int32_t lNetId = 0;
    int32_t lKind = 0;
    ss_PlainPoint oPos;
    int32_t bArmed = 0;
    int32_t bDestroyed = 0;
    int32_t lFacing = 0;

    template <class R, class V> static constexpr void vFields(R& r, V&& v) {
        v(r.bNew, kFlagValue);
        v(r.lNetId, kAnyValue);
        v(r.lKind, o_IndexBelow(kRecordMineKinds));
        v(r.oPos, kPlaceValue);
        v(r.bArmed, kFlagValue);
        v(r.bDestroyed, kFlagValue);
        v(r.lFacing, o_IndexBelow(kRecordDirections8));
    }
};

// Kind 8: a machine without authority asks for its player's mine.
struct ss_MineRequest : ss_RecordOf<ss_MineRequest, 8> {
    static constexpr const char* kName = "mine request";
    int32_t lKind = 0;
    ss_PlainPoint oPos;
    int32_t bArmed = 0;

    template <class R, class V> static constexpr void vFields(R& r, V&& v) {
        v(r.lKind, o_IndexBelow(kRecordMineKinds));
        v(r.oPos, kPlaceValue);
        v(r.bArmed, kFlagValue);
    }
};

// Kind 9: an enemy as the authority sees it.
struct ss_EnemyRecord : ss_RecordOf<ss_EnemyRecord, 9> {
    static constexpr const char* kName = "enemy record";
    int32_t lNetId = 0;
    ss_PlainPoint oPos;
    int32_t bLoaded = 0;
    int32_t lFacing = 0;
    int32_t lStatus = 0;
    int32_t bOnKind3Cell = 0;
    int32_t bTarget = 0; // it has a target; never a reference
    int32_t bAwake = 0;
    int32_t lHitPoints = 0;

    template <class R, class V> static constexpr void vFields(R& r, V&& v) {
        v(r.lNetId, kAnyValue);
        v(r.oPos, kPlaceValue);
        v(r.bLoaded, kFlagValue);
        v(r.lFacing, o_IndexBelow(kRecordDirections8));
        v(r.lStatus, o_IndexBelow(kRecordEnemyStatuses));
        v(r.bOnKind3Cell, kFlagValue);
        v(r.bTarget, kFlagValue);
        v(r.bAwake, kFlagValue);
        v(r.lHitPoints, kAmountValue);
    }
};

// Animals run on every machine by themselves: no record of theirs is ever
// on the network. The container still matches one to an animal by its
// identity, and the animal takes nothing from it.
struct ss_AnimalRecord {
    int32_t lNetId = 0;
};

// The length of a record of the kind, 0 for a kind without a record.
uint32_t l_RecordLength(uint32_t lKind);

// ------------------------------------------------------------------ generic

namespace record_detail {

template <class F> constexpr bool kIsPoint = std::is_same_v<std::remove_cvref_t<F>, ss_PlainPoint>;

// A field as read from a peer, held to its rule; false for an index out of
// its range.
inline bool bHold(int32_t& value, ss_FieldRule rule) {
    auto clamp = [&](int32_t far) { value = value < -far ? -far : value > far ? far : value; };
    switch (rule.eKind) {
    case ss_FieldRule::kFlag: value = value != 0 ? 1 : 0; return true;
    case ss_FieldRule::kPlace: clamp(kFarPlace); return true;
    case ss_FieldRule::kAmount: clamp(kFarAmount); return true;
    case ss_FieldRule::kIndex: return value >= 0 && value < rule.lCount;
    case ss_FieldRule::kAny: return true;
    }
    return true;
}

} // namespace record_detail

template <class R> constexpr uint32_t l_RecordBytes() {
    R r{};
    uint32_t n = 8;
    R::vFields(r, [&n](auto& field, ss_FieldRule) { n += record_detail::kIsPoint<decltype(field)> ? 8 : 4; });
    return n;
}

template <class R> void v_WriteRecord(const R& r, sc_ByteWriter& out) {
    out.Write(R::kKind, R::lBytes());
    R::vFields(r, [&out](const auto& field, ss_FieldRule) {
        if constexpr (record_detail::kIsPoint<decltype(field)>)
            out.Write(field.x, field.y);
        else
            out.Write(field);
    });
}

// Null when the record was read whole into out, else why not (out is then
// unchanged).
template <class R> const char* p_ReadRecord(std::span<const uint8_t> bytes, R& out) {
    sc_ByteReader in(bytes);
    uint32_t kind = 0, size = 0;
    if (!in.Read(kind, size) || !in.Has(R::lBytes() - 8)) return "record ends early";
    if (kind != R::kKind) return "record of another kind";
    if (size < R::lBytes() || size > bytes.size()) return "size word does not fit the record";
    R r{};
    bool sound = true;
    R::vFields(r, [&](auto& field, ss_FieldRule rule) {
        if constexpr (record_detail::kIsPoint<decltype(field)>) {
            in.Read(field.x, field.y);
            sound = record_detail::bHold(field.x, rule) && record_detail::bHold(field.y, rule) && sound;
        } else {
            in.Read(field);
            sound = record_detail::bHold(field, rule) && sound;
        }
    });
    if (!sound) return "value out of range";
    out = r;
    return nullptr;
}
