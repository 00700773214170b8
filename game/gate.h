#pragma once
#include <cstdint>

#include "engine/base/member.h"

// The campaign: which mission file and music each mission uses, when a
// mission is won, and the save files "SAVE\" + ID + ".SAV".
//
// Until the missions are built only F5 ends one, and nothing is saved.
class sc_Gate {
public:
    static constexpr const char* kDefaultMission = "MAP\\wrd01007.BUD";

    sc_Gate();
    virtual ~sc_Gate();
    sc_Gate(const sc_Gate&) = delete;
    sc_Gate& operator=(const sc_Gate&) = delete;

    void vResetSlot() { lChosenSlot = 0; }
    void vInit() { vResetSlot(); }
    // 1 when the mission is won; F5 wins it at once.
    int32_t bMissionEnd();
    // The second value is not used.
    void vSave(const char* pName, int32_t lValue);

    sc_MemberString oMissionFile;
    sc_MemberString oMusicFile;
    sc_MemberString oSaveName;
    int32_t lChosenSlot = 0;
};

extern sc_Gate* g_pGate;
