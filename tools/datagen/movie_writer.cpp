#include "tools/datagen/movie_writer.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/log.h>
}

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <numbers>
#include <string_view>
#include <vector>

namespace datagen {

namespace {

constexpr int32_t kSoundRate = kMovieSoundRate;
constexpr int32_t kTitleScale = 4;

// 5 x 7 block letters, one string per row, '#' set.
struct Glyph {
    char c;
    const char* rows[7];
};
constexpr Glyph kGlyphs[] = {
    {'A', {" ### ", "#   #", "#   #", "#####", "#   #", "#   #", "#   #"}},
    {'B', {"#### ", "#   #", "#   #", "#### ", "#   #", "#   #", "#### "}},
    {'C', {" ### ", "#   #", "#    ", "#    ", "#    ", "#   #", " ### "}},
    {'D', {"#### ", "#   #", "#   #", "#   #", "#   #", "#   #", "#### "}},
    {'E', {"#####", "#    ", "#    ", "#### ", "#    ", "#    ", "#####"}},
    {'F', {"#####", "#    ", "#    ", "#### ", "#    ", "#    ", "#    "}},
    {'G', {" ### ", "#   #", "#    ", "# ###", "#   #", "#   #", " ####"}},
    {'H', {"#   #", "#   #", "#   #", "#####", "#   #", "#   #", "#   #"}},
    {'I', {" ### ", "  #  ", "  #  ", "  #  ", "  #  ", "  #  ", " ### "}},
    {'K', {"#   #", "#  # ", "# #  ", "##   ", "# #  ", "#  # ", "#   #"}},
    {'L', {"#    ", "#    ", "#    ", "#    ", "#    ", "#    ", "#####"}},
    {'M', {"#   #", "## ##", "# # #", "# # #", "#   #", "#   #", "#   #"}},
    {'N', {"#   #", "##  #", "# # #", "#  ##", "#   #", "#   #", "#   #"}},
    {'O', {" ### ", "#   #", "#   #", "#   #", "#   #", "#   #", " ### "}},
    {'P', {"#### ", "#   #", "#   #", "#### ", "#    ", "#    ", "#    "}},
    {'R', {"#### ", "#   #", "#   #", "#### ", "# #  ", "#  # ", "#   #"}},
    {'S', {" ####", "#    ", "#    ", " ### ", "    #", "    #", "#### "}},
    {'T', {"#####", "  #  ", "  #  ", "  #  ", "  #  ", "  #  ", "  #  "}},
    {'U', {"#   #", "#   #", "#   #", "#   #", "#   #", "#   #", " ### "}},
    {'V', {"#   #", "#   #", "#   #", "#   #", "#   #", " # # ", "  #  "}},
    {'W', {"#   #", "#   #", "#   #", "# # #", "# # #", "## ##", "#   #"}},
    {'X', {"#   #", "#   #", " # # ", "  #  ", " # # ", "#   #", "#   #"}},
    {'Y', {"#   #", "#   #", " # # ", "  #  ", "  #  ", "  #  ", "  #  "}},
    {'0', {" ### ", "#   #", "#  ##", "# # #", "##  #", "#   #", " ### "}},
    {'1', {"  #  ", " ##  ", "  #  ", "  #  ", "  #  ", "  #  ", " ### "}},
    {'2', {" ### ", "#   #", "    #", "   # ", "  #  ", " #   ", "#####"}},
};

const Glyph* FindGlyph(char c) {
    for (const Glyph& g : kGlyphs)
        if (g.c == c) return &g;
    return nullptr;
}

struct Rgb {
    uint8_t r, g, b;
};

Rgb FromPixel(uint16_t p) {
    return Rgb{static_cast<uint8_t>(Expand5((p >> 10) & 31)), static_cast<uint8_t>(Expand5((p >> 5) & 31)),
               static_cast<uint8_t>(Expand5(p & 31))};
}

// One picture of the movie in 8-bit RGB.
class Canvas {
public:
    Canvas(int32_t w, int32_t h) : m_w(w), m_h(h), m_px(static_cast<size_t>(w) * h) {}
    void Fill(int32_t x0, int32_t y0, int32_t x1, int32_t y1, Rgb c) {
        for (int32_t y = std::max(y0, 0); y < std::min(y1, m_h); ++y)
            for (int32_t x = std::max(x0, 0); x < std::min(x1, m_w); ++x) m_px[static_cast<size_t>(y) * m_w + x] = c;
    }
    void Text(std::string_view text, int32_t y, Rgb c, Rgb shadow) {
        const int32_t advance = 6 * kTitleScale;
        const int32_t x0 = (m_w - static_cast<int32_t>(text.size()) * advance + kTitleScale) / 2;
        for (int pass = 0; pass < 2; ++pass) {
            const int32_t off = pass == 0 ? kTitleScale / 2 : 0;
            for (size_t i = 0; i < text.size(); ++i) {
                const Glyph* g = FindGlyph(text[i]);
                if (!g) continue;
                for (int32_t row = 0; row < 7; ++row)
                    for (int32_t col = 0; col < 5; ++col)
                        if (g->rows[row][col] == '#') {
                            const int32_t x = x0 + static_cast<int32_t>(i) * advance + col * kTitleScale + off;
                            const int32_t yy = y + row * kTitleScale + off;
                            Fill(x, yy, x + kTitleScale, yy + kTitleScale, pass == 0 ? shadow : c);
                        }
            }
        }
    }
    const Rgb& At(int32_t x, int32_t y) const { return m_px[static_cast<size_t>(y) * m_w + x]; }
    void Set(size_t i, Rgb c) { m_px[i] = c; }

private:
    int32_t m_w, m_h;
    std::vector<Rgb> m_px;
};

void Draw(Canvas& canvas, const MovieSpec& spec, int32_t index, std::vector<uint16_t>& picture) {
    if (spec.draw) {
        picture.assign(static_cast<size_t>(spec.width) * spec.height, 0);
        spec.draw(index, picture);
        for (size_t i = 0; i < picture.size(); ++i) canvas.Set(i, FromPixel(picture[i]));
        return;
    }
    const int32_t hw = spec.width / 2, hh = spec.height / 2;
    canvas.Fill(0, 0, hw, hh, FromPixel(spec.fields[0]));
    canvas.Fill(hw, 0, spec.width, hh, FromPixel(spec.fields[1]));
    canvas.Fill(0, hh, hw, spec.height, FromPixel(spec.fields[2]));
    canvas.Fill(hw, hh, spec.width, spec.height, FromPixel(spec.fields[3]));
    if (spec.sweep) {
        const int32_t x = index * 4 % spec.width;
        canvas.Fill(x, 0, x + 8, spec.height, Rgb{224, 224, 224});
    }
    if (spec.overlay.size() == static_cast<size_t>(spec.width) * spec.height) {
        for (int32_t y = 0; y < spec.height; ++y)
            for (int32_t x = 0; x < spec.width; ++x)
                if (const uint16_t p = spec.overlay[static_cast<size_t>(y) * spec.width + x])
                    canvas.Fill(x, y, x + 1, y + 1, FromPixel(p));
    } else if (!spec.title.empty()) {
        canvas.Text(spec.title, hh - 7 * kTitleScale / 2, Rgb{255, 255, 255}, Rgb{0, 0, 0});
    }
}

// BT.601 studio range, as MPEG-1 decoders read it back.
void ToYuv(const Canvas& c, AVFrame* f, int32_t w, int32_t h) {
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x) {
            const Rgb p = c.At(x, y);
            f->data[0][y * f->linesize[0] + x] = static_cast<uint8_t>(16 + ((66 * p.r + 129 * p.g + 25 * p.b + 128) >> 8));
        }
    for (int32_t y = 0; y < h / 2; ++y)
        for (int32_t x = 0; x < w / 2; ++x) {
            int32_t r = 0, g = 0, b = 0;
            for (int32_t k = 0; k < 4; ++k) {
                const Rgb p = c.At(2 * x + (k & 1), 2 * y + (k >> 1));
                r += p.r;
                g += p.g;
                b += p.b;
            }
            r = (r + 2) / 4;
            g = (g + 2) / 4;
            b = (b + 2) / 4;
            f->data[1][y * f->linesize[1] + x] = static_cast<uint8_t>(128 + ((-38 * r - 74 * g + 112 * b + 128) >> 8));
            f->data[2][y * f->linesize[2] + x] = static_cast<uint8_t>(128 + ((112 * r - 94 * g - 18 * b + 128) >> 8));
        }
}

struct Encoder {
    AVCodecContext* ctx = nullptr;
    AVStream* stream = nullptr;
    ~Encoder() { avcodec_free_context(&ctx); }
};

struct Output {
    AVFormatContext* fmt = nullptr;
    AVFrame* frame = nullptr;
    AVPacket* packet = nullptr;
    ~Output() {
        av_frame_free(&frame);
        av_packet_free(&packet);
        if (fmt && fmt->pb) avio_closep(&fmt->pb);
        avformat_free_context(fmt);
    }
};

bool Fail(const std::filesystem::path& file, const char* what) {
    std::fprintf(stderr, "movies: %s: %s\n", file.c_str(), what);
    return false;
}

// Sends one frame (null to drain) and writes whatever packets come out.
bool Encode(Output& out, Encoder& enc, const AVFrame* frame) {
    if (avcodec_send_frame(enc.ctx, frame) < 0) return false;
    for (;;) {
        const int r = avcodec_receive_packet(enc.ctx, out.packet);
        if (r == AVERROR(EAGAIN) || r == AVERROR_EOF) return true;
        if (r < 0) return false;
        av_packet_rescale_ts(out.packet, enc.ctx->time_base, enc.stream->time_base);
        out.packet->stream_index = enc.stream->index;
        if (av_interleaved_write_frame(out.fmt, out.packet) < 0) return false;
    }
}

} // namespace

bool WriteMovie(const std::filesystem::path& file, const MovieSpec& spec) {
    if (spec.width < 16 || spec.height < 16 || spec.width > 1024 || spec.height > 1024 || spec.width % 2 ||
        spec.height % 2 || spec.fps < 1 || spec.fps > 60 || spec.frames < 1 || spec.frames > 100'000)
        return Fail(file, "bad movie size");
    av_log_set_level(AV_LOG_ERROR);
    Output out;
    if (avformat_alloc_output_context2(&out.fmt, nullptr, "mpeg", file.c_str()) < 0 || !out.fmt)
        return Fail(file, "no MPEG system stream muxer");
    out.fmt->flags |= AVFMT_FLAG_BITEXACT;

    Encoder video;
    const AVCodec* vcodec = avcodec_find_encoder(AV_CODEC_ID_MPEG1VIDEO);
    if (!vcodec || !(video.ctx = avcodec_alloc_context3(vcodec))) return Fail(file, "no MPEG-1 video encoder");
    video.ctx->width = spec.width;
    video.ctx->height = spec.height;
    video.ctx->time_base = AVRational{1, spec.fps};
    video.ctx->framerate = AVRational{spec.fps, 1};
    video.ctx->pix_fmt = AV_PIX_FMT_YUV420P;
    video.ctx->gop_size = 12;
    video.ctx->max_b_frames = 0;
    video.ctx->thread_count = 1;
    video.ctx->flags |= AV_CODEC_FLAG_BITEXACT | AV_CODEC_FLAG_QSCALE;
    video.ctx->global_quality = FF_QP2LAMBDA * std::clamp(spec.qscale, 1, 31);
    if (avcodec_open2(video.ctx, vcodec, nullptr) < 0) return Fail(file, "cannot open the video encoder");
    if (!(video.stream = avformat_new_stream(out.fmt, nullptr))) return Fail(file, "no video stream");
    video.stream->time_base = video.ctx->time_base;
    avcodec_parameters_from_context(video.stream->codecpar, video.ctx);
    // The muxer sizes its buffers from the rates; the quality-driven encoder
    // states none. Detailed pictures at a fine quantiser take more.
    video.stream->codecpar->bit_rate = spec.draw ? 6'000'000 : 1'500'000;

    Encoder sound;
    if (spec.sound) {
        const AVCodec* acodec = avcodec_find_encoder(AV_CODEC_ID_MP2);
        if (!acodec || !(sound.ctx = avcodec_alloc_context3(acodec))) return Fail(file, "no MP2 encoder");
        sound.ctx->sample_fmt = AV_SAMPLE_FMT_S16;
        sound.ctx->sample_rate = kSoundRate;
        av_channel_layout_default(&sound.ctx->ch_layout, 2);
        sound.ctx->bit_rate = 128'000;
        sound.ctx->time_base = AVRational{1, kSoundRate};
        sound.ctx->flags |= AV_CODEC_FLAG_BITEXACT;
        sound.ctx->thread_count = 1;
        if (avcodec_open2(sound.ctx, acodec, nullptr) < 0) return Fail(file, "cannot open the MP2 encoder");
        if (!(sound.stream = avformat_new_stream(out.fmt, nullptr))) return Fail(file, "no sound stream");
        sound.stream->time_base = sound.ctx->time_base;
        avcodec_parameters_from_context(sound.stream->codecpar, sound.ctx);
    }

    std::error_code ec;
    if (file.has_parent_path()) std::filesystem::create_directories(file.parent_path(), ec);
    if (avio_open(&out.fmt->pb, file.c_str(), AVIO_FLAG_WRITE) < 0) return Fail(file, "cannot write");
    if (avformat_write_header(out.fmt, nullptr) < 0) return Fail(file, "cannot write the header");
    out.frame = av_frame_alloc();
    out.packet = av_packet_alloc();
    if (!out.frame || !out.packet) return Fail(file, "out of memory");

    Canvas canvas(spec.width, spec.height);
    std::vector<uint16_t> drawn;
    AVFrame* picture = av_frame_alloc();
    AVFrame* tone = av_frame_alloc();
    struct FreeFrames {
        AVFrame*& a;
        AVFrame*& b;
        ~FreeFrames() {
            av_frame_free(&a);
            av_frame_free(&b);
        }
    } freeFrames{picture, tone};
    if (!picture || !tone) return Fail(file, "out of memory");
    picture->format = AV_PIX_FMT_YUV420P;
    picture->width = spec.width;
    picture->height = spec.height;
    if (av_frame_get_buffer(picture, 0) < 0) return Fail(file, "out of memory");

    const int32_t frameSize = sound.ctx ? sound.ctx->frame_size : 0;
    const int64_t soundSamples = static_cast<int64_t>(spec.frames) * kSoundRate / spec.fps;
    const int64_t soundFrames = frameSize > 0 ? (soundSamples + frameSize - 1) / frameSize : 0;
    if (sound.ctx) {
        tone->format = AV_SAMPLE_FMT_S16;
        tone->sample_rate = kSoundRate;
        tone->nb_samples = frameSize;
        av_channel_layout_default(&tone->ch_layout, 2);
        if (av_frame_get_buffer(tone, 0) < 0) return Fail(file, "out of memory");
    }

    int64_t v = 0, a = 0;
    while (v < spec.frames || a < soundFrames) {
        // Whichever stream is behind in time goes next.
        const bool videoNext =
            a >= soundFrames || (v < spec.frames && v * kSoundRate <= a * frameSize * static_cast<int64_t>(spec.fps));
        if (videoNext) {
            if (av_frame_make_writable(picture) < 0) return Fail(file, "out of memory");
            Draw(canvas, spec, static_cast<int32_t>(v), drawn);
            ToYuv(canvas, picture, spec.width, spec.height);
            picture->pts = v;
            picture->quality = video.ctx->global_quality;
            if (!Encode(out, video, picture)) return Fail(file, "video encoding failed");
            ++v;
        } else {
            if (av_frame_make_writable(tone) < 0) return Fail(file, "out of memory");
            auto* s = reinterpret_cast<int16_t*>(tone->data[0]);
            const int64_t fade = kSoundRate / 50;
            for (int32_t i = 0; i < frameSize; ++i) {
                const int64_t n = a * frameSize + i;
                if (!spec.music.empty()) {
                    const bool in = n < soundSamples && 2 * n + 1 < static_cast<int64_t>(spec.music.size());
                    s[2 * i] = in ? spec.music[static_cast<size_t>(2 * n)] : 0;
                    s[2 * i + 1] = in ? spec.music[static_cast<size_t>(2 * n + 1)] : 0;
                    continue;
                }
                double level = 0.0;
                if (n < soundSamples) {
                    level = 6000.0 * std::min<double>({1.0, static_cast<double>(n) / fade,
                                                       static_cast<double>(soundSamples - n) / fade});
                }
                const double phase = 2.0 * std::numbers::pi * spec.toneHz * static_cast<double>(n) / kSoundRate;
                const auto value = static_cast<int16_t>(std::lround(level * std::sin(phase)));
                s[2 * i] = value;
                s[2 * i + 1] = value;
            }
            tone->pts = a * frameSize;
            if (!Encode(out, sound, tone)) return Fail(file, "sound encoding failed");
            ++a;
        }
    }
    if (!Encode(out, video, nullptr)) return Fail(file, "video encoding failed");
    if (sound.ctx && !Encode(out, sound, nullptr)) return Fail(file, "sound encoding failed");
    if (av_write_trailer(out.fmt) < 0) return Fail(file, "cannot finish the file");
    if (avio_closep(&out.fmt->pb) < 0) return Fail(file, "cannot close the file");
    return true;
}

} // namespace datagen
