#include "tests/game/mission_player.h"

#include <algorithm>
#include <cstdlib>
#include <deque>

#include "engine/sprite/sprite_tree.h"
#include "game/geometry.h"
#include "game/scene.h"
#include "interface/form.h"
#include "interface/layout.h"
#include "objects/character.h"
#include "objects/enemy.h"
#include "objects/prop.h"
#include "objects/thing.h"
#include "platform/headless/headless_backend.h"
#include "platform/input.h"

namespace krxtest {

namespace {

constexpr int32_t kCellW = 16, kCellH = 8;
// Where a shot may be taken from: close enough for every weapon's reach,
// and on the part of the screen no panel covers.
constexpr int32_t kShotReachX = 220, kShotReachY = 120, kShotMin = 48;
// Enemies this close are fought before anything else.
constexpr int32_t kCloseX = 260, kCloseY = 140;
// Dropped items this close are taken before going on.
constexpr int32_t kPickUpX = 300, kPickUpY = 160, kItemFrames = 150;
// Frames without a step or a shot before the player gets away.
constexpr int32_t kIdleFrames = 60;
constexpr int32_t kSafeLeft = 20, kSafeRight = 700, kSafeTop = 70, kSafeBottom = 476;

const sc_Character* Own(const sc_Scene& s) {
    const sc_AllCharacter& all = s.oAllObject.oAllCharacter;
    return all.pGetCharacter(all.lControlled);
}

int32_t Cell(const sc_Scene& s, int32_t i, int32_t j) {
    const sc_ImageLocate& g = s.oMap.oSetting.oMapLocate.oLocate;
    const uint8_t* c = g.pGetCell(i, j);
    return c ? *c : 1;
}

// The view the character's place would settle on.
sc_Point SettledView(const sc_Scene& s, const sc_Point& p) {
    const sc_ImageLocate& g = s.oMap.oSetting.oMapLocate.oLocate;
    const int32_t w = g.lGetColumns() * kCellW, h = g.lGetRows() * kCellH;
    return sc_Point(std::clamp(p.x - 400, 64, std::max(64, w - 799)), std::clamp(p.y - 300, 0, std::max(0, h - 599)));
}

// Homing shots (cards 3 to 8) turn to the enemy nearest where they leave
// and fly over walls and things alike.
bool Homing(int32_t card) {
    return card >= 3 && card <= 8;
}

// Hit points worth the armed card's ammunition.
constexpr int32_t kStrongTarget = 150;

// The middle of the picture an object standing at a point shows: where a
// person aims.
sc_Point Body(const sc_GameDir* dir, const sc_Point& at) {
    const sc_GameImgWithShadow* f = dir ? dir->pGetFrameAt(0) : nullptr;
    if (!f) return at;
    const sc_Point o = f->oGetOffset();
    return sc_Point(at.x - 400 + o.x + f->lGetWidth() / 2, at.y - 300 + o.y + f->lGetHeight() / 2);
}

// Items never move: their place names them.
int64_t ItemKey(const sc_Point& p) {
    return int64_t{p.x} << 32 | static_cast<uint32_t>(p.y);
}

bool OnSafeScreen(const sc_Point& target, const sc_Point& view) {
    const int32_t x = target.x - view.x, y = target.y - view.y;
    // The radar's corner is kept clear as well.
    return x >= kSafeLeft && x <= kSafeRight && y >= kSafeTop && y <= kSafeBottom && !(x > 630 && y < 180);
}

} // namespace

MissionPlayer::Goal MissionPlayer::Choose(const sc_Scene& s) {
    Goal g;
    const sc_Character* own = Own(s);
    if (!own) return g;
    const sc_Form& form = s.oForm;
    // An enemy close by is dealt with first, whatever the objective.
    const sc_AllEnemy& enemies = s.oMap.oSetting.oAllEnemy;
    if (Goal near = Nearest(enemies, own->oPosition);
        near.valid && std::abs(near.at.x - own->oPosition.x) < kCloseX && std::abs(near.at.y - own->oPosition.y) < kCloseY)
        return near;
    // Items dropped nearby are picked up on the way: money for the next
    // arms, ammunition for the card, health.
    const sc_AllProp& props = s.oAllObject.oAllProp;
    int64_t nearest = INT64_MAX;
    for (int32_t i = 0; i < props.lGetCount(); ++i) {
        const sc_Prop* pr = props.pGetProp(i);
        if (!pr || pr->bTaken || m_itemFrames[ItemKey(pr->oPos)] > kItemFrames ||
            std::abs(pr->oPos.x - own->oPosition.x) > kPickUpX ||
            std::abs(pr->oPos.y - own->oPosition.y) > kPickUpY)
            continue;
        const int64_t dx = pr->oPos.x - own->oPosition.x, dy = 2 * int64_t{pr->oPos.y - own->oPosition.y};
        if (dx * dx + dy * dy < nearest) {
            nearest = dx * dx + dy * dy;
            g = {true, false, pr->oPos, pr->oPos, pr};
        }
    }
    if (g.valid) return g;
    // The objective's arrow points at the gate's target: a thing, an enemy
    // or a place. Without it every enemy must go, the nearest first.
    if (form.pTarget == &s.oGate.oTargetPoint) {
        const sc_Point t = s.oGate.oTargetPoint;
        const sc_AllThing& things = s.oMap.oSetting.oAllThing;
        for (int32_t i = 0; i < things.lGetCount(); ++i) {
            const sc_Thing* th = things.pGetThing(i);
            if (th && th->oPos.x == t.x && th->oPos.y == t.y) {
                if (th->bBreaking) return g; // it is going: wait for the end
                g = {true, true, t, Body(th->pImage, t), th, th->lLife, false, true};
                return g;
            }
        }
        for (int32_t i = 0; i < enemies.lGetCount(); ++i) {
            const sc_Enemy* e = enemies.pGetEnemy(i);
            if (e && e->oPos.x == t.x && e->oPos.y == t.y) {
                if (e->bDead || e->lHitPoints <= 0) return g;
                g = {true, true, t, Body(e->pGetDir(), t), e, e->lHitPoints};
                return g;
            }
        }
        // A place: the region begins just past the arrow's point.
        g = {true, false, sc_Point(t.x + 28, t.y + 18), sc_Point(t.x + 28, t.y + 18)};
        return g;
    }
    g = Nearest(enemies, own->oPosition);
    if (!g.valid && !m_passedOver.empty()) {
        // Every enemy left was passed over: they have moved since, try again.
        m_passedOver.clear();
        g = Nearest(enemies, own->oPosition);
    }
    return g;
}

MissionPlayer::Goal MissionPlayer::Nearest(const sc_AllEnemy& enemies, const sc_Point& from) const {
    Goal g;
    int64_t best = INT64_MAX;
    for (int32_t i = 0; i < enemies.lGetCount(); ++i) {
        const sc_Enemy* e = enemies.pGetEnemy(i);
        if (!e || e->bDead || e->lHitPoints <= 0 || std::find(m_passedOver.begin(), m_passedOver.end(), e) != m_passedOver.end())
            continue;
        const int64_t dx = e->oPos.x - from.x, dy = 2 * int64_t{e->oPos.y - from.y};
        if (dx * dx + dy * dy < best) {
            best = dx * dx + dy * dy;
            g = {true, true, e->oPos, Body(e->pGetDir(), e->oPos), e, e->lHitPoints, true};
        }
    }
    return g;
}

void MissionPlayer::MarkOpen(const sc_Scene& s, int32_t room) {
    const sc_ImageLocate& grid = s.oMap.oSetting.oMapLocate.oLocate;
    const int32_t w = grid.lGetColumns(), h = grid.lGetRows();
    // The ground never changes within a mission: marked once per room.
    std::vector<uint8_t>& ground = m_ground[room == 1 ? 0 : 1];
    if (ground.size() != static_cast<size_t>(w) * h) {
        ground.assign(static_cast<size_t>(w) * h, 1);
        // A character stays a cell from anything blocking and looks a cell
        // ahead: two cells of room all round, or one where there is no more.
        for (int32_t j = 0; j < h; ++j)
            for (int32_t i = 0; i < w; ++i) {
                const int32_t v = Cell(s, i, j);
                if (v != 1 && v != 2) continue;
                for (int32_t dj = -room; dj <= room; ++dj)
                    for (int32_t di = -room; di <= room; ++di)
                        if (i + di >= 0 && i + di < w && j + dj >= 0 && j + dj < h)
                            ground[static_cast<size_t>(j + dj) * w + i + di] = 0;
            }
    }
    m_open = ground;
    // Things that are not the goal stand in the way.
    const sc_AllThing& things = s.oMap.oSetting.oAllThing;
    for (int32_t k = 0; k < things.lGetCount(); ++k) {
        const sc_Thing* th = things.pGetThing(k);
        if (!th || th->bBreaking) continue;
        const int32_t rx = 16 + 16 * room, ry = 8 + 10 * room;
        for (int32_t j = (th->oPos.y - ry) / kCellH; j <= (th->oPos.y + ry) / kCellH; ++j)
            for (int32_t i = (th->oPos.x - rx) / kCellW; i <= (th->oPos.x + rx) / kCellW; ++i)
                if (i >= 0 && i < w && j >= 0 && j < h) m_open[static_cast<size_t>(j) * w + i] = 0;
    }
}

bool MissionPlayer::Walkable(const sc_Scene& s, int32_t i, int32_t j) const {
    const int32_t w = s.oMap.oSetting.oMapLocate.oLocate.lGetColumns();
    const size_t k = static_cast<size_t>(j) * w + i;
    return i >= 0 && i < w && j >= 0 && k < m_open.size() && m_open[k];
}

bool MissionPlayer::ClearShot(const sc_Scene& s, const sc_Point& from, const sc_Point& to) const {
    const int32_t dx = to.x - from.x, dy = to.y - from.y;
    const int32_t n = std::max(std::abs(dx) / 8, std::abs(dy) / 4);
    // The ends are the shooter's and the target's own ground.
    for (int32_t k = 2; k < n - 3; ++k) {
        const int32_t x = from.x + dx * k / n, y = from.y + dy * k / n;
        const int32_t v = Cell(s, x / kCellW, y / kCellH);
        if (v == 1 || v == 3) return false;
    }
    return true;
}

bool MissionPlayer::MeetsGoal(const sc_Scene& s, const Goal& g, const sc_Point& at) const {
    if (!g.shoot) return std::abs(at.x - g.at.x) <= 20 && std::abs(at.y - g.at.y) <= 12;
    // Shots leave the gun above the feet and fly through the point aimed at,
    // the middle of what is drawn.
    const sc_Point gun(at.x, at.y - m_muzzle);
    const int32_t dx = std::abs(g.body.x - gun.x), dy = std::abs(g.body.y - gun.y);
    if (dx > kShotReachX || dy > kShotReachY) return false;
    // Out of arm's length (measured from the feet, as the backing away
    // does, with a margin so that the two do not take turns).
    if (std::abs(g.at.x - at.x) + 2 * std::abs(g.at.y - at.y) < 2 * kShotMin + 16) return false;
    for (const sc_Point& p : m_futileSpots)
        if (std::abs(p.x - at.x) < 48 && std::abs(p.y - at.y) < 24) return false;
    return Aim(g, gun, SettledView(s, at)) && ClearShot(s, gun, g.body);
}

// A shot flies from the muzzle through the mouse's point as far as it
// reaches: any point of that line does, the goal's middle first, else one
// nearer the gun where the goal lies under the panel.
std::optional<sc_Point> MissionPlayer::Aim(const Goal& g, const sc_Point& gun, const sc_Point& view) const {
    for (int32_t part : {4, 3, 2}) {
        const sc_Point p(gun.x + (g.body.x - gun.x) * part / 4, gun.y + (g.body.y - gun.y) * part / 4);
        if (OnSafeScreen(p, view)) return p;
    }
    return std::nullopt;
}

void MissionPlayer::Plan(const sc_Scene& s, const Goal& g, const sc_Point& from) {
    // Wide of everything first; closer where that finds no way.
    for (int32_t room = 2; room >= 1 && m_path.empty(); --room)
        Plan(s, g, from, room);
}

void MissionPlayer::Plan(const sc_Scene& s, const Goal& g, const sc_Point& from, int32_t room) {
    m_path.clear();
    m_planned = g;
    const sc_ImageLocate& grid = s.oMap.oSetting.oMapLocate.oLocate;
    const int32_t w = grid.lGetColumns(), h = grid.lGetRows();
    if (w <= 0 || h <= 0) return;
    const int32_t si = std::clamp(from.x / kCellW, 0, w - 1), sj = std::clamp(from.y / kCellH, 0, h - 1);
    MarkOpen(s, room);
    std::vector<int32_t> parent(static_cast<size_t>(w) * h, -1);
    std::deque<int32_t> open;
    const int32_t start = sj * w + si;
    parent[static_cast<size_t>(start)] = start;
    open.push_back(start);
    int32_t found = -1;
    while (!open.empty() && found < 0) {
        const int32_t k = open.front();
        open.pop_front();
        const int32_t i = k % w, j = k / w;
        if (k != start && MeetsGoal(s, g, sc_Point(i * kCellW + kCellW / 2, j * kCellH + kCellH / 2))) {
            found = k;
            break;
        }
        static constexpr int32_t kSteps[8][2] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}, {1, 1}, {1, -1}, {-1, 1}, {-1, -1}};
        for (const auto& d : kSteps) {
            const int32_t ni = i + d[0], nj = j + d[1];
            if (ni < 0 || nj < 0 || ni >= w || nj >= h) continue;
            const int32_t nk = nj * w + ni;
            if (parent[static_cast<size_t>(nk)] >= 0 || !Walkable(s, ni, nj)) continue;
            // No corner cut: a diagonal needs both its sides open.
            if (d[0] && d[1] && (!Walkable(s, ni, j) || !Walkable(s, i, nj))) continue;
            parent[static_cast<size_t>(nk)] = k;
            open.push_back(nk);
        }
    }
    for (int32_t k = found; k >= 0 && k != start; k = parent[static_cast<size_t>(k)])
        m_path.push_back(k);
    if (found >= 0) m_dest = sc_Point((found % w) * kCellW + kCellW / 2, (found / w) * kCellH + kCellH / 2);
}

void MissionPlayer::Walk(plat::HeadlessBackend& b, int32_t dx, int32_t dy) {
    uint8_t want[2] = {0, 0};
    if (dy < -3) want[0] = plat::key::Up;
    if (dy > 3) want[0] = plat::key::Down;
    if (dx < -6) want[1] = plat::key::Left;
    if (dx > 6) want[1] = plat::key::Right;
    for (int32_t k = 0; k < 2; ++k) {
        if (m_keys[k] && m_keys[k] != want[k]) b.KeyUp(m_keys[k]);
        if (want[k]) b.KeyDown(want[k]);
        m_keys[k] = want[k];
    }
}

void MissionPlayer::AddFutileSpot(const sc_Point& at) {
    for (const sc_Point& p : m_futileSpots)
        if (p.x == at.x && p.y == at.y) return;
    m_futileSpots.push_back(at);
}

std::optional<sc_Point> MissionPlayer::CardToArm(const sc_Form& form, bool things) {
    if (form.pArmedSlots[0].lId != -1) return std::nullopt;
    std::optional<sc_Point> best;
    int32_t price = 0;
    for (int32_t i = 0, shown = 0; i < sc_Form::kWeaponCards; ++i) {
        const int32_t index = form.pSlotIndex[static_cast<size_t>(i)];
        if (index < 0 || index >= sc_Form::kWeaponCards) continue;
        const sc_Weapons& card = form.pWeaponCards[static_cast<size_t>(index)];
        const sc_Point at(layout::kGridHome.x + layout::kGridPitch.x * (shown % layout::kGridColumns) +
                              layout::kWeaponButton.w / 2,
                          layout::kGridHome.y + layout::kGridPitch.y * (shown / layout::kGridColumns) +
                              layout::kWeaponButton.h / 2);
        ++shown;
        // One that fits the objective before any other, the cheapest: the
        // purse is for the missions to come as well.
        if (!form.bCanArm(card)) continue;
        const int32_t cost = card.lPrice + (Homing(index) == !things ? 0 : 100000);
        if (best && cost >= price) continue;
        price = cost;
        best = at;
    }
    return best;
}

std::string MissionPlayer::Status() const {
    const Goal& g = m_goal;
    if (!g.valid) return "no goal";
    return std::string(g.shoot ? (g.hunt ? "hunting" : "shooting") : "walking to") + " (" +
           std::to_string(g.at.x) + "," + std::to_string(g.at.y) + ") life " + std::to_string(g.life) +
           ", path " + std::to_string(m_path.size()) + ", futile spots " +
           std::to_string(m_futileSpots.size()) + ", passed over " + std::to_string(m_passedOver.size()) +
           " from (" + std::to_string(m_last.x) + "," + std::to_string(m_last.y) + ")";
}

void MissionPlayer::Reset() {
    m_path.clear();
    m_futileSpots.clear();
    m_passedOver.clear();
    m_itemFrames.clear();
    for (std::vector<uint8_t>& g : m_ground)
        g.clear();
    m_futileShots = 0;
    m_planned = Goal();
    m_lastWhat = nullptr;
}

void MissionPlayer::Release(plat::HeadlessBackend& b) {
    Walk(b, 0, 0);
    b.KeyUp(plat::key::Space);
    if (m_button >= 0) b.ButtonUp(m_button);
    m_button = -1;
}

void MissionPlayer::Frame(sc_Scene& s, plat::HeadlessBackend& b) {
    const sc_Character* own = Own(s);
    const Goal g = m_goal = Choose(s);
    if (!own || !g.valid || own->lHitPoints <= 0) {
        Release(b);
        m_path.clear();
        return;
    }
    const sc_Point at = own->oPosition;
    m_muzzle = own->lMuzzleHeight;
    const bool moved = at.x != m_last.x || at.y != m_last.y;
    m_last = at;
    // Neither a step nor a shot for a while: whatever holds the player
    // here, it is left behind for a fresh look from a few steps away.
    if (moved || m_button >= 0) {
        m_idle = 0;
    } else if (++m_idle > kIdleFrames) {
        m_idle = 0;
        m_futileSpots.clear();
        if (g.hunt && g.what) m_passedOver.push_back(g.what);
        static constexpr int32_t kAway[4][2] = {{1, 1}, {-1, 1}, {-1, -1}, {1, -1}};
        const auto& d = kAway[static_cast<size_t>(m_escapes++ % 4)];
        Walk(b, 20 * d[0], 20 * d[1]);
        m_detour = 16;
        m_path.clear();
        return;
    }

    const bool goalMoved = g.shoot != m_planned.shoot || g.what != m_planned.what ||
                           std::abs(g.at.x - m_planned.at.x) > 32 || std::abs(g.at.y - m_planned.at.y) > 16;
    if (g.what != m_lastWhat) {
        m_futileSpots.clear();
        m_futileShots = 0;
        m_lastLife = g.life;
        m_lastWhat = g.what;
    }
    // An item not reached in a while is left where it lies.
    if (!g.shoot && g.what) ++m_itemFrames[ItemKey(g.at)];
    if (MeetsGoal(s, g, at)) {
        m_backing = 0;
        // In place: stand, and once the view has caught up, fire one click
        // every other frame.
        Walk(b, 0, 0);
        b.KeyUp(plat::key::Space);
        m_path.clear();
        const std::optional<sc_Point> aimed = Aim(g, sc_Point(at.x, at.y - m_muzzle), s.oMap.oViewPoint);
        if (!aimed) return;
        const sc_Point aim = *aimed;
        // Shots that do no harm from here: another place, and after a few
        // such places another enemy.
        if (g.life < m_lastLife) m_futileShots = 0;
        else if (m_button < 0)
            ++m_futileShots;
        m_lastLife = g.life;
        if (m_futileShots > 40) {
            m_futileShots = 0;
            AddFutileSpot(at);
            // A moving enemy may be missed anywhere: after a few places,
            // another one for a while.
            if (m_futileSpots.size() >= 3 && g.hunt) m_passedOver.push_back(g.what);
            m_replan = 0;
            return;
        }
        b.MoveMouse(aim.x - s.oMap.oViewPoint.x, aim.y - s.oMap.oViewPoint.y);
        if (m_button >= 0) {
            b.ButtonUp(m_button);
            m_button = -1;
            return;
        }
        // The armed card (right button) on what is strong or what the main
        // gun has missed from more than one place, while it has ammunition
        // and suits the target; else the main gun.
        const sc_Weapons* card = s.oForm.pArmed;
        const bool sub = card && card->lId >= 0 && card->lAmmo > 0 &&
                         (g.life >= kStrongTarget || m_futileSpots.size() >= 2) &&
                         (!Homing(card->lId) || !g.thing);
        m_button = sub ? plat::kMouseRight : plat::kMouseLeft;
        b.ButtonDown(m_button);
        ++m_shots;
        return;
    }
    if (m_button >= 0) b.ButtonUp(m_button);
    m_button = -1;
    // Keep the mouse where it blocks nothing, ahead of the walk.
    b.MoveMouse(400, 300);

    // An enemy at arm's length cannot be shot (a shot starts past it): back
    // away from it, turning aside for a few steps when something stops the
    // step, and taking to the air when it keeps up on foot.
    if (g.hunt && std::abs(g.at.x - at.x) + 2 * std::abs(g.at.y - at.y) < 2 * kShotMin) {
        int32_t ax = at.x - g.at.x, ay = at.y - g.at.y;
        if (ax == 0 && ay == 0) ax = 1;
        if (!moved && ++m_still > 3) {
            m_still = 0;
            m_turn = m_turn > 0 ? -8 : 8;
        }
        if (m_turn) {
            std::swap(ax, ay);
            ax = m_turn > 0 ? -ax : ax, ay = m_turn > 0 ? ay : -ay;
            m_turn += m_turn > 0 ? -1 : 1;
        }
        if (++m_backing > 20 && own->lFly > 100)
            b.KeyDown(plat::key::Space);
        else
            b.KeyUp(plat::key::Space);
        Walk(b, ax, ay);
        m_path.clear();
        m_detour = 0;
        return;
    }

    if (m_detour > 0) {
        --m_detour;
        return;
    }
    // A moving goal is followed with a new plan now and then, not every step.
    if ((goalMoved && m_replan < 80) || --m_replan <= 0) {
        m_path.clear();
        Plan(s, g, at);
        // A way not found is looked for again after a few steps.
        m_replan = m_path.empty() ? 10 : 90;
        if (m_path.empty() && g.hunt && g.what) m_passedOver.push_back(g.what); // none to shoot it from
    }
    // The path drops to the cell nearest the character among the next few:
    // a flight's long steps pass cells without standing on them.
    const int32_t w = s.oMap.oSetting.oMapLocate.oLocate.lGetColumns();
    auto centre = [w](int32_t k) { return sc_Point((k % w) * kCellW + kCellW / 2, (k / w) * kCellH + kCellH / 2); };
    size_t nearest = m_path.size();
    int64_t best = INT64_MAX;
    for (size_t n = 0; n < std::min<size_t>(m_path.size(), 12); ++n) {
        const size_t idx = m_path.size() - 1 - n;
        const sc_Point c = centre(m_path[idx]);
        const int64_t dx = c.x - at.x, dy = 2 * int64_t{c.y - at.y};
        if (dx * dx + dy * dy < best) {
            best = dx * dx + dy * dy;
            nearest = idx;
        }
    }
    if (nearest < m_path.size() && best <= 24 * 24) m_path.resize(nearest);
    if (m_path.empty()) {
        // A place is walked into straight; a target is shot from the cell
        // the way led to, or from another when that one does not do.
        if (!g.shoot) {
            Walk(b, g.at.x - at.x, g.at.y - at.y);
        } else if (std::abs(m_dest.x - at.x) > 8 || std::abs(m_dest.y - at.y) > 4) {
            Walk(b, m_dest.x - at.x, m_dest.y - at.y);
        } else {
            Walk(b, 0, 0);
            AddFutileSpot(at);
            m_replan = 0;
        }
        return;
    }
    // Aim a few cells ahead so one step's lag does not turn the walk; fly
    // over the long ways while the pack has fuel.
    const bool fly = m_path.size() > 16 && own->lFly > 200;
    const sc_Point c = centre(m_path[m_path.size() - std::min<size_t>(m_path.size(), fly ? 4 : 2)]);
    const int32_t cx = c.x, cy = c.y;
    if (fly) b.KeyDown(plat::key::Space);
    else b.KeyUp(plat::key::Space);
    m_still = moved ? 0 : m_still + 1;
    if (m_still > 20) {
        // Stuck on something the grid does not show: step aside, then plan
        // again from there.
        m_still = 0;
        m_side ^= 1;
        const int32_t sx = cy - at.y, sy = at.x - cx;
        Walk(b, m_side ? sx : -sx, m_side ? sy : -sy);
        m_detour = 12;
        m_path.clear();
        return;
    }
    Walk(b, cx - at.x, cy - at.y);
}

} // namespace krxtest
