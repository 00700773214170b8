#include "game/sound.h"

#include <algorithm>
#include <cstring>

#include "engine/base/member.h"
#include "game/wav_file.h"
#include "platform/trace.h"

sc_Sound* g_pSound = nullptr;

namespace {

// Enough for every sound file of the game; past it failures go untraced.
constexpr size_t kMaxReportedNames = 128;
// One stereo 16-bit frame.
constexpr size_t kBytesPerFrame = 4;

} // namespace

sc_Sound::sc_Sound() { g_pSound = this; }

sc_Sound::~sc_Sound() {
    vRelease();
    if (g_pSound == this) g_pSound = nullptr;
}

void sc_Sound::vInit(WindowHandle window) {
    vRelease();
    oReported.clear();
    hWnd = window;
    // The sound belongs to the program's window, as the output device's
    // cooperation does; no window, no sound.
    if (!b_IsWindow(window)) {
        plat::Trace("sound", "no window to play for; sound is off");
        return;
    }
    bDirectSound = true;
}

void sc_Sound::vRelease() {
    for (int32_t slot = 0; slot < kSlots; ++slot) vStopBuffer(slot);
    // The lists name sounds of slots that are gone: kept, they would refuse
    // those names for good.
    oNames.vClear();
    oSlots.vClear();
    bDirectSound = false;
}

int32_t sc_Sound::lFindName(const char* pName) const {
    for (int32_t i = 0; i < oNames.lGetCount(); ++i) {
        const auto* name = oNames.pGetNodeAs<sc_MemberString>(i);
        if (name && name->pGetText() && std::strcmp(name->pGetText(), pName) == 0) return i;
    }
    return -1;
}

void sc_Sound::vPlay(const char* pName, int32_t lLoop, int32_t lRepeat) {
    // A table row without a sound holds an empty name: nothing to play, and
    // nothing worth a trace line every frame.
    if (!bDirectSound || !pName || !*pName) return;
    if (lRepeat == 0 && lFindName(pName) >= 0) return;
    const int32_t slot = lLoadWav(pName);
    if (slot < 0) return;
    if (lRepeat == 0) {
        oNames.vAdd(sc_MemberString(pName));
        oSlots.vAdd(sc_MemberLong(slot));
    }
    vPlayBuffer(slot, lLoop);
}

void v_PlaySound(const char* pName, int32_t lLoop) {
    if (g_pSound) g_pSound->vPlay(pName, lLoop, 1);
}

void sc_Sound::vStopAll() {
    for (int32_t slot = 0; slot < kSlots; ++slot) vStopBuffer(slot);
    oNames.vClear();
    oSlots.vClear();
}

void sc_Sound::vSetVolume(int32_t lNewVolume) {
    lVolume = std::clamp(lNewVolume, kVolumeMin, kVolumeMax);
    for (int32_t slot = 0; slot < kSlots; ++slot) vSetBufferVolume(slot, lVolume);
}

void sc_Sound::vSetPan(int32_t lNewPan) {
    lPan = std::clamp(lNewPan, plat::kPanLeft, plat::kPanRight);
    for (int32_t slot = 0; slot < kSlots; ++slot) vSetBufferPan(slot, lPan);
}

void sc_Sound::vSoundScan() {
    std::array<bool, kSlots> freed{};
    for (int32_t slot = 0; slot < kSlots; ++slot) {
        if (!bIsStopped(slot)) continue;
        vStopBuffer(slot);
        freed[static_cast<size_t>(slot)] = true;
    }
    for (int32_t i = oSlots.lGetCount() - 1; i >= 0; --i) {
        const auto* slot = oSlots.pGetNodeAs<sc_MemberLong>(i);
        if (!slot || !bValidSlot(slot->lGet()) || !freed[static_cast<size_t>(slot->lGet())]) continue;
        oSlots.vDelete(i);
        oNames.vDelete(i);
    }
}

bool sc_Sound::bShouldReport(const char* pName) const {
    return oReported.size() < kMaxReportedNames && !oReported.contains(pName);
}

int32_t sc_Sound::lLoadWav(const char* pName) {
    if (!bDirectSound || !pName || !*pName) return -1;
    // With every slot taken the file is not worth reading.
    const int32_t slot = lGetFreeBuffer();
    if (slot < 0) return -1;
    // Screen music asks for its file every frame: a bad file is traced once.
    const bool report = bShouldReport(pName);
    std::vector<uint8_t> samples;
    WavFormat format;
    bool loaded = LoadWavFile(pName, samples, format, report);
    if (loaded && samples.size() < kBytesPerFrame) {
        if (report) plat::Trace(pName, "holds no whole sample");
        loaded = false;
    }
    if (!loaded) {
        if (report) oReported.insert(pName);
        return -1;
    }
    lSize[static_cast<size_t>(slot)] = static_cast<int32_t>(samples.size());
    pData[static_cast<size_t>(slot)] = std::move(samples);
    if (!bCreateBuffer(slot) || !bFillBuffer(slot)) {
        vFreeBuffer(slot);
        return -1;
    }
    return slot;
}

int32_t sc_Sound::lGetFreeBuffer() const {
    for (int32_t slot = 0; slot < kSlots; ++slot)
        if (ppBuffer[static_cast<size_t>(slot)] == 0) return slot;
    return -1;
}

bool sc_Sound::bCreateBuffer(int32_t lSlot) {
    if (!bDirectSound || !bValidSlot(lSlot)) return false;
    const auto s = static_cast<size_t>(lSlot);
    if (ppBuffer[s] != 0) plat::DestroyVoice(ppBuffer[s]);
    // The file's own rate, channels and bits are not looked at.
    const plat::PcmFormat format{plat::kAudioRate, 2, 16};
    ppBuffer[s] = plat::CreateVoice(pData[s], format);
    if (ppBuffer[s] == 0) return false;
    plat::SetVoiceVolume(ppBuffer[s], lVolume);
    plat::SetVoicePan(ppBuffer[s], lPan);
    return true;
}

bool sc_Sound::bFillBuffer(int32_t lSlot) {
    // The mixer takes its copy of the samples when the voice is made; what is
    // left to check is that the voice exists.
    return bValidSlot(lSlot) && ppBuffer[static_cast<size_t>(lSlot)] != 0;
}

void sc_Sound::vPlayBuffer(int32_t lSlot, int32_t lLoop) {
    if (!bValidSlot(lSlot) || ppBuffer[static_cast<size_t>(lSlot)] == 0) return;
    plat::PlayVoice(ppBuffer[static_cast<size_t>(lSlot)], lLoop == 1);
}

void sc_Sound::vStopBuffer(int32_t lSlot) {
    if (!bValidSlot(lSlot)) return;
    if (ppBuffer[static_cast<size_t>(lSlot)] != 0) plat::StopVoice(ppBuffer[static_cast<size_t>(lSlot)]);
    vFreeBuffer(lSlot);
}

void sc_Sound::vFreeBuffer(int32_t lSlot) {
    if (!bValidSlot(lSlot)) return;
    const auto s = static_cast<size_t>(lSlot);
    if (ppBuffer[s] != 0) plat::DestroyVoice(ppBuffer[s]);
    ppBuffer[s] = 0;
    pData[s] = {};
    lSize[s] = 0;
}

bool sc_Sound::bIsStopped(int32_t lSlot) const {
    if (!bValidSlot(lSlot) || ppBuffer[static_cast<size_t>(lSlot)] == 0) return false;
    return !plat::IsVoicePlaying(ppBuffer[static_cast<size_t>(lSlot)]);
}

void sc_Sound::vSetBufferVolume(int32_t lSlot, int32_t lNewVolume) {
    if (bValidSlot(lSlot) && ppBuffer[static_cast<size_t>(lSlot)] != 0)
        plat::SetVoiceVolume(ppBuffer[static_cast<size_t>(lSlot)], lNewVolume);
}

void sc_Sound::vSetBufferPan(int32_t lSlot, int32_t lNewPan) {
    if (bValidSlot(lSlot) && ppBuffer[static_cast<size_t>(lSlot)] != 0)
        plat::SetVoicePan(ppBuffer[static_cast<size_t>(lSlot)], lNewPan);
}
