#include "game/debug.h"

#include <algorithm>
#include <cstring>

#include "platform/clock.h"
#include "platform/file.h"

sc_Debug* g_pDebug = nullptr;

namespace {

// Where a full log is kept: its name with OLD for its extension.
std::string OldName(std::string_view name) {
    const size_t folder = name.find_last_of("\\/");
    const size_t dot = name.rfind('.');
    if (dot != std::string_view::npos && (folder == std::string_view::npos || dot > folder)) name = name.substr(0, dot);
    return std::string(name) + ".OLD";
}

} // namespace

sc_Debug::sc_Debug() {
    g_pDebug = this;
    m_lSpare = 0;
    m_pName.reset();
}

sc_Debug::~sc_Debug() {
    // The sink goes first: a trace from another thread must not reach a log
    // that is half gone.
    m_oSink.reset();
    vClose();
    vFlush(0);
    if (g_pDebug == this) g_pDebug = nullptr;
}

void sc_Debug::vOpen(const char* pName) {
    if (!pName) return;
    vClose();
    const size_t n = std::strlen(pName);
    m_pName = std::make_unique<char[]>(n + 1);
    std::memcpy(m_pName.get(), pName, n + 1);
    {
        std::lock_guard lock(m_mutex);
        // What was waiting for the old file is not the new file's.
        m_sWaiting.clear();
        m_lTaken = 0;
        m_sPath = pName;
        m_oFile.vOpen(pName, FILE_MODE_CREATE);
    }
    if (!m_oSink)
        m_oSink.emplace([this](std::string_view source, std::string_view reason) {
            std::string line;
            line.reserve(source.size() + 2 + reason.size());
            line.append(source).append(": ").append(reason);
            vAppend(line, 0);
        });
}

void sc_Debug::vClose() {
    m_lSpare = 0;
    m_pName.reset();
}

void sc_Debug::vWrite(const char* pMessage, int32_t lValue) {
    if (!pMessage) return;
    vAppend(pMessage, lValue);
}

void sc_Debug::vAppend(std::string_view message, int32_t lValue) {
    const std::string tick = std::to_string(static_cast<int32_t>(plat::TickCount()));
    const std::string value = std::to_string(lValue);
    // A message is text: whatever follows a zero byte in it is not written.
    message = message.substr(0, std::min(message.size(), message.find('\0')));
    const size_t size = tick.size() + 1 + message.size() + 1 + value.size() + 1 + 2;
    std::lock_guard lock(m_mutex);
    if (size <= kCapBytes && size > kCapBytes - m_lTaken) vStartAfresh();
    if (!m_oFile.bIsOpen() || size > kCapBytes - m_lTaken) return;
    m_sWaiting.append(tick).push_back('\0');
    m_sWaiting.append(message).push_back('\0');
    m_sWaiting.append(value).push_back('\0');
    m_sWaiting.append("\r\n");
    m_lTaken += static_cast<uint32_t>(size);
}

void sc_Debug::vFlush(int32_t) {
    std::lock_guard lock(m_mutex);
    vWriteWaiting();
}

void sc_Debug::vWriteWaiting() {
    // A count of 0 would make the file class write a zero-terminated text.
    if (!m_sWaiting.empty() && m_oFile.bIsOpen())
        m_oFile.lWrite(m_sWaiting.data(), static_cast<uint32_t>(m_sWaiting.size()));
    m_sWaiting.clear();
}

void sc_Debug::vStartAfresh() {
    if (!m_oFile.bIsOpen()) return;
    vWriteWaiting();
    m_oFile.vClose();
    // A full log that cannot be kept is emptied all the same: the lines to
    // come matter more than the old ones.
    plat::RenameFile(m_sPath, OldName(m_sPath));
    m_oFile.vOpen(m_sPath.c_str(), FILE_MODE_CREATE);
    m_lTaken = 0;
}

namespace {

ss_ModeFlags* SetFlags(ss_ModeFlags* pFlags, int32_t a, int32_t b, int32_t c, int32_t d) {
    if (pFlags) *pFlags = ss_ModeFlags{{a, b, c, d}};
    return pFlags;
}

} // namespace

ss_ModeFlags* p_SetModeFlags1001(ss_ModeFlags* pFlags) { return SetFlags(pFlags, 1, 0, 0, 1); }
ss_ModeFlags* p_SetModeFlags0100(ss_ModeFlags* pFlags) { return SetFlags(pFlags, 0, 1, 0, 0); }
ss_ModeFlags* p_SetModeFlags0010(ss_ModeFlags* pFlags) { return SetFlags(pFlags, 0, 0, 1, 0); }
