// A stand-in for one machine of a network battle, driven line by line on
// standard input, answering one line per command on standard output:
//
//   enter <player> <room>  join the game's session (or host it when none is
//                          found), make the player, join the room or make it
//   players                the own room's player table, entry 0 first
//   groups                 the room names of the session
//   sessions               how many sessions of the game's name are found
//   send <text>            the text to the own room
//   recv                   every waiting message: "<from>:<text>" for game
//                          messages, "sys:<word>,<word>" for the session's own
//   quit
//
// The search address comes from KRX_NET_DISCOVERY like the game's.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <sstream>
#include <string>

#include "network/dir_play.h"

namespace {

constexpr const char* kSessionName = "KRX";

uint32_t Word(const uint8_t* p) { return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24; }

std::string Enter(sc_DirPlay& dp, const std::string& player, const std::string& room) {
    dp.vInit();
    if (!dp.bConnect("") || !dp.bEnumSessions()) return "enter-failed connect";
    bool found = false;
    for (const auto& e : dp.oSessionTable)
        if (!e.oInstance.IsNull() && std::strcmp(e.szName, kSessionName) == 0) found = true;
    std::string how;
    if (found) how = dp.bJoinSessionByName(kSessionName) ? "joined" : "join-failed";
    else how = dp.bHostSession(kSessionName) ? "hosting" : "host-failed";
    if (!dp.bCreatePlayer(player.c_str())) return how + " player-failed";
    dp.bEnumGroups();
    if (!dp.bJoinGroupByName(room.c_str())) {
        if (!dp.bCreateGroup(room.c_str()) || !dp.bAddPlayerToGroup(dp.lOwnGroupId, dp.lOwnPlayerId))
            return how + " room-failed";
    }
    return how + " " + std::to_string(dp.lOwnPlayerId) + " " + std::to_string(dp.lOwnGroupId);
}

std::string Players(sc_DirPlay& dp) {
    if (!dp.bEnumGroupPlayers(dp.lOwnGroupId)) return "players-failed";
    std::string out = "players";
    for (const auto& e : dp.oPlayerTable)
        if (e.lId != 0) out += std::string(" ") + e.szName;
    return out;
}

std::string Groups(sc_DirPlay& dp) {
    if (!dp.bEnumGroups()) return "groups-failed";
    std::string out = "groups";
    for (const auto& e : dp.oGroupTable)
        if (e.lId != 0) out += std::string(" ") + e.szName;
    return out;
}

std::string Sessions(sc_DirPlay& dp) {
    // Searching refills the session table only; the session stays joined.
    if (!dp.bEnumSessions()) return "sessions-failed";
    int count = 0;
    for (const auto& e : dp.oSessionTable)
        if (std::strcmp(e.szName, kSessionName) == 0) ++count;
    return "sessions " + std::to_string(count);
}

std::string Receive(sc_DirPlay& dp) {
    std::string out = "recv";
    uint32_t from = 0, size = 0;
    while (const uint8_t* p = dp.pReceive(&from, &size)) {
        if (from == 0 && size >= 4) {
            out += " sys:" + std::to_string(Word(p));
            for (uint32_t at = 4; at + 4 <= size; at += 4) out += "," + std::to_string(Word(p + at));
        } else {
            out += " " + std::to_string(from) + ":" + std::string(reinterpret_cast<const char*>(p), size);
        }
    }
    return out;
}

} // namespace

int main() {
    sc_DirPlay dp;
    std::string line;
    while (std::getline(std::cin, line)) {
        std::istringstream in(line);
        std::string cmd;
        in >> cmd;
        std::string reply;
        if (cmd == "enter") {
            std::string player, room;
            in >> player >> room;
            reply = Enter(dp, player, room);
        } else if (cmd == "players") {
            reply = Players(dp);
        } else if (cmd == "groups") {
            reply = Groups(dp);
        } else if (cmd == "sessions") {
            reply = Sessions(dp);
        } else if (cmd == "send") {
            std::string text;
            in >> text;
            reply = dp.bSend(dp.lOwnGroupId, text.data(), static_cast<uint32_t>(text.size())) ? "sent" : "send-failed";
        } else if (cmd == "recv") {
            reply = Receive(dp);
        } else if (cmd == "quit") {
            break;
        } else {
            reply = "unknown";
        }
        std::cout << reply << std::endl;
    }
    dp.vClose();
    return 0;
}
