#include "engine/base/tick.h"

#include "engine/base/file.h"
#include "engine/device/frame_time.h"
#include "platform/byte_reader.h"
#include "platform/clock.h"
#include "platform/random.h"

void sc_Tick::vSet(int32_t period, int32_t random) {
    vReset();
    m_lPeriod = period;
    m_lRandom = random;
}

int32_t sc_Tick::bIsDue() {
    if (m_lNext >= plat::TickCount()) return 0;
    uint32_t next = plat::TickCount() + static_cast<uint32_t>(m_lPeriod);
    if (m_lRandom != 0) {
        const int64_t extra = static_cast<int64_t>(plat::Rand()) * m_lRandom / plat::kRandMax;
        next += static_cast<uint32_t>(extra);
    }
    m_lNext = next;
    return 1;
}

void sc_Tick2::vReset() {
    m_lNext = 0;
    m_lFirst = 0;
    m_lSecond = 0;
    m_lPhase = 0;
}

void sc_Tick2::vSet(int32_t first, int32_t second) {
    vReset();
    vSetPeriods(first, second);
}

void sc_Tick2::vSetPeriods(int32_t first, int32_t second) {
    m_lFirst = first;
    m_lSecond = second;
}

int32_t sc_Tick2::bGetPhase() {
    if (m_lNext >= plat::TickCount()) return m_lPhase;
    m_lNext = plat::TickCount() + static_cast<uint32_t>(m_lPhase == 0 ? m_lFirst : m_lSecond);
    m_lPhase = ~m_lPhase;
    return m_lPhase;
}

sc_LightAni::sc_LightAni() {
    vSet(kBounce, 50, 3, 31, -31);
    vStop();
}

void sc_LightAni::vStart() {
    m_lNext = 0;
    switch (m_cMode) {
    case kStopped: m_cDirection = 0; m_cValue = 0; break;
    case kBounce: m_cDirection = 1; m_cValue = 0; break;
    case kRisingSaw: m_cDirection = 1; m_cValue = m_cLower; break;
    default: m_cDirection = -1; m_cValue = m_cUpper; break;
    }
}

void sc_LightAni::vSet(uint8_t mode, int16_t interval, int8_t step, int8_t upper, int8_t lower) {
    m_cMode = mode;
    m_wInterval = interval;
    m_cStep = step;
    m_cUpper = upper;
    m_cLower = lower;
    vStart();
}

void sc_LightAni::vStop() {
    m_cMode = kStopped;
    m_cValue = 0;
}

int8_t sc_LightAni::cGetValue(int32_t time) {
    if (m_cMode == kStopped) return 0;
    if (time == 0) time = g_lNowTick;
    if (m_lNext <= time) {
        // Stepped in int so that the bound rules see the true sum before it
        // is stored in 8 bits.
        int32_t v = m_cValue;
        if (m_cDirection == 1) {
            v += m_cStep;
            if (m_cMode == kBounce) {
                if (v > m_cUpper) {
                    v = m_cUpper;
                    m_cDirection = -1;
                } else if (v == m_cUpper) {
                    m_cDirection = -1;
                }
            } else if (m_cMode == kRisingSaw && v > m_cUpper) {
                v = m_cLower;
            }
        } else {
            v -= m_cStep;
            if (m_cMode == kBounce) {
                if (v < m_cLower) {
                    v = m_cLower;
                    m_cDirection = 1;
                } else if (v == m_cLower) {
                    m_cDirection = 1;
                }
            } else if (m_cMode == kFallingSaw && v < m_cLower) {
                v = m_cUpper;
            }
        }
        m_cValue = static_cast<int8_t>(v);
        m_lNext = static_cast<int32_t>(static_cast<uint32_t>(time) + static_cast<uint32_t>(m_wInterval));
    }
    return m_cValue;
}

void sc_LightAni::vWrite(sc_File& file) const {
    file.lWriteField(m_wInterval);
    file.lWriteField(m_cStep);
    file.lWriteField(m_cUpper);
    file.lWriteField(m_cLower);
    file.lWriteField(m_cMode);
}

void sc_LightAni::vRead(sc_File& file) {
    file.lReadField(m_wInterval);
    file.lReadField(m_cStep);
    file.lReadField(m_cUpper);
    file.lReadField(m_cLower);
    file.lReadField(m_cMode);
    vStart();
}

void sc_LightAni::vWrite(sc_ByteWriter& out) const { out.Write(m_wInterval, m_cStep, m_cUpper, m_cLower, m_cMode); }

bool sc_LightAni::bRead(sc_ByteReader& in) {
    if (!in.Read(m_wInterval, m_cStep, m_cUpper, m_cLower, m_cMode)) return false;
    vStart();
    return true;
}
