#include "platform/media/movie_source.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/log.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

#include <algorithm>
#include <cstdio>
#include <deque>
#include <mutex>
#include <string>
#include <vector>

#include "platform/audio.h"
#include "platform/clock.h"
#include "platform/file.h"
#include "platform/trace.h"

namespace plat {

namespace {

constexpr int32_t kMaxSide = 4096;
// Frames this far behind the clock are skipped, up to a point.
constexpr int kMaxDroppedInARow = 25;
// A gap between frame times and the clock beyond this is a jump in the
// stream's timestamps, not lateness: the clock follows the stream.
constexpr int64_t kResyncUs = 1'000'000;
// The sound is read this far ahead of the frame shown.
constexpr int64_t kSoundLeadUs = 500'000;
// Limits on what one NextFrame may go through before calling the stream
// broken: failed reads in a row, failed packets in a row, packets in all.
constexpr int kMaxReadErrors = 16;
constexpr int kMaxDecodeErrors = 64;
constexpr int kMaxPacketsPerFrame = 4096;
// The demuxer's reads from the file go through a buffer of this size.
constexpr int kInputBufferBytes = 32 * 1024;
// Video packets held back while reading ahead for the sound.
constexpr size_t kMaxQueuedPackets = 512;
// A sound clock that stands still this long while we wait is given up.
constexpr uint32_t kStallMs = 400;
// Silence put in for a hole in the sound's timestamps, at most.
constexpr int64_t kMaxGapFrames = static_cast<int64_t>(kAudioRate) * 2;

void QuietLibraries() {
    static std::once_flag once;
    // A broken file would otherwise fill the terminal; failures are reported
    // by our own results.
    std::call_once(once, [] { av_log_set_level(AV_LOG_FATAL); });
}

int64_t FramesToUs(uint64_t frames) { return static_cast<int64_t>(frames * 1'000'000 / kAudioRate); }

// Timestamps of a damaged stream can be anything; beyond a few days they are
// taken as missing so the arithmetic on them stays in range.
bool UsableTimestamp(int64_t ts) { return ts != AV_NOPTS_VALUE && ts > -(int64_t{1} << 40) && ts < (int64_t{1} << 40); }

} // namespace

struct MovieSource::Impl {
    // The file is read through the platform's, not opened by the demuxer:
    // it is refused unless regular, and while the source opens it ends at
    // kMaxSearchBytes.
    File file;
    int64_t fileSize = 0;
    bool searching = false;
    AVIOContext* input = nullptr;
    AVFormatContext* fmt = nullptr;
    AVCodecContext* video = nullptr;
    AVCodecContext* audio = nullptr;
    int videoIndex = -1;
    int audioIndex = -1;
    AVFrame* frame = nullptr;
    AVFrame* soundFrame = nullptr;
    AVPacket* packet = nullptr;
    SwsContext* sws = nullptr;
    SwrContext* swr = nullptr;
    int swrRate = 0;
    int swrFormat = -1;
    AVChannelLayout swrLayout{};
    std::deque<AVPacket*> queue;
    std::vector<int16_t> soundBuffer;
    std::vector<uint8_t> rgb;

    int32_t width = 0;
    int32_t height = 0;
    int64_t originUs = 0;
    int64_t frameUs = 40'000;
    int64_t lastPtsUs = AV_NOPTS_VALUE;

    bool demuxEnded = false;
    bool videoFlushed = false;
    bool audioFlushed = false;
    int readErrors = 0;

    // The media clock: the sound's stream voice while there is one and it
    // keeps moving, else ticks.
    VoiceId voice = 0;
    bool useTicks = true;
    bool playing = false;
    uint64_t soundPushed = 0;
    int64_t tickBaseUs = 0;
    uint32_t playTick = 0;
    int64_t offsetUs = 0;

    ~Impl() {
        if (voice) DestroyVoice(voice);
        for (AVPacket* p : queue) av_packet_free(&p);
        sws_freeContext(sws);
        swr_free(&swr);
        av_channel_layout_uninit(&swrLayout);
        av_frame_free(&frame);
        av_frame_free(&soundFrame);
        av_packet_free(&packet);
        avcodec_free_context(&video);
        avcodec_free_context(&audio);
        avformat_close_input(&fmt);
        // The demuxer may have replaced the buffer it was given.
        if (input) av_freep(&input->buffer);
        avio_context_free(&input);
    }

    static int ReadInput(void* self, uint8_t* buffer, int count) {
        Impl& s = *static_cast<Impl*>(self);
        const int64_t end = s.searching ? std::min(s.fileSize, kMaxSearchBytes) : s.fileSize;
        const int64_t n = std::min<int64_t>(count, end - s.file.Tell());
        if (n <= 0) return AVERROR_EOF;
        const int64_t got = s.file.Read(buffer, static_cast<size_t>(n));
        return got > 0 ? static_cast<int>(got) : got == 0 ? AVERROR_EOF : AVERROR(EIO);
    }

    static int64_t SeekInput(void* self, int64_t offset, int whence) {
        Impl& s = *static_cast<Impl*>(self);
        if (whence == AVSEEK_SIZE) return s.fileSize;
        const int origin = whence & ~AVSEEK_FORCE;
        SeekOrigin from = SeekOrigin::Begin;
        if (origin == SEEK_CUR)
            from = SeekOrigin::Current;
        else if (origin == SEEK_END)
            from = SeekOrigin::End;
        else if (origin != SEEK_SET)
            return AVERROR(EINVAL);
        const int64_t at = s.file.Seek(offset, from);
        return at < 0 ? AVERROR(EINVAL) : at;
    }

    static AVCodecContext* OpenDecoder(AVStream* st) {
        const AVCodec* codec = avcodec_find_decoder(st->codecpar->codec_id);
        if (!codec) return nullptr;
        AVCodecContext* ctx = avcodec_alloc_context3(codec);
        if (!ctx) return nullptr;
        ctx->thread_count = 1;
        if (avcodec_parameters_to_context(ctx, st->codecpar) < 0 || avcodec_open2(ctx, codec, nullptr) < 0) {
            avcodec_free_context(&ctx);
            return nullptr;
        }
        ctx->pkt_timebase = st->time_base;
        return ctx;
    }

    bool OpenFile(std::string_view dataPath) {
        if (!file.Open(dataPath, FileMode::ReadSequential) || (fileSize = file.Size()) < 0) return false;
        auto* buffer = static_cast<uint8_t*>(av_malloc(kInputBufferBytes));
        if (!buffer) return false;
        input = avio_alloc_context(buffer, kInputBufferBytes, 0, this, &ReadInput, nullptr, &SeekInput);
        if (!input) {
            av_free(buffer);
            return false;
        }
        if (!(fmt = avformat_alloc_context())) return false;
        fmt->pb = input;
        fmt->flags |= AVFMT_FLAG_CUSTOM_IO;
        const AVInputFormat* mpeg = av_find_input_format("mpeg");
        searching = true;
        if (avformat_open_input(&fmt, nullptr, mpeg, nullptr) < 0) return false;
        if (avformat_find_stream_info(fmt, nullptr) < 0) return false;
        // The file goes on past where the search had to stop.
        searching = false;
        if (avio_feof(input)) avio_seek(input, avio_tell(input), SEEK_SET);
        videoIndex = av_find_best_stream(fmt, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
        if (videoIndex < 0) return false;
        AVStream* vs = fmt->streams[videoIndex];
        width = vs->codecpar->width;
        height = vs->codecpar->height;
        if (width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide) return false;
        video = OpenDecoder(vs);
        if (!video) return false;
        const AVRational rate = vs->avg_frame_rate.num > 0 ? vs->avg_frame_rate : vs->r_frame_rate;
        if (rate.num > 0 && rate.den > 0) {
            const int64_t us = av_rescale(1'000'000, rate.den, rate.num);
            if (us >= 1'000 && us <= 1'000'000) frameUs = us;
        }
        // Sound is optional: a movie whose sound cannot be decoded plays mute.
        audioIndex = av_find_best_stream(fmt, AVMEDIA_TYPE_AUDIO, -1, videoIndex, nullptr, 0);
        if (audioIndex >= 0) {
            audio = OpenDecoder(fmt->streams[audioIndex]);
            if (!audio) audioIndex = -1;
        }
        for (unsigned i = 0; i < fmt->nb_streams; ++i)
            if (static_cast<int>(i) != videoIndex && static_cast<int>(i) != audioIndex)
                fmt->streams[i]->discard = AVDISCARD_ALL;
        originUs = UsableTimestamp(fmt->start_time) ? fmt->start_time : 0;
        frame = av_frame_alloc();
        soundFrame = av_frame_alloc();
        packet = av_packet_alloc();
        if (!frame || !soundFrame || !packet) return false;
        if (audio) {
            voice = CreateStreamVoice();
            useTicks = voice == 0;
        }
        return true;
    }

    // A stream timestamp on the movie's own timeline, from its start.
    int64_t MediaUs(int64_t ts, AVRational tb) const {
        const int64_t us = av_rescale_q(ts, tb, AV_TIME_BASE_Q);
        return UsableTimestamp(us) ? us - originUs : 0;
    }

    // ---- the clock ----

    int64_t RawClockUs() const {
        if (!useTicks) return FramesToUs(StreamPlayedFrames(voice));
        const uint32_t elapsed = playing ? TickCount() - playTick : 0;
        return tickBaseUs + static_cast<int64_t>(elapsed) * 1000;
    }

    int64_t ClockUs() const { return RawClockUs() + offsetUs; }

    // The sound stopped moving (no device pulling it): ticks take over from
    // where it was.
    void FallBackToTicks() {
        const int64_t now = RawClockUs();
        useTicks = true;
        tickBaseUs = now;
        playTick = TickCount();
    }

    void WaitUntil(int64_t dueUs) {
        uint32_t stalledMs = 0;
        for (int i = 0; i < 64; ++i) {
            const int64_t before = ClockUs();
            if (before >= dueUs) return;
            const uint32_t ms = static_cast<uint32_t>(std::min<int64_t>((dueUs - before + 999) / 1000, 250));
            Sleep(ms);
            // A device may pull in bursts, so only a long standstill means
            // nothing is pulling at all.
            stalledMs = ClockUs() == before ? stalledMs + ms : 0;
            if (stalledMs >= kStallMs) {
                if (useTicks) return;
                FallBackToTicks();
                stalledMs = 0;
            }
        }
    }

    // ---- sound ----

    bool SetUpResampler(const AVFrame* f) {
        if (swr && swrRate == f->sample_rate && swrFormat == f->format &&
            av_channel_layout_compare(&swrLayout, &f->ch_layout) == 0)
            return true;
        swr_free(&swr);
        av_channel_layout_uninit(&swrLayout);
        AVChannelLayout in{};
        if (f->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC || av_channel_layout_check(&f->ch_layout) == 0)
            av_channel_layout_default(&in, f->ch_layout.nb_channels);
        else if (av_channel_layout_copy(&in, &f->ch_layout) < 0)
            return false;
        AVChannelLayout out{};
        av_channel_layout_default(&out, 2);
        const bool ok = swr_alloc_set_opts2(&swr, &out, AV_SAMPLE_FMT_S16, kAudioRate, &in,
                                            static_cast<AVSampleFormat>(f->format), f->sample_rate, 0,
                                            nullptr) >= 0 &&
                        swr_init(swr) >= 0;
        av_channel_layout_uninit(&in);
        if (!ok) {
            swr_free(&swr);
            return false;
        }
        swrRate = f->sample_rate;
        swrFormat = f->format;
        av_channel_layout_copy(&swrLayout, &f->ch_layout);
        return true;
    }

    void Push(std::span<const int16_t> stereo) {
        const size_t taken = QueueStream(voice, stereo);
        soundPushed += taken;
    }

    void PushSound(const AVFrame* f) {
        if (f->nb_samples <= 0 || f->nb_samples > 1 << 20 || f->sample_rate <= 0 || f->sample_rate > 384000 ||
            f->ch_layout.nb_channels <= 0 || f->ch_layout.nb_channels > 16)
            return;
        // Sample k of the stream plays at k / rate: a hole in the timestamps
        // is filled with silence so the sound stays on the pictures' clock.
        const int64_t ts = f->best_effort_timestamp;
        if (UsableTimestamp(ts)) {
            const int64_t atUs = MediaUs(ts, fmt->streams[audioIndex]->time_base);
            const int64_t due = atUs * kAudioRate / 1'000'000;
            const int64_t gap = due - static_cast<int64_t>(soundPushed);
            if (gap > kAudioRate / 50 && gap <= kMaxGapFrames) {
                const std::vector<int16_t> silence(static_cast<size_t>(gap) * 2, 0);
                Push(silence);
            }
        }
        if (!SetUpResampler(f)) return;
        const int capacity = swr_get_out_samples(swr, f->nb_samples);
        if (capacity <= 0) return;
        soundBuffer.resize(static_cast<size_t>(capacity) * 2);
        uint8_t* out = reinterpret_cast<uint8_t*>(soundBuffer.data());
        const int n = swr_convert(swr, &out, capacity, const_cast<const uint8_t**>(f->extended_data), f->nb_samples);
        if (n > 0) Push(std::span<const int16_t>(soundBuffer.data(), static_cast<size_t>(n) * 2));
    }

    void DecodeSound(const AVPacket* p) {
        if (!audio) return;
        if (avcodec_send_packet(audio, p) < 0) return; // an undecodable packet is skipped
        while (avcodec_receive_frame(audio, soundFrame) == 0) {
            if (voice) PushSound(soundFrame);
            av_frame_unref(soundFrame);
        }
    }

    // ---- reading ----

    enum class Read { Packet, End, Error };

    Read ReadPacket() {
        const int r = av_read_frame(fmt, packet);
        if (r == AVERROR_EOF || (r < 0 && fmt->pb && avio_feof(fmt->pb) && !fmt->pb->error)) {
            demuxEnded = true;
            if (!audioFlushed) {
                audioFlushed = true;
                DecodeSound(nullptr);
            }
            return Read::End;
        }
        if (r < 0) return ++readErrors > kMaxReadErrors ? Read::Error : Read::Packet;
        readErrors = 0;
        if (packet->stream_index == videoIndex) {
            AVPacket* held = av_packet_alloc();
            if (held) {
                av_packet_move_ref(held, packet);
                queue.push_back(held);
            }
        } else if (packet->stream_index == audioIndex) {
            DecodeSound(packet);
        }
        av_packet_unref(packet);
        return Read::Packet;
    }

    // Reads ahead until the sound reaches `untilUs` on the media timeline.
    void FeedSound(int64_t untilUs) {
        if (!voice) return;
        for (int i = 0; i < kMaxPacketsPerFrame; ++i) {
            if (demuxEnded || queue.size() >= kMaxQueuedPackets) return;
            if (FramesToUs(soundPushed) >= untilUs) return;
            if (StreamQueuedFrames(voice) * 2 >= static_cast<size_t>(kAudioRate) * 3) return;
            if (ReadPacket() == Read::Error) return;
        }
    }

    // Decodes the next picture into `frame`.
    MovieFrame DecodeVideo() {
        int failures = 0;
        int packets = 0;
        for (;;) {
            const int r = avcodec_receive_frame(video, frame);
            if (r == 0) {
                if (frame->width > 0 && frame->height > 0 && frame->width <= kMaxSide && frame->height <= kMaxSide)
                    return MovieFrame::Frame;
                av_frame_unref(frame);
                if (++failures > kMaxDecodeErrors) return MovieFrame::Error;
                continue;
            }
            if (r == AVERROR_EOF) return MovieFrame::End;
            if (r != AVERROR(EAGAIN)) {
                if (++failures > kMaxDecodeErrors) return MovieFrame::Error;
                if (videoFlushed) return MovieFrame::End;
                continue;
            }
            if (videoFlushed) return MovieFrame::End;
            while (queue.empty() && !demuxEnded) {
                if (ReadPacket() == Read::Error) return MovieFrame::Error;
                if (++packets > kMaxPacketsPerFrame) return MovieFrame::Error;
            }
            if (queue.empty()) {
                avcodec_send_packet(video, nullptr);
                videoFlushed = true;
                continue;
            }
            AVPacket* p = queue.front();
            queue.pop_front();
            const int sent = avcodec_send_packet(video, p);
            av_packet_free(&p);
            // An undecodable packet is skipped; only a run of them is fatal.
            if (sent < 0 && ++failures > kMaxDecodeErrors) return MovieFrame::Error;
            if (++packets > kMaxPacketsPerFrame) return MovieFrame::Error;
        }
    }

    int64_t FramePtsUs() const {
        const int64_t ts = frame->best_effort_timestamp;
        if (UsableTimestamp(ts)) return MediaUs(ts, fmt->streams[videoIndex]->time_base);
        return lastPtsUs == AV_NOPTS_VALUE ? 0 : lastPtsUs + frameUs;
    }

    bool Convert(std::span<uint16_t> pixels) {
        const size_t count = static_cast<size_t>(width) * height;
        if (pixels.size() < count) return false;
        // Through 24-bit colour: the converter's own 15-bit output dithers,
        // which would speckle the flat fields.
        sws = sws_getCachedContext(sws, frame->width, frame->height, static_cast<AVPixelFormat>(frame->format), width,
                                   height, AV_PIX_FMT_RGB24, SWS_POINT | SWS_ACCURATE_RND | SWS_BITEXACT, nullptr,
                                   nullptr, nullptr);
        if (!sws) return false;
        rgb.resize(count * 3);
        uint8_t* dst[4] = {rgb.data(), nullptr, nullptr, nullptr};
        const int stride[4] = {width * 3, 0, 0, 0};
        if (sws_scale(sws, frame->data, frame->linesize, 0, frame->height, dst, stride) <= 0) return false;
        for (size_t i = 0; i < count; ++i) {
            const uint8_t* c = &rgb[3 * i];
            pixels[i] = static_cast<uint16_t>(((c[0] >> 3) << 10) | ((c[1] >> 3) << 5) | (c[2] >> 3));
        }
        return true;
    }

    MovieFrame Next(std::span<uint16_t> pixels, bool paced) {
        const bool pacing = paced && playing;
        for (int dropped = 0;;) {
            const MovieFrame got = DecodeVideo();
            if (got != MovieFrame::Frame) {
                // The last picture keeps the screen for its own time.
                if (got == MovieFrame::End && pacing && lastPtsUs != AV_NOPTS_VALUE) WaitUntil(lastPtsUs + frameUs);
                return got;
            }
            const int64_t pts = FramePtsUs();
            lastPtsUs = pts;
            FeedSound(pts + kSoundLeadUs);
            if (pacing) {
                const int64_t now = ClockUs();
                if (pts > now + kResyncUs || pts < now - kResyncUs) {
                    offsetUs += pts - now;
                } else if (pts + 2 * frameUs < now && dropped < kMaxDroppedInARow) {
                    ++dropped;
                    av_frame_unref(frame);
                    continue;
                }
                WaitUntil(pts);
            }
            const bool ok = Convert(pixels);
            av_frame_unref(frame);
            return ok ? MovieFrame::Frame : MovieFrame::Error;
        }
    }
};

MovieSource::MovieSource(std::unique_ptr<Impl> impl) : m_impl(std::move(impl)) {}
MovieSource::~MovieSource() = default;

std::unique_ptr<MovieSource> MovieSource::Open(std::string_view dataPath) {
    QuietLibraries();
    auto impl = std::make_unique<Impl>();
    if (!impl->OpenFile(dataPath)) {
        // Into the game's trace log, like every other refused file.
        Trace("movie", "cannot play " + std::string(dataPath));
        return nullptr;
    }
    return std::unique_ptr<MovieSource>(new MovieSource(std::move(impl)));
}

int32_t MovieSource::Width() const { return m_impl->width; }
int32_t MovieSource::Height() const { return m_impl->height; }
bool MovieSource::HasSound() const { return m_impl->voice != 0; }
bool MovieSource::IsPlaying() const { return m_impl->playing; }

bool MovieSource::Play() {
    Impl& s = *m_impl;
    if (s.playing) return true;
    if (s.useTicks) s.playTick = TickCount();
    if (s.voice) {
        // Sound for the first moments is queued before the device starts.
        s.FeedSound(s.ClockUs() + kSoundLeadUs);
        PlayVoice(s.voice);
    }
    s.playing = true;
    return true;
}

bool MovieSource::Stop() {
    Impl& s = *m_impl;
    if (!s.playing) return true;
    if (s.useTicks) s.tickBaseUs = s.RawClockUs();
    if (s.voice) StopVoice(s.voice);
    s.playing = false;
    return true;
}

MovieFrame MovieSource::NextFrame(std::span<uint16_t> pixels, bool paced) { return m_impl->Next(pixels, paced); }

} // namespace plat
