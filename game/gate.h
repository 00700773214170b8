#pragma once
#include <cstdint>
#include <string>

#include "engine/base/member.h"
#include "engine/base/point.h"
#include "interface/buttons.h"

class sc_ByteReader;
class sc_Form;

// The campaign of twelve missions: which mission file and music each one
// uses, what the player may arm in it, its objective and when it is won; and
// the save slots with their files "SAVE\" + ID + ".SAV".
//
// A save is 12 bytes, little-endian, no header: progress (the highest
// mission open), kills, money.
class sc_Gate {
public:
    static constexpr int32_t kSlots = 10;
    static constexpr int32_t kMissions = 12;
    static constexpr uint32_t kSaveBytes = 12;
    static constexpr int32_t kNewMoney = 1500;
    static constexpr const char* kDefaultMission = "MAP\\wrd01007.BUD";
    static constexpr const char* kSaveFolder = "SAVE";

    sc_Gate();
    virtual ~sc_Gate();
    sc_Gate(const sc_Gate&) = delete;
    sc_Gate& operator=(const sc_Gate&) = delete;

    void vResetSlot() { lChosenSlot = 0; }
    // On entering the menus: slot 0 chosen, the slot buttons placed.
    void vInit();
    // The form's slider presets and steps for its character type (0..4).
    void vSetFormType(sc_Form* pForm);
    // Mission file, music, card numbers and the offered cards of the form's
    // selected mission.
    void vSetMission(sc_Form* pForm);
    // The offered item cards and the character texts, on g_pForm.
    void vSetMissionArms();
    // Every play frame: draws the objective, points the form's target at it
    // and gives 1 when the mission is won. F5 wins at once.
    int32_t bMissionEnd();

    // Fills the slot captions from the save folder (sorted by name; nothing
    // changes when it holds no save) and loads the chosen slot's save. The
    // current save is always listed, and the chosen slot follows it.
    void vListSaves();
    // Caption of slot 0..9; null when empty and for any other index.
    const char* pGetSaveName(int32_t lSlot) const;
    // Writes progress, kills and money of g_pForm (the second value is not
    // used). The file is replaced whole, never left half written.
    void vSave(const char* pName, int32_t lValue);
    // A fresh player's save (0, 0, 1500); it becomes the current save.
    void vNewSave(const char* pName);
    // Reads a save into g_pForm; the selected mission becomes the progress.
    // A file that does not read whole changes nothing and is named in the
    // trace.
    void vLoad(const char* pName);
    // The same; true when the save was read.
    bool bLoadSave(const char* pName);
    // The same from the file's bytes; false when they are not a save. Cards
    // armed before are given back first, as the money that paid for them is
    // replaced by the save's.
    bool bLoad(sc_ByteReader& in, sc_Form& form);

    // For the save screen: a click on a listed slot loads its save and then
    // selects it alone and makes it the chosen slot and the current save.
    // False, and nothing changed, when the save does not load.
    bool bSelectSlot(int32_t lSlot);
    // Delete: removes the slot's save file, empties its caption and
    // selection and lists the saves again. The current save is forgotten
    // when it was this one, so it is not written back, and so is its
    // player's record: until a listed save loads, g_pForm holds a fresh
    // player's, as before any save was made.
    void vDeleteSave(int32_t lSlot);
    // "SAVE\" + ID + ".SAV"; empty for a null or empty ID.
    static std::string oSavePath(const char* pId);

    sc_MemberString oMissionFile;
    sc_MemberString oMusicFile;
    sc_InterFaceRectButton pSaveSlots[kSlots];
    sc_MemberString oSaveName;
    int32_t lChosenSlot = 0;
    // The objective the form's target points at: a copy, refreshed every
    // frame, so the target never outlives a deleted object.
    sc_Point oTargetPoint;

private:
    // Progress, kills and money of a player who has just begun; the cards
    // armed with the last player's money go back first.
    static void vFreshRecord(sc_Form& form);
    bool bWriteSave(const char* pName, int32_t lProgress, int32_t lKills, int32_t lMoney);
    bool bIsCurrentSave(const char* pId) const;
};

extern sc_Gate* g_pGate;
