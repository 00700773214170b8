#pragma once
// A player for headless runs that wins a mission the way a person would:
// it reads where the objective is, walks there round what blocks over the
// occupancy grid with the arrow keys, and shoots what must be destroyed
// with the mouse. It never touches the game's state, only the input.
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "engine/base/point.h"

class sc_AllEnemy;
class sc_Form;
class sc_Scene;
namespace plat {
class HeadlessBackend;
}

namespace krxtest {

class MissionPlayer {
public:
    // One frame of play: reads the scene, sets the keys and the mouse.
    void Frame(sc_Scene& s, plat::HeadlessBackend& b);
    // Lets go of every key and button it holds.
    void Release(plat::HeadlessBackend& b);
    // Forgets the mission played.
    void Reset();
    // Shots fired so far.
    int32_t Shots() const { return m_shots; }
    // The arms screen's card worth arming for the mission, as the point to
    // click in the card grid: the cheapest the purse allows, a homing card
    // against enemies (its shots find them round corners) or a straight one
    // against things (homing shots fly over them) before any other. None
    // when nothing is affordable or a card is armed already.
    static std::optional<sc_Point> CardToArm(const sc_Form& form, bool things);
    // What it is after, for a failure's message.
    std::string Status() const;

private:
    struct Goal {
        bool valid = false;
        bool shoot = false; // shoot at the point, else stand on it
        sc_Point at;
        sc_Point body; // what is shot at: the middle of its picture
        const void* what = nullptr; // the thing or enemy shot at
        int32_t life = 0;           // its hit points now
        bool hunt = false;          // any enemy will do, the nearest first
        bool thing = false;         // a thing, not an enemy
    };
    Goal Choose(const sc_Scene& s);
    Goal Nearest(const sc_AllEnemy& enemies, const sc_Point& from) const;
    // A path of grid cells from the character to a place the goal can be
    // met from; empty when there is none.
    void Plan(const sc_Scene& s, const Goal& g, const sc_Point& from);
    void Plan(const sc_Scene& s, const Goal& g, const sc_Point& from, int32_t room);
    // The cells with the given number of free cells all round, off things.
    void MarkOpen(const sc_Scene& s, int32_t room);
    bool Walkable(const sc_Scene& s, int32_t i, int32_t j) const;
    bool ClearShot(const sc_Scene& s, const sc_Point& from, const sc_Point& to) const;
    std::optional<sc_Point> Aim(const Goal& g, const sc_Point& gun, const sc_Point& view) const;
    bool MeetsGoal(const sc_Scene& s, const Goal& g, const sc_Point& at) const;
    void Walk(plat::HeadlessBackend& b, int32_t dx, int32_t dy);
    void AddFutileSpot(const sc_Point& at);

    // Places whose shots did no harm to the goal, and enemies no place was
    // found to harm: looked past until the mission ends.
    std::vector<sc_Point> m_futileSpots;
    std::vector<const void*> m_passedOver;
    std::map<int64_t, int32_t> m_itemFrames; // frames spent on each dropped item, by its place
    int32_t m_futileShots = 0;
    int32_t m_lastLife = 0;
    const void* m_lastWhat = nullptr; // the goal the shots above were at
    std::vector<uint8_t> m_open;      // cells a character may stand on
    std::vector<uint8_t> m_ground[2]; // of them, those the ground allows, with one and two cells of room
    std::vector<int32_t> m_path; // cell indices, the next one last
    Goal m_planned;
    Goal m_goal;     // this frame's
    sc_Point m_dest; // where the path ends
    int32_t m_muzzle = 0;
    sc_Point m_last;
    int32_t m_still = 0;   // frames without a move while walking
    int32_t m_replan = 0;  // frames to the next plan
    int32_t m_detour = 0;  // frames of stepping aside after being stuck
    int32_t m_side = 0;    // which way the last detour went
    int32_t m_turn = 0;    // frames left of backing away aside, the sign the side
    int32_t m_backing = 0; // frames of backing away from an enemy
    int32_t m_idle = 0;    // frames without a step or a shot
    int32_t m_escapes = 0; // ways out of idling taken
    uint8_t m_keys[2] = {0, 0};
    int32_t m_button = -1; // the mouse button held, -1 none
    int32_t m_shots = 0;
};

} // namespace krxtest
