#include "network/records.h"

#include "network/transmit.h"
#include "platform/trace.h"

// The lengths every machine of a battle expects.
static_assert(ss_WalkRecord::lBytes() == 32 && ss_FireRecord::lBytes() == 40 && ss_StateRecord::lBytes() == 76);
static_assert(ss_BulletRecord::lBytes() == 76 && ss_ThingRecord::lBytes() == 28 && ss_PropRecord::lBytes() == 32);
static_assert(ss_MineRecord::lBytes() == 40 && ss_MineRequest::lBytes() == 24 && ss_EnemyRecord::lBytes() == 48);

uint32_t l_RecordLength(uint32_t lKind) {
    switch (lKind) {
    case ss_WalkRecord::kKind: return ss_WalkRecord::lBytes();
    case ss_FireRecord::kKind: return ss_FireRecord::lBytes();
    case ss_StateRecord::kKind: return ss_StateRecord::lBytes();
    case ss_BulletRecord::kKind: return ss_BulletRecord::lBytes();
    case ss_ThingRecord::kKind: return ss_ThingRecord::lBytes();
    case ss_PropRecord::kKind: return ss_PropRecord::lBytes();
    case ss_MineRecord::kKind: return ss_MineRecord::lBytes();
    case ss_MineRequest::kKind: return ss_MineRequest::lBytes();
    case ss_EnemyRecord::kKind: return ss_EnemyRecord::lBytes();
    default: return 0;
    }
}

void v_RefuseRecord(const char* pRecord, const char* pWhy) {
    if (g_pTransmit && g_pTransmit->bDispatching())
        g_pTransmit->vRefuse(pRecord, pWhy);
    else
        plat::Trace(pRecord, pWhy);
}
