// Fonts by face and size: the height rule at the display's resolution, reuse of a number.
#include <gtest/gtest.h>

#include "core/objects.h"
#include "graphics/fonts.h"

namespace {

using namespace rt;

LOGFONTA description_of(HFONT font) {
    LOGFONTA description{};
    GetObjectA(font, sizeof description, &description);
    return description;
}

int display_dpi() {
    HDC display = CreateDCA("DISPLAY", nullptr, nullptr, nullptr);
    int dpi = GetDeviceCaps(display, LOGPIXELSY);
    DeleteDC(display);
    return dpi;
}

class FontTest : public testing::Test {
protected:
    void TearDown() override { free_all_fonts(); }
};

TEST_F(FontTest, TheReadOutFontAsksForNinePointsOfCharacterHeight) {
    ASSERT_EQ(display_dpi(), 96) << "the test display";
    intptr_t result = load_font(23, "Arial", 9);
    ASSERT_NE(result, 0);
    EXPECT_EQ(result, reinterpret_cast<intptr_t>(font_handle(23)));
    LOGFONTA font = description_of(font_handle(23));
    EXPECT_EQ(font.lfHeight, -12) << "-MulDiv(9, 96, 72)";
    EXPECT_STREQ(font.lfFaceName, "Arial");
    EXPECT_EQ(font.lfWeight, FW_NORMAL);
    EXPECT_EQ(font.lfItalic, 0);
    EXPECT_EQ(font.lfCharSet, DEFAULT_CHARSET);
    EXPECT_EQ(font.lfQuality, DEFAULT_QUALITY);
}

TEST_F(FontTest, LoadingIntoANumberFreesTheFontItHeld) {
    load_font(7, "Arial", 9);
    HFONT first = font_handle(7);
    load_font(7, "Arial", 20);
    EXPECT_EQ(GetObjectType(first), 0u) << "the first font was deleted";
    EXPECT_EQ(description_of(font_handle(7)).lfHeight, -MulDiv(20, display_dpi(), 72));
    free_font(7);
    EXPECT_EQ(font_handle(7), nullptr);
    free_font(7);  // nothing there: nothing happens
    EXPECT_EQ(font_handle(8), nullptr);
}

TEST_F(FontTest, DynamicFontsAreNamedByTheirRecord) {
    intptr_t identity = load_font(DYNAMIC_NUMBER, "Arial", 9);
    ASSERT_NE(identity, 0);
    HFONT font = font_handle(identity);
    ASSERT_NE(font, nullptr);
    free_font(DYNAMIC_NUMBER);
    EXPECT_EQ(GetObjectType(font), static_cast<DWORD>(OBJ_FONT)) << "free_font(-1) does nothing";
    free_all_fonts();
    EXPECT_EQ(GetObjectType(font), 0u);
    EXPECT_EQ(font_handle(identity), nullptr);
}

} // namespace
