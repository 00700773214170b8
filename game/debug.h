#pragma once
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "engine/base/file.h"
#include "platform/trace.h"

// The program's trace log. Each entry is the tick count, the message and the
// value, each as text ending in a zero byte, then CR LF. Entries are kept in
// memory and written at vFlush and when the log goes away. An entry that
// would take the log past kCapBytes starts it afresh, the full log kept
// beside it with the extension OLD (DEBUG.OLD, replacing the one before), so
// a chatty frame loop cannot fill the disk and the latest lines are never
// lost. While the log is open it is also the platform's trace sink: every
// refusal of a reader becomes an entry.
class sc_Debug {
public:
    static constexpr uint32_t kCapBytes = 16u * 1024u * 1024u;

    sc_Debug();
    virtual ~sc_Debug();
    sc_Debug(const sc_Debug&) = delete;
    sc_Debug& operator=(const sc_Debug&) = delete;

    // Creates the file anew (an old one is emptied). Null does nothing.
    void vOpen(const char* pName);
    // Forgets the name; the file stays open until the log is destroyed.
    void vClose();
    // Null writes nothing. The tick count is read now, not the frame time.
    void vWrite(const char* pMessage, int32_t lValue);
    // Step labels of network play; kept quiet.
    void vTrace(const char* /*pMessage*/, int32_t /*lValue*/) {}
    // Writes what is waiting. The frame loop passes 5000; every waiting
    // entry goes whatever the figure.
    void vFlush(int32_t lLimit);

    const char* pGetName() const { return m_pName.get(); }

private:
    void vAppend(std::string_view message, int32_t lValue);
    void vWriteWaiting();
    void vStartAfresh();

    sc_File m_oFile;
    int32_t m_lSpare = 0;
    std::unique_ptr<char[]> m_pName;

    mutable std::mutex m_mutex; // the platform's threads may trace too
    std::string m_sPath; // the open file's name, which vClose does not forget
    std::string m_sWaiting;
    uint32_t m_lTaken = 0;
    std::optional<plat::ScopedTraceSink> m_oSink;
};

extern sc_Debug* g_pDebug;

// A record of four mode flags, and the three settings of it the program
// offers; nothing in the game uses them. Each sets the record and returns
// it.
struct ss_ModeFlags {
    int32_t lFlag[4] = {};
};
ss_ModeFlags* p_SetModeFlags1001(ss_ModeFlags* pFlags);
ss_ModeFlags* p_SetModeFlags0100(ss_ModeFlags* pFlags);
ss_ModeFlags* p_SetModeFlags0010(ss_ModeFlags* pFlags);
