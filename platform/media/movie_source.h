#pragma once
#include <cstdint>
#include <memory>
#include <span>
#include <string_view>

namespace plat {

enum class MovieFrame { Frame, End, Error };

// A movie file (an MPEG-1 system stream: video required, sound optional)
// decoded frame by frame into 5-5-5 pixels. Its sound plays through a
// stream voice of the mixer, and the sound's clock paces the frames while
// it plays (the tick clock when the movie has none), so a caller that asks
// for frames as fast as it can still sees them at the movie's own rate.
class MovieSource {
public:
    // A file in which no picture turns up within this many bytes is not a
    // movie. The demuxer would search a large file of zeros to its end for a
    // start code, holding the game's start for as long as reading it takes;
    // a movie's own streams are learnt from its first 5,000,000 bytes.
    static constexpr int64_t kMaxSearchBytes = 16 << 20;

    // Null when the file is missing, unreadable or holds no decodable video.
    static std::unique_ptr<MovieSource> Open(std::string_view dataPath);
    ~MovieSource();
    MovieSource(const MovieSource&) = delete;
    MovieSource& operator=(const MovieSource&) = delete;

    int32_t Width() const;
    int32_t Height() const;
    bool HasSound() const;

    // Starts or halts the media clock and the sound. A new source is halted.
    bool Play();
    bool Stop();
    bool IsPlaying() const;

    // Decodes the next frame into `pixels` (Width() x Height(), pitch =
    // width). When paced and playing, waits until the frame is due on the
    // media clock and skips frames that are already well past it. End comes
    // once the last frame has had its time; Error when reading or decoding
    // keeps failing. Undecodable packets on the way are skipped.
    MovieFrame NextFrame(std::span<uint16_t> pixels, bool paced = true);

private:
    struct Impl;
    explicit MovieSource(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> m_impl;
};

} // namespace plat
