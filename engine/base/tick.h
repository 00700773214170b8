#pragma once
#include <cstdint>

class sc_File;
class sc_ByteReader;
class sc_ByteWriter;

// A repeating timer on the tick count whose period can carry a random extra
// of 0 up to the random part. New or reset, it is due at its first query.
class sc_Tick {
public:
    sc_Tick() = default;
    virtual ~sc_Tick() { vReset(); }

    void vReset() { m_lNext = 0; m_lPeriod = 0; } // keeps the random part
    void vSet(int32_t period, int32_t random);
    void vSetPeriod(int32_t ms) { m_lPeriod = ms; }
    void vSetRandom(int32_t ms) { m_lRandom = ms; }
    // 1 once the tick count has passed the next time, which then moves on.
    int32_t bIsDue();

private:
    uint32_t m_lNext = 0;
    int32_t m_lPeriod = 0;
    int32_t m_lRandom = 0;
};

// A blinker: all bits set for the first period, 0 for the second, and so on.
class sc_Tick2 {
public:
    sc_Tick2() = default;
    virtual ~sc_Tick2() { vReset(); }

    void vReset();
    void vSet(int32_t first, int32_t second);
    void vSetPeriods(int32_t first, int32_t second);
    int32_t bGetPhase();

private:
    uint32_t m_lNext = 0;
    int32_t m_lFirst = 0;
    int32_t m_lSecond = 0;
    int32_t m_lPhase = 0;
};

// A signed 8-bit value stepping between two bounds at a fixed interval.
// Modes: 0 stopped, 1 bounce, 2 rising saw (past the upper bound it restarts
// at the lower), 3 falling saw (past the lower bound it restarts at the upper).
class sc_LightAni {
public:
    enum : uint8_t { kStopped = 0, kBounce = 1, kRisingSaw = 2, kFallingSaw = 3 };

    sc_LightAni();
    virtual ~sc_LightAni() = default;

    void vSet(uint8_t mode, int16_t interval, int8_t step, int8_t upper, int8_t lower);
    void vStop();
    // At most one step per call; a time of 0 means the frame time.
    int8_t cGetValue(int32_t time = 0);

    uint8_t cGetMode() const { return m_cMode; }

    // The 6-byte record: interval (2), step, upper, lower, mode (1 each).
    void vWrite(sc_File& file) const;
    void vRead(sc_File& file);
    void vWrite(sc_ByteWriter& out) const;
    bool bRead(sc_ByteReader& in);

private:
    void vStart(); // the value and direction that the mode starts from

    int16_t m_wInterval = 0;
    int8_t m_cStep = 0;
    int8_t m_cValue = 0;
    int8_t m_cUpper = 0;
    int8_t m_cLower = 0;
    uint8_t m_cMode = 0;
    int32_t m_lNext = 0;
    int8_t m_cDirection = 0;
};
