#pragma once
#include <cstdint>

// The prototypes every thing, enemy, bullet and animal is copied from, read
// at start-up from the four attribute tables of "ATTRIB".
//
// Until the tables are read this holds none.
class sc_Attrib {
public:
    sc_Attrib();
    virtual ~sc_Attrib();
    sc_Attrib(const sc_Attrib&) = delete;
    sc_Attrib& operator=(const sc_Attrib&) = delete;

    void vClear();
    void vLoad();
};

extern sc_Attrib* g_pAttrib;
