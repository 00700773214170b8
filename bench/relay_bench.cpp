// The host's relay of game messages: bytes a second from the room to three
// members that take them as they come, each over a loopback connection of
// its own read by a thread of its own as a member's is, and the most the
// host held for them meanwhile (each message once, and what its streams keep
// until taken) and the process's resident memory.
#include <benchmark/benchmark.h>

#include <poll.h>

#include <algorithm>
#include <atomic>
#include <fstream>
#include <memory>
#include <thread>
#include <unistd.h>
#include <vector>

#include "platform/net/connection.h"
#include "platform/net/frame.h"
#include "platform/net/socket.h"
#include "platform/net/stream.h"

namespace {

using namespace plat::net;

constexpr int kMembers = 3;

size_t ResidentMb() {
    std::ifstream statm("/proc/self/statm");
    size_t pages = 0, resident = 0;
    statm >> pages >> resident;
    return resident * static_cast<size_t>(sysconf(_SC_PAGESIZE)) >> 20;
}

// A member's side: takes every frame as it comes and says so, until stopped.
void TakeAll(Stream& stream, const std::atomic<bool>& stop) {
    Frame frame;
    const char* why = "";
    while (!stop) {
        pollfd p{stream.Socket().Get(), POLLIN, 0};
        poll(&p, 1, 10);
        const uint64_t now = NowMs();
        for (long n; (n = stream.Read(now)) > 0;)
            while (stream.Next(frame, why) == ParseStatus::Frame) {
            }
        stream.Flush(now);
    }
}

void Relay_ToThreeMembersThatKeepUp(benchmark::State& state) {
    const auto size = static_cast<size_t>(state.range(0));
    uint16_t port = 0;
    const Fd listener = ListenTcp(port);
    Holdings holdings;
    std::vector<std::unique_ptr<Connection>> host;
    std::vector<std::unique_ptr<Stream>> members;
    const uint64_t start = NowMs();
    for (int i = 0; i < kMembers; ++i) {
        Fd member = ConnectTcp({kLoopback, port}, 2000);
        pollfd p{listener.Get(), POLLIN, 0};
        poll(&p, 1, 2000);
        host.push_back(std::make_unique<Connection>(AcceptTcp(listener), Endpoint{}, holdings));
        host.back()->welcomed = true;
        host.back()->stream.Number();
        members.push_back(std::make_unique<Stream>(FrameType::Beat, FrameType::HostBeat, start));
        members.back()->Attach(std::move(member), start);
        members.back()->Number();
    }
    const auto attached = [](const auto& m) { return m->Attached(); };
    if (!listener.Valid() || !std::all_of(members.begin(), members.end(), attached)) {
        state.SkipWithError("no loopback connection");
        return;
    }
    std::atomic<bool> stop{false};
    std::vector<std::thread> readers;
    for (auto& m : members) readers.emplace_back([&stop, s = m.get()] { TakeAll(*s, stop); });

    const PublicKey from{1};
    const std::vector<uint8_t> data(size, 0x5A);
    size_t heldMost = 0, residentMost = 0;
    Frame frame;
    const char* why = "";
    // One pass of the host's loop for one member: what waits goes in and
    // out, and what the member said it took is read.
    const auto pass = [&](Connection& c) {
        const uint64_t now = NowMs();
        c.stream.Pass(now);
        c.Commit();
        c.stream.Flush(now);
        for (long n; (n = c.stream.Read(now)) > 0;)
            while (c.stream.Next(frame, why) == ParseStatus::Frame) {
            }
    };
    uint64_t number = 0;
    for (auto _ : state) {
        std::vector<uint8_t> bytes;
        {
            FrameWriter f(bytes, FrameType::Deliver);
            f->U32(1);
            f->U32(0);
            f->U64(++number);
            f->Bytes(data);
        }
        const Parcel message = holdings.Frame(std::move(bytes), from, NowMs());
        for (auto& c : host) {
            // A member whose share is full is waited for, as a host's next
            // passes would: none of its messages is dropped here.
            while (!c->relay.Fits(from, message.Size())) {
                pass(*c);
                pollfd p{c->stream.Socket().Get(), static_cast<short>(POLLIN | (c->WantsWrite() ? POLLOUT : 0)), 0};
                poll(&p, 1, 1);
            }
            c->relay.Push(message);
        }
        for (auto& c : host) pass(*c);
        heldMost = std::max(heldMost, holdings.Held());
        if (number % 256 == 0) residentMost = std::max(residentMost, ResidentMb());
    }
    stop = true;
    for (auto& t : readers) t.join();
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * size * kMembers));
    state.counters["held_MB"] = static_cast<double>(heldMost) / (1 << 20);
    state.counters["resident_MB"] = static_cast<double>(std::max(residentMost, ResidentMb()));
}
BENCHMARK(Relay_ToThreeMembersThatKeepUp)->Arg(256)->Arg(64 << 10)->Arg(1 << 20)->Arg(4'000'000)->UseRealTime();

} // namespace
