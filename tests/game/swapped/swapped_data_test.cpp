// The real program, headless, on the data set with one file replaced by a
// truncated copy, by random bytes of the same length, by a file of
// another kind or by a FIFO that no one writes to: it starts, goes through the menus into the default mission
// and plays on, and a file it refuses is named in DEBUG.TXT.
//
// Which files a run reads is learnt once, from a run on a copy of the whole
// data set with the kernel reporting every file opened in its folders.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <random>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "engine/device/dir_surface.h"
#include "game/work.h"
#include "platform/backend.h"
#include "platform/display.h"
#include "platform/headless/headless_backend.h"
#include "platform/input.h"
#include "platform/window.h"
#include "tests/support/temp_dir.h"

namespace {

namespace fs = std::filesystem;
using plat::HeadlessBackend;

enum class Swap { Truncated, RandomBytes, OtherKind, Fifo };
const char* Name(Swap s) {
    return s == Swap::Truncated     ? "truncated"
           : s == Swap::RandomBytes ? "random bytes"
           : s == Swap::OtherKind   ? "another kind"
                                    : "a FIFO";
}

std::string Lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

std::string ReadAll(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A file's kind: its extension, or for a name without one (the tile banks'
// halves) the name without its number.
std::string Kind(const fs::path& file) {
    if (file.has_extension()) return Lower(file.extension().string());
    std::string name = Lower(file.filename().string());
    name.erase(std::remove_if(name.begin(), name.end(), [](unsigned char c) { return std::isdigit(c); }), name.end());
    return name;
}

// Every file of the data set, relative to its folder, in a fixed order.
std::vector<fs::path> DataFiles() {
    std::vector<fs::path> files;
    for (const auto& e : fs::recursive_directory_iterator(krxtest::DataDir()))
        if (e.is_regular_file()) files.push_back(fs::relative(e.path(), krxtest::DataDir()));
    std::sort(files.begin(), files.end());
    return files;
}

// The game's folder: each data folder made afresh with a link to each of
// its files, but the swapped file written in its place (or a FIFO made
// there); the save folder empty, as the game's own.
class SwappedDir : public krxtest::TempDir {
public:
    SwappedDir(const fs::path& swapped, const std::string& bytes, bool fifo) {
        const fs::path data = krxtest::DataDir();
        for (const auto& e : fs::recursive_directory_iterator(data)) {
            const fs::path rel = fs::relative(e.path(), data);
            if (e.is_directory()) {
                fs::create_directories(Path() / rel);
            } else if (rel == swapped && fifo) {
                EXPECT_EQ(mkfifo((Path() / rel).c_str(), 0644), 0);
            } else if (rel == swapped) {
                std::ofstream(Path() / rel, std::ios::binary) << bytes;
            } else if (Lower(rel.begin()->string()) != "save" && rel.has_parent_path()) {
                // Not the saves, nor a file at the top, which is a game's
                // output (the log another test's run left there).
                fs::create_symlink(e.path(), Path() / rel);
            }
        }
    }
};

// Opens the write end of a FIFO every few milliseconds until stopped, which
// succeeds only while something has the read end open: a program that opens
// the FIFO is caught, and one waiting there for a writer goes on (reading
// nothing) instead of hanging the suite.
void ProbeFifo(std::stop_token stop, const fs::path& fifo, std::atomic<bool>& opened) {
    for (; !stop.stop_requested(); std::this_thread::sleep_for(std::chrono::milliseconds(5)))
        if (const int fd = ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC); fd >= 0) {
            opened = true;
            ::close(fd);
        }
}

struct Outcome {
    int32_t exitCode = -1;
    int32_t state = -1; // the scene's state near the last pass
    std::string log;    // DEBUG.TXT
};

// Escape over the two movies, the default mission started from the menus,
// a few frames of play, then the window closes.
Outcome RunGame(const fs::path& dir) {
    Outcome out;
    {
        krxtest::ScopedCwd cwd(dir);
        plat::CloseDisplay();
        plat::ResetWindowSystem();
        // Each run starts as the program does, loading its fonts from this
        // folder rather than keeping the ones an earlier run loaded.
        g_bFontsLoaded = 0;
        auto owned = std::make_unique<HeadlessBackend>();
        HeadlessBackend& backend = *owned;
        plat::InstallBackend(std::move(owned));
        sc_Window::vRegister(0, "KRX", 0, 0);
        {
            sc_Work work;
            backend.At(1, [](HeadlessBackend& b) { b.KeyDown(plat::key::Escape); });
            backend.At(5, [](HeadlessBackend& b) { b.KeyUp(plat::key::Escape); });
            backend.At(7, [](HeadlessBackend&) {
                g_pWork->oScene.oInterFace.lScreen = sc_InterFace::kScreenStart;
                g_pWork->oScene.oForm.lMission = 5; // won only by reaching a place
            });
            backend.At(16, [&](HeadlessBackend&) { out.state = g_pWork->oScene.lState; });
            backend.SetPassBudget(18);
            work.vCreate("KRX Project", 0, 0, 0);
            out.exitCode = work.lRun();
        }
        plat::CloseDisplay();
        plat::ResetWindowSystem();
        plat::ResetBackend();
    }
    out.log = ReadAll(dir / "DEBUG.TXT");
    return out;
}

// The data files a run on the whole data set opens, and what it logs.
struct Baseline {
    std::set<fs::path> read;
    Outcome outcome;
};

const Baseline& TheBaseline() {
    static const Baseline baseline = [] {
        Baseline b;
        // A copy of its own: other tests read the shared data set meanwhile.
        krxtest::TempDir dir;
        fs::copy(krxtest::DataDir(), dir.Path(), fs::copy_options::recursive);
        const int fd = inotify_init1(IN_NONBLOCK);
        EXPECT_GE(fd, 0);
        std::map<int, fs::path> folders;
        for (const auto& e : fs::recursive_directory_iterator(dir.Path()))
            if (e.is_directory())
                folders[inotify_add_watch(fd, e.path().c_str(), IN_OPEN)] = fs::relative(e.path(), dir.Path());
        b.outcome = RunGame(dir.Path());
        alignas(inotify_event) char buf[64 * 1024];
        for (ssize_t n; (n = read(fd, buf, sizeof buf)) > 0;)
            for (char* at = buf; at < buf + n;) {
                const auto* ev = reinterpret_cast<const inotify_event*>(at);
                if (ev->len && folders.count(ev->wd)) b.read.insert(folders[ev->wd] / ev->name);
                at += sizeof(inotify_event) + ev->len;
            }
        close(fd);
        return b;
    }();
    return baseline;
}

// The lines of a log, each without the tick it starts with, that the
// baseline's log does not hold: what the swapped file made the program say.
std::string NewLines(const std::string& log) {
    const auto lines = [](const std::string& text) {
        std::vector<std::string> out;
        for (size_t at = 0; at < text.size();) {
            size_t end = text.find('\n', at);
            if (end == std::string::npos) end = text.size();
            const std::string line = text.substr(at, end - at);
            const size_t tick = line.find('\0');
            out.push_back(tick == std::string::npos ? line : line.substr(tick + 1));
            at = end + 1;
        }
        return out;
    };
    const std::vector<std::string> before = lines(TheBaseline().outcome.log);
    const std::set<std::string> known(before.begin(), before.end());
    std::string added;
    for (std::string& line : lines(log))
        if (!known.count(line)) {
            std::replace(line.begin(), line.end(), '\0', ' ');
            added += line + "\n";
        }
    return added;
}

std::string Swapped(const fs::path& file, Swap swap, const std::vector<fs::path>& all) {
    const std::string whole = ReadAll(krxtest::DataDir() / file);
    switch (swap) {
    case Swap::Truncated: return whole.substr(0, whole.size() / 2);
    case Swap::RandomBytes: {
        std::mt19937 gen(static_cast<uint32_t>(whole.size()));
        std::string bytes(whole.size(), '\0');
        for (char& c : bytes) c = static_cast<char>(gen());
        return bytes;
    }
    case Swap::OtherKind: break;
    case Swap::Fifo: return {};
    }
    // The first file the run reads whose kind differs.
    const std::set<fs::path>& read = TheBaseline().read;
    for (const fs::path& other : all)
        if (read.count(other) && Kind(other) != Kind(file))
            return ReadAll(krxtest::DataDir() / other);
    return {};
}

// One file of each kind the run reads, or with KRX_SWAP_ALL=1 every file
// of the data set.
std::vector<fs::path> FilesToSwap(const std::vector<fs::path>& all) {
    if (const char* every = std::getenv("KRX_SWAP_ALL"); every && std::string(every) == "1") return all;
    std::vector<fs::path> sample;
    std::set<std::string> kinds;
    for (const fs::path& f : all)
        if (TheBaseline().read.count(f) && kinds.insert(Kind(f)).second) sample.push_back(f);
    return sample;
}

// The kinds whose readers can tell a cut copy: the files read whole and held
// to the sizes they give, a map header shorter than its fields, a packed map
// before the end it states, tile data before a tile of its table, a sprite
// pack's data before a frame of its table and a font short of the glyphs its
// codes reach. The others cannot tell a cut copy from a smaller file: an
// animation list or a bank's table cut at a record's end is a shorter one,
// and a movie cut short plays shorter.
const std::set<std::string> kNamedWhenCut = {".db", ".dic", ".bud", ".str", ".wav", ".mi",
                                              ".map", "zdat", ".img", ".fnt"};
// The kinds that start with a signature. A file of another kind or of
// random bytes may read as a valid file of the others.
const std::set<std::string> kSigned = {".mpg", ".wav"};

void ExpectPlaysOnWith(Swap swap) {
    const Baseline& base = TheBaseline();
    ASSERT_EQ(base.outcome.exitCode, 0);
    ASSERT_EQ(base.outcome.state, sc_Scene::kStatePlay);
    ASSERT_GT(base.read.size(), 5u) << "the run reads the tables, packs, fonts and the mission";
    const std::vector<fs::path> all = DataFiles();
    for (const fs::path& file : FilesToSwap(all)) {
        SCOPED_TRACE(file.string() + ", " + Name(swap));
        const bool fifo = swap == Swap::Fifo;
        SwappedDir dir(file, Swapped(file, swap, all), fifo);
        std::atomic<bool> opened = false;
        std::jthread probe;
        if (fifo) probe = std::jthread(ProbeFifo, dir.Path() / file, std::ref(opened));
        const Outcome got = RunGame(dir.Path());
        probe = {}; // stopped and joined
        EXPECT_FALSE(opened) << "the FIFO was opened: a reader waits there for a writer";
        EXPECT_EQ(got.exitCode, 0);
        EXPECT_EQ(got.state, sc_Scene::kStatePlay) << "the mission is not played on";
        // A cut copy of a file the run reads whole, anything but a file of
        // its kind in place of a signed one, and a FIFO in place of any file
        // the run reads, is refused by name.
        const std::string kind = Kind(file);
        const bool named = swap == Swap::Fifo        ? true
                           : swap == Swap::Truncated ? kNamedWhenCut.count(kind) > 0
                                                     : kSigned.count(kind) > 0;
        if (base.read.count(file) && named) {
            EXPECT_NE(Lower(got.log).find(Lower(file.filename().string())), std::string::npos)
                << "not named in DEBUG.TXT; new lines:\n" << NewLines(got.log);
        }
    }
}

// Each kind of swap is a case of its own, so that the three run side by side.
TEST(SwappedDataSet, ATruncatedFileIsReportedAndThePlayGoesOn) { ExpectPlaysOnWith(Swap::Truncated); }
TEST(SwappedDataSet, RandomBytesInAFilesPlaceLeaveThePlayGoingOn) { ExpectPlaysOnWith(Swap::RandomBytes); }
TEST(SwappedDataSet, AFileOfAnotherKindLeavesThePlayGoingOn) { ExpectPlaysOnWith(Swap::OtherKind); }
TEST(SwappedDataSet, AFifoInAFilesPlaceIsRefusedWithoutWaiting) { ExpectPlaysOnWith(Swap::Fifo); }

} // namespace
