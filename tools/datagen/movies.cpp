// The tour, opening and end movies.
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "pagefont/draw_page.h"
#include "pagefont/font_writer.h"
#include "pagefont/pixel_format.h"
#include "tools/datagen/font_files.h"
#include "tools/datagen/generators.h"
#include "tools/datagen/movie_writer.h"

namespace {

constexpr int32_t kTitlePage = 8;

// The title in the game's 8 x 16 font, doubled, with a drop shadow, drawn by
// the page library's text writer on a page of its own. The font is built
// here rather than read from the fonts piece's output, so the movies do not
// depend on the order the pieces run in. Empty when the writer cannot draw.
std::vector<uint16_t> TitleLayer(const std::filesystem::path& scratch, const std::string& title, int32_t w,
                                 int32_t h) {
    std::string note;
    const std::vector<uint8_t> font = datagen::BuildFontFile(datagen::kGameFonts[0], &note);
    {
        std::ofstream f(scratch, std::ios::binary | std::ios::trunc);
        f.write(reinterpret_cast<const char*>(font.data()), static_cast<std::streamsize>(font.size()));
        if (!f) return {};
    }
    sc_FontWriter writer;
    const int32_t loaded = writer.bLoadFont(0, scratch.c_str(), 8, 16, 0, 1);
    std::error_code ec;
    std::filesystem::remove(scratch, ec);
    if (!loaded || !l_CreatePage(kTitlePage, w, h)) return {};
    l_SelectPage(kTitlePage);
    writer.vSetZoom(1);
    const int32_t x = (w - writer.lMeasureString(title.c_str())) / 2;
    const int32_t y = h / 2 - 16;
    // Colour 0 lets the frame through, so the shadow is the darkest non-zero.
    writer.vSetColor(1, 0, 16);
    writer.vShowString(x + 2, y + 2, title.c_str());
    writer.vSetColor(l_MakeColor(255, 255, 255), 0, 16);
    writer.vShowString(x, y, title.c_str());
    std::vector<uint16_t> layer(static_cast<size_t>(w) * h);
    const uint8_t* pixels = p_GetPagePixels(kTitlePage);
    const int32_t pitch = l_GetPagePitch(kTitlePage);
    for (int32_t row = 0; row < h; ++row)
        for (int32_t col = 0; col < w; ++col)
            layer[static_cast<size_t>(row) * w + col] =
                static_cast<uint16_t>(pixels[row * pitch + 2 * col] | (pixels[row * pitch + 2 * col + 1] << 8));
    v_FreePage(kTitlePage);
    return layer;
}

bool WriteMovie(const std::filesystem::path& out, const char* name, datagen::MovieSpec spec) {
    spec.overlay = TitleLayer(out / ".movie-title.fnt", spec.title, spec.width, spec.height);
    if (spec.overlay.empty()) std::printf("krx_datagen:   %s: title in block letters (no font)\n", name);
    return datagen::WriteMovie(out / "MOVIE" / name, spec);
}

bool WriteMovies(const std::filesystem::path& out) {
    datagen::MovieSpec tour;
    tour.frames = 6 * 25;
    tour.fields = {0x0010, 0x0210, 0x4000, 0x2108};
    tour.sweep = true;
    tour.title = "PRAMO TOUR";
    tour.toneHz = 330;

    datagen::MovieSpec opening;
    opening.frames = 5 * 25;
    opening.fields = {0x5000, 0x0014, 0x0280, 0x5280};
    opening.sweep = true;
    opening.title = "KRX OPENING";
    opening.toneHz = 440;

    datagen::MovieSpec ending;
    ending.frames = 5 * 25;
    ending.fields = {0x0C63, 0x2529, 0x4010, 0x0208};
    ending.sweep = true;
    ending.title = "KRX THE END";
    ending.toneHz = 262;

    return WriteMovie(out, "Pramo.MPG", tour) && WriteMovie(out, "KRX-OPEN.MPG", opening) &&
           WriteMovie(out, "KRX-END.MPG", ending);
}

const datagen::Register reg("movies", WriteMovies);

} // namespace
