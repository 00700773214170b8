#pragma once
// What the enemies and the animals share: the 8-direction step, the
// 32-bit arithmetic their positions and boxes use, the timers, and their
// entry in the show list.
#include <cstdint>

#include "engine/base/point.h"
#include "platform/byte_reader.h"

class sc_GameDir;

namespace walker {

// Positions and sizes come from the mission file and the tables: sums and
// products of them wrap at 32 bits.
int32_t Add32(int32_t a, int32_t b);
int32_t Mul32(int32_t a, int32_t b);

// Whether a tick on the frame clock has come.
bool Due(int32_t lNext);
// The shared random generator's draw in 0..n.
int32_t R(int32_t n);

// One step of a walker facing d (0 north, clockwise) with the step size of
// its table row; no step for a facing outside 0..7.
sc_Point Step8(int32_t d, const sc_Point& oStep);

// The walker's outline marks of a direction at its position into the show
// list, with its kind; forced entries are kept off the screen too.
void AddToSort(const sc_GameDir* pDir, const sc_Point& oPos, uint32_t lKind, void* pObject, int32_t bForce);

// The list operations the enemies' and the animals' containers share: a
// blank walker appended and bound to the view with its place in the list as
// its network id; the mission file's section (a count checked against the
// bytes left, then the records) read and written in list order.
template <class T, class All>
T* AddTo(All& all) {
    all.oList.vAdd(T());
    const int32_t index = all.oList.lGetCount() - 1;
    T* w = all.oList.template pGetNodeAs<T>(index);
    w->vSet(all.pView);
    w->lNetId = index;
    return w;
}

template <class T, class All>
bool LoadInto(All& all, sc_ByteReader& in) {
    all.vClear();
    uint32_t count = 0;
    if (!in.ReadCount(count, T::kRecordMinBytes)) return false;
    for (uint32_t i = 0; i < count; ++i) {
        T* w = all.pAdd();
        if (!w->bLoad(in)) return false;
        w->vSet(all.pView);
    }
    return true;
}

template <class T, class All>
void SaveFrom(const All& all, sc_ByteWriter& out) {
    out.Write(static_cast<uint32_t>(all.oList.lGetCount()));
    for (int32_t i = 0; i < all.oList.lGetCount(); ++i)
        all.oList.template pGetNodeAs<T>(i)->vSave(out);
}

} // namespace walker
