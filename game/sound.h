#pragma once
#include <array>
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "engine/base/node.h"
#include "engine/device/window.h"
#include "platform/audio.h"

// The game's sounds: WAV files from the data folder, at most eight at once,
// each loaded into its own voice of the mixer when it starts and freed when
// the per-frame scan finds it stopped. A name started without repeat is
// listed while it plays and cannot be started again until it is freed, so
// screen music started every frame plays once at a time and restarts when it
// ends. Every voice plays as 22050 Hz, 16-bit stereo whatever its file says.
class sc_Sound {
public:
    static constexpr int32_t kSlots = 8;
    static constexpr int32_t kVolumeMin = -3000;
    static constexpr int32_t kVolumeMax = 0;

    sc_Sound();
    virtual ~sc_Sound();
    sc_Sound(const sc_Sound&) = delete;
    sc_Sound& operator=(const sc_Sound&) = delete;

    // Claims the mixer for the window. Without a live window the sound stays
    // off: every call does nothing until the next vInit.
    void vInit(WindowHandle window);
    // Frees every slot and empties the lists; the sound is off until vInit.
    void vRelease();

    // Starts a sound; loops only when loop is exactly 1. With repeat 0 a
    // name that is still listed is not started again.
    void vPlay(const char* pName, int32_t lLoop, int32_t lRepeat);
    void vStopAll();
    // Hundredths of a decibel, kept within -3000..0; remembered and given to
    // every sound started later as well.
    void vSetVolume(int32_t lVolume);
    // -10000..10000; remembered like the volume.
    void vSetPan(int32_t lPan);
    int32_t lGetVolume() const { return lVolume; }
    int32_t lGetPan() const { return lPan; }
    // Once a frame: frees the slots whose sound has stopped and unlists them.
    void vSoundScan();
    // Whether a sound started without repeat is still listed as playing.
    bool bIsListed(const char* pName) const { return pName && lFindName(pName) >= 0; }

    // Loads the file into a free slot and makes its voice; the slot or -1.
    int32_t lLoadWav(const char* pName);
    int32_t lGetFreeBuffer() const;
    bool bCreateBuffer(int32_t lSlot);
    bool bFillBuffer(int32_t lSlot);
    void vPlayBuffer(int32_t lSlot, int32_t lLoop);
    void vStopBuffer(int32_t lSlot);
    void vFreeBuffer(int32_t lSlot);
    bool bIsStopped(int32_t lSlot) const;
    void vSetBufferVolume(int32_t lSlot, int32_t lVolume);
    void vSetBufferPan(int32_t lSlot, int32_t lPan);

private:
    static bool bValidSlot(int32_t lSlot) { return lSlot >= 0 && lSlot < kSlots; }
    int32_t lFindName(const char* pName) const;
    // A load failure is traced once per name between two vInit calls.
    bool bShouldReport(const char* pName) const;

    WindowHandle hWnd = 0;
    bool bDirectSound = false; // the mixer was claimed by the last vInit
    std::array<std::vector<uint8_t>, kSlots> pData{};
    std::array<int32_t, kSlots> lSize{};
    std::array<plat::VoiceId, kSlots> ppBuffer{}; // 0: the slot is free
    sc_NodeEx oNames;                             // sc_MemberString: names playing without repeat
    sc_NodeEx oSlots;                             // sc_MemberLong: their slots, in the same order
    int32_t lVolume = 0;
    int32_t lPan = 0;
    std::set<std::string> oReported;
};

extern sc_Sound* g_pSound;

// Starts a sound that may overlap itself, through the game's sound object.
void v_PlaySound(const char* pName, int32_t lLoop);
