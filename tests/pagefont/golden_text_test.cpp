// The game's text as a player sees it, against a stored picture. The picture
// is made once (KRX_WRITE_GOLDEN=1), checked by eye and kept in golden/.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "pagefont/font_writer.h"
#include "platform/png.h"
#include "tests/pagefont/page_fixture.h"
#include "tests/support/temp_dir.h"
#include "tools/datagen/font_files.h"

namespace {

constexpr int32_t kW = 320, kH = 48;

// Checks the page against golden/<name>.png; a missing picture fails unless
// KRX_WRITE_GOLDEN is set, which writes it.
void ExpectGolden(const std::vector<uint16_t>& px, const std::string& name) {
    const std::string golden = std::string(KRX_SOURCE_DIR) + "/tests/pagefont/golden/" + name + ".png";
    const char* write = std::getenv("KRX_WRITE_GOLDEN");
    if (write && *write && std::string(write) != "0") {
        ASSERT_TRUE(plat::WritePng555(golden, px.data(), kW, kH, kW)) << golden;
        std::printf("wrote %s\n", golden.c_str());
        return;
    }
    std::vector<uint16_t> want;
    int w = 0, h = 0;
    ASSERT_TRUE(plat::ReadPng555(golden, want, w, h))
        << golden << " is missing or unreadable; make it with KRX_WRITE_GOLDEN=1 and check it by eye";
    ASSERT_EQ(w, kW);
    ASSERT_EQ(h, kH);
    int differ = 0;
    for (size_t i = 0; i < px.size(); ++i)
        differ += (px[i] & 0x7fff) != want[i];
    if (differ) {
        const std::string actual = name + ".actual.png";
        plat::WritePng555(actual, px.data(), kW, kH, kW);
        ADD_FAILURE() << differ << " pixels differ from " << golden << "; this run's picture is "
                      << std::filesystem::absolute(actual);
    }
}

class GoldenText : public pftest::PageTest {};

TEST_F(GoldenText, Big5AndAsciiLinesWithTheGameSettings) {
    krxtest::TempDir dir;
    ASSERT_TRUE(datagen::WriteFontFiles(dir.Path(), {datagen::kGameFonts[0], datagen::kGameFonts[1]}));
    krxtest::ScopedCwd cwd(dir.Path());

    sc_FontWriter writer;
    ASSERT_EQ(writer.bLoadFont(0, "Fonts\\EM0816.FNT", 8, 16, 0, 1), 1);
    ASSERT_EQ(writer.bLoadFont(1, "Fonts\\CM1616.FNT", 16, 16, 0, 1), 1);
    writer.vSetShadow(31, 1);
    writer.vSetSpacing(1, 0);
    writer.vSetColor(0x0F0B, 0, 16);

    std::vector<uint16_t> page(static_cast<size_t>(kW * kH), 0);
    ASSERT_EQ(l_AttachPage(0, page.data(), kW * 2, kW, kH), 1);
    ASSERT_EQ(l_SelectPage(0), 1);
    // "Chinese font test: Traditional characters, ABC123" in Big5.
    writer.vShowString(4, 4,
                       "\xA4\xA4\xA4\xE5\xA6\x72\xAB\xAC\xB4\xFA\xB8\xD5\xA1\x47"
                       "\xC1\x63\xC5\xE9\xA6\x72\xA1\x41\xA2\xCF\xA2\xD0\xA2\xD1\xA2\xB0\xA2\xB1\xA2\xB2");
    writer.vShowString(4, 26, "KRX 0123 Hello, World! {[(~)]}");
    ExpectGolden(page, "font_writer_text");
}

} // namespace
