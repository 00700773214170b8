#pragma once
// Every sound file of the data set, by the name the game opens it with. The
// program's own sounds come first; then the names the attribute tables give
// to bullets (fired, hitting) and things (breaking), which any table may use.
// Every name fits a table's 32-byte text field.
#include <cstdint>

namespace datagen {

// How a file is made (tools/datagen/sounds.cpp).
enum class SoundKind : uint8_t {
    Click,   // a few milliseconds of tick
    Blip,    // a short tone
    Thud,    // a low knock falling in pitch, with noise
    Rise,    // a tone rising over a second and more
    Fall,    // a tone falling over a second and more
    Engine,  // a humming, rumbling noise of about a second
    Talk,    // three syllable-like blips, a radio call
    Music,   // a piece of a few seconds that loops without a seam
};

struct SoundFile {
    const char* name;
    SoundKind kind;
    int32_t variant; // pitch, length and tune differ by variant
};

// Bullets' fire and hit sounds and things' break sounds for the tables.
inline constexpr const char* kFireSounds[] = {"WAV\\GUNSHOT.WAV", "WAV\\CANNON.WAV", "WAV\\LASER.WAV",
                                              "WAV\\ROCKET.WAV"};
inline constexpr const char* kHitSounds[] = {"WAV\\HIT.WAV", "WAV\\BLAST.WAV", "WAV\\SPARK.WAV"};
inline constexpr const char* kBreakSounds[] = {"WAV\\CRASH.WAV", "WAV\\GLASS.WAV", "WAV\\TIMBER.WAV"};

inline constexpr SoundFile kSoundFiles[] = {
    // Music: mission and battle themes, story, menu screens, briefings.
    {"WAV\\FIGHT01.WAV", SoundKind::Music, 0},
    {"WAV\\FIGHT02.WAV", SoundKind::Music, 1},
    {"WAV\\FIGHT03.WAV", SoundKind::Music, 2},
    {"WAV\\FIGHT04.WAV", SoundKind::Music, 3},
    {"WAV\\SCENE0.WAV", SoundKind::Music, 4},
    {"WAV\\TOPMENU.WAV", SoundKind::Music, 5},
    {"WAV\\IDSELECT.WAV", SoundKind::Music, 6},
    {"WAV\\CHARSELECT.WAV", SoundKind::Music, 7},
    {"WAV\\ARMSELECT.WAV", SoundKind::Music, 8},
    {"WAV\\MISSION01.WAV", SoundKind::Music, 9},
    {"WAV\\MISSION02.WAV", SoundKind::Music, 10},
    {"WAV\\MISSION03.WAV", SoundKind::Music, 11},
    // The end of a mission.
    {"WAV\\MISSIONCOMPLETE.WAV", SoundKind::Rise, 0},
    {"WAV\\MISSIONFAILURE.WAV", SoundKind::Fall, 0},
    // Buttons, cards, text entry.
    {"WAV\\BUTTONMOVE.WAV", SoundKind::Blip, 0},
    {"WAV\\BUTTONCLICK.WAV", SoundKind::Click, 0},
    {"WAV\\BUTTONRETURN.WAV", SoundKind::Blip, 1},
    {"WAV\\IPYES.WAV", SoundKind::Blip, 2},
    {"WAV\\ONARM.WAV", SoundKind::Blip, 3},
    {"WAV\\OFFARM.WAV", SoundKind::Blip, 4},
    {"WAV\\NOTUSE.WAV", SoundKind::Thud, 0},
    {"WAV\\USEWEAPONS.WAV", SoundKind::Blip, 5},
    {"WAV\\KEYTEXT.WAV", SoundKind::Click, 1},
    // Characters, air strikes, mines, enemies.
    {"WAV\\CHARWALK.WAV", SoundKind::Thud, 1},
    {"WAV\\CHARFLY.WAV", SoundKind::Engine, 0},
    {"WAV\\CHARFLYTALK.WAV", SoundKind::Talk, 0},
    {"WAV\\ONATTACK.WAV", SoundKind::Thud, 2},
    {"WAV\\AIRPLANE.WAV", SoundKind::Engine, 1},
    {"WAV\\MAINDOWNTALK.WAV", SoundKind::Talk, 1},
    {"WAV\\BIGBOOM.WAV", SoundKind::Thud, 3},
    {"WAV\\SITMAIN.WAV", SoundKind::Blip, 6},
    {"WAV\\MAINDOWN.WAV", SoundKind::Thud, 4},
    {"WAV\\E.WAV", SoundKind::Click, 2},
    // For the attribute tables.
    {kFireSounds[0], SoundKind::Click, 3},
    {kFireSounds[1], SoundKind::Thud, 5},
    {kFireSounds[2], SoundKind::Blip, 7},
    {kFireSounds[3], SoundKind::Engine, 2},
    {kHitSounds[0], SoundKind::Thud, 6},
    {kHitSounds[1], SoundKind::Thud, 7},
    {kHitSounds[2], SoundKind::Click, 4},
    {kBreakSounds[0], SoundKind::Thud, 8},
    {kBreakSounds[1], SoundKind::Click, 5},
    {kBreakSounds[2], SoundKind::Thud, 9},
};

} // namespace datagen
