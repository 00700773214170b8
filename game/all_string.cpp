#include "game/all_string.h"

#include <cstring>
#include <string>

#include "platform/byte_reader.h"
#include "engine/base/member.h"
#include "platform/trace.h"

namespace {
constexpr const char* kSource = "sc_AllString";
} // namespace

void sc_AllString::vLoad(const char* name) {
    if (!name) return;
    vClear();
    sc_ByteReader in = sc_ByteReader::FromPath(name, kMaxFileBytes);
    if (!in) {
        plat::Trace(kSource, std::string(name) + " " + std::string(in.Why()));
        return;
    }
    if (!bLoad(in)) plat::Trace(kSource, std::string(name) + " ends inside its texts");
}

bool sc_AllString::bLoad(sc_ByteReader& in) {
    vClear();
    // Every group and every text takes at least its 4-byte count or length,
    // so the loops below end with the bytes whatever the counts say: a cut
    // file keeps its whole texts and no more.
    uint32_t groups = 0;
    if (!in.Read(groups)) return false;
    for (uint32_t g = 0; g < groups; ++g) {
        uint32_t texts = 0;
        if (!in.Read(texts)) return false;
        m_oGroups.vAdd(sc_NodeEx());
        sc_NodeEx* group = m_oGroups.pGetNode(m_oGroups.lGetCount() - 1);
        for (uint32_t t = 0; t < texts; ++t) {
            sc_MemberString text;
            if (!text.bLoad(in)) return false;
            group->vAdd(text);
        }
    }
    return true;
}

const char* sc_AllString::pGetString(int32_t group, int32_t index) const {
    const sc_NodeEx* g = m_oGroups.pGetNode(group);
    const auto* text = g ? g->pGetNodeAs<sc_MemberString>(index) : nullptr;
    return text ? text->pGetText() : nullptr;
}

int32_t sc_AllString::lGetLength(int32_t group, int32_t index) const {
    const char* text = pGetString(group, index);
    return text ? static_cast<int32_t>(std::strlen(text)) : 0;
}

int32_t sc_AllString::lGetCount(int32_t group) const {
    const sc_NodeEx* g = m_oGroups.pGetNode(group);
    return g ? g->lGetCount() : 0;
}
