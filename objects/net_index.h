#pragma once
#include <cstdint>
#include <unordered_map>

// The live objects of a family by network identity, so that a record finds
// its object at once however many live. The first object of an identity
// keeps it; 0 is nobody's.
template <class T> class sc_NetIndex {
public:
    T* pFind(int32_t lId) const {
        const auto at = m_oById.find(lId);
        return lId == 0 || at == m_oById.end() ? nullptr : at->second;
    }
    void vAdd(int32_t lId, T* p) {
        if (lId != 0 && p) m_oById.emplace(lId, p);
    }
    // Only the object that holds the identity lets it go.
    void vRemove(int32_t lId, const T* p) {
        const auto at = m_oById.find(lId);
        if (at != m_oById.end() && at->second == p) m_oById.erase(at);
    }
    void vClear() { m_oById.clear(); }

private:
    std::unordered_map<int32_t, T*> m_oById;
};
