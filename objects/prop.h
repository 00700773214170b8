#pragma once
#include <cstdint>
#include <memory>
#include <span>

#include "engine/base/member.h"
#include "engine/base/node.h"
#include "engine/base/point.h"
#include "network/records.h"
#include "objects/net_index.h"

class sc_GameDir;
class sc_GameImgWithShadow;
class sc_Character;

// An item lying on the ground, left by a destroyed thing or enemy; a
// character walking over it takes it.
class sc_Prop : public sc_NodeEx {
public:
    enum : int32_t { kAmmo = 0, kHealth = 1, kMoney = 2 };
    static constexpr int32_t kAmmoGain = 50;
    static constexpr int32_t kMoneyGain = 400;

    sc_Prop() = default;
    ~sc_Prop() override;
    // Copies go through vCopyData (the picture is never shared).
    sc_Prop(const sc_Prop&) = delete;
    sc_Prop& operator=(const sc_Prop&) = delete;

    std::unique_ptr<sc_NodeEx> pNew() const override { return std::make_unique<sc_Prop>(); }
    // A copy starts from the defaults: an item is set up, never copied.
    void vCopyData(const sc_NodeEx* source) override;

    void vClear();
    void vReset();
    // An item of a kind at a map position, its picture loaded; new (to be
    // announced) on the authority.
    void vSet(sc_Point* pViewPoint, int32_t lNewKind, sc_Point oAt);
    void vLoadImage();
    void vFreeImage();
    bool bHitCharacter(const sc_Character* pCharacter) const;
    const sc_GameImgWithShadow* pGetFrame();
    void vShow();
    void vMakeRecord(ss_PropRecord& rec) const;
    void vSend();
    void vUnpack(const ss_PropRecord& rec);

    sc_MemberString oStrFile;
    sc_MemberString oImgFile;
    int32_t lObject = 0;
    int32_t lStatus = 0;
    int32_t lDirection = 0; // the item's kind
    int32_t lFrameDelay = 100;
    sc_Point oPos;
    int32_t lId = 0; // network identity, chosen by the authority
    int32_t lKind = 0;
    sc_Point* pView = nullptr;
    sc_GameDir* pImage = nullptr;
    int32_t lFrameTime = 0;
    uint8_t cFrame = 0;
    int32_t bLoaded = 0;
    int32_t bTaken = 0;
    int32_t bNew = 0; // not yet announced
};

// The items of a mission. The authority makes them and announces them;
// every machine runs the pick-ups of its own character.
class sc_AllProp {
public:
    sc_AllProp();
    virtual ~sc_AllProp();
    sc_AllProp(const sc_AllProp&) = delete;
    sc_AllProp& operator=(const sc_AllProp&) = delete;

    void vClear();
    void vLoad(sc_Point* pViewPoint);
    // Kind -1 adds nothing (null). On the authority the item is given an
    // identity no live item holds and announced at once.
    sc_Prop* pAdd(int32_t lKind, sc_Point oAt);
    // The first item in list order that the character touches is taken and
    // applied; true then. At most one item a call.
    bool bPickUp(sc_Character* pCharacter);
    // Per frame: taken items go (the authority sends them once more), the
    // rest are drawn.
    void vShow();
    void vSend();
    // More items than the things and enemies of any map leave: a record of
    // a new item beyond them is refused.
    static constexpr int32_t kMaxReceived = 1024;
    // A new item takes an identity no live one holds (a record of a new
    // item for one that lies updates that one).
    void vReceive(const ss_PropRecord& rec);

    int32_t lGetCount() const { return oList.lGetCount(); }
    sc_Prop* pGetProp(int32_t i) const { return oList.pGetNodeAs<sc_Prop>(i); }
    // The live item of a network identity, null for none.
    sc_Prop* pFind(int32_t lId) const { return m_oById.pFind(lId); }

    sc_NodeEx oList;
    int32_t bActive = 0;
    sc_Point* pView = nullptr;

private:
    sc_Prop* pAddItem(int32_t lKind, sc_Point oAt, bool bAnnounce);
    int32_t lNewId() const;
    void vSetId(sc_Prop* p, int32_t lId);
    void vDelete(int32_t i);

    sc_NetIndex<sc_Prop> m_oById;
};

extern sc_AllProp* g_pAllProp;
