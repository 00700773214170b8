#pragma once
#include <cstdint>

// The game's texts from "ATTRIB\STRING.DIC", looked up by group and index.
// Reached through the player form, not a global.
//
// Until the dictionary is read this holds no text.
class sc_AllString {
public:
    sc_AllString() = default;
    virtual ~sc_AllString() { vClear(); }
    sc_AllString(const sc_AllString&) = delete;
    sc_AllString& operator=(const sc_AllString&) = delete;

    void vInit() { vClear(); }
    void vClear() {}
    void vLoad(const char* pName);
    // Null for an empty text or one the dictionary does not hold.
    const char* pGetString(int32_t lGroup, int32_t lIndex) const;
};
