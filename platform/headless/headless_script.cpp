#include "platform/headless/headless_script.h"

#include <charconv>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/byte_reader.h"
#include "platform/headless/headless_backend.h"
#include "platform/input.h"
#include "platform/trace.h"
#include "platform/window.h"

namespace plat {
namespace {

constexpr uint64_t kMaxPass = 1'000'000'000;

std::vector<std::string_view> Words(std::string_view line) {
    std::vector<std::string_view> out;
    size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
        const size_t start = i;
        while (i < line.size() && line[i] != ' ' && line[i] != '\t') ++i;
        if (i > start) out.push_back(line.substr(start, i - start));
    }
    return out;
}

bool Number(std::string_view word, uint64_t& value, uint64_t max) {
    int base = 10;
    if (word.size() > 2 && word[0] == '0' && (word[1] == 'x' || word[1] == 'X')) {
        word.remove_prefix(2);
        base = 16;
    }
    const auto [end, ec] = std::from_chars(word.data(), word.data() + word.size(), value, base);
    return ec == std::errc() && end == word.data() + word.size() && value <= max;
}

using Action = HeadlessBackend::Action;

// The action of one timed command, or an empty one when it is not sound.
Action Command(const std::vector<std::string_view>& w) {
    uint64_t a = 0, b = 0;
    const std::string_view verb = w[1];
    if (verb == "key" && w.size() == 4 && Number(w[2], a, 255) && (w[3] == "down" || w[3] == "up")) {
        const auto code = static_cast<uint8_t>(a);
        if (w[3] == "down") return [code](HeadlessBackend& h) { h.KeyDown(code); };
        return [code](HeadlessBackend& h) { h.KeyUp(code); };
    }
    if (verb == "mouse" && w.size() == 4 && Number(w[2], a, 10'000) && Number(w[3], b, 10'000)) {
        const auto x = static_cast<int32_t>(a), y = static_cast<int32_t>(b);
        return [x, y](HeadlessBackend& h) { h.MoveMouse(x, y); };
    }
    if ((verb == "press" || verb == "release" || verb == "click") && w.size() <= 3) {
        int button = kMouseLeft;
        if (w.size() == 3) {
            if (w[2] == "right") button = kMouseRight;
            else if (w[2] != "left") return {};
        }
        if (verb == "press") return [button](HeadlessBackend& h) { h.ButtonDown(button); };
        if (verb == "release") return [button](HeadlessBackend& h) { h.ButtonUp(button); };
        return [button](HeadlessBackend& h) { h.Click(button); };
    }
    if (verb == "close" && w.size() == 2) return [](HeadlessBackend&) { PostEvent(Event::Close()); };
    return {};
}

} // namespace

bool LoadScript(std::span<const uint8_t> text, HeadlessBackend& backend) {
    if (text.size() > kMaxScriptBytes) {
        Trace("script", "longer than " + std::to_string(kMaxScriptBytes) + " bytes");
        return false;
    }
    const std::string_view all(reinterpret_cast<const char*>(text.data()), text.size());
    struct Timed {
        uint64_t pass;
        Action action;
    };
    std::vector<Timed> timeline;
    uint32_t step = 0;
    bool realtime = false;
    size_t lineNo = 0;
    for (size_t at = 0; at <= all.size();) {
        size_t end = all.find('\n', at);
        if (end == std::string_view::npos) end = all.size();
        std::string_view line = all.substr(at, end - at);
        at = end + 1;
        ++lineNo;
        if (const size_t hash = line.find('#'); hash != std::string_view::npos) line = line.substr(0, hash);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        const std::vector<std::string_view> w = Words(line);
        if (w.empty()) continue;
        uint64_t n = 0;
        bool sound = false;
        if (w[0] == "step" && w.size() == 2 && Number(w[1], n, 60'000) && n > 0) {
            step = static_cast<uint32_t>(n);
            sound = true;
        } else if (w[0] == "realtime" && w.size() == 1) {
            realtime = sound = true;
        } else if (w.size() >= 2 && Number(w[0], n, kMaxPass) && n > 0) {
            if (Action a = Command(w)) {
                timeline.push_back({n, std::move(a)});
                sound = true;
            }
        }
        if (!sound) {
            Trace("script", "line " + std::to_string(lineNo) + " is no command: " + std::string(line.substr(0, 80)));
            return false;
        }
    }
    if (step) backend.SetStep(step);
    if (realtime) backend.SetRealTime(true);
    for (Timed& t : timeline) backend.At(t.pass, std::move(t.action));
    return true;
}

bool LoadScriptFile(const char* path, HeadlessBackend& backend) {
    if (!path) return false;
    sc_ByteReader r = sc_ByteReader::FromPath(path, kMaxScriptBytes);
    if (!r) {
        Trace(std::string("script ") + path, std::string(r.Why()));
        return false;
    }
    return LoadScript(r.Whole(), backend);
}

} // namespace plat
