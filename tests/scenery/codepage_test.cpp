#include "scenery/codepage.h"

#include <gtest/gtest.h>

namespace vantor {
namespace {

TEST(CodePage, EveryByteRoundTrips) {
    for (int b = 0; b < 256; ++b) {
        const char32_t c = codePageToUnicode(static_cast<unsigned char>(b));
        EXPECT_EQ(unicodeToCodePage(c), b) << std::hex << b << " -> U+" << static_cast<uint32_t>(c);
    }
}

TEST(CodePage, HoldsExactlyTheCharactersOfItsBytes) {
    // Scanning every code point: each one the code page takes comes back
    // unchanged, and they are 256 in all.
    int held = 0;
    for (char32_t c = 0; c < 0x110000; ++c) {
        const int b = unicodeToCodePage(c);
        if (b < 0) continue;
        ++held;
        ASSERT_LT(b, 256);
        ASSERT_EQ(codePageToUnicode(static_cast<unsigned char>(b)), c) << std::hex << static_cast<uint32_t>(c);
    }
    EXPECT_EQ(held, 256);
}

TEST(CodePage, KnownMappings) {
    const struct {
        unsigned char byte;
        char32_t c;
    } cases[] = {
        {0x00, 0x0000}, {0x41, 0x0041}, {0x7F, 0x007F}, {0x80, 0x20AC}, {0x81, 0x0081}, {0x8A, 0x0160},
        {0x8D, 0x008D}, {0x8F, 0x008F}, {0x90, 0x0090}, {0x93, 0x201C}, {0x99, 0x2122}, {0x9D, 0x009D},
        {0x9F, 0x0178}, {0xA0, 0x00A0}, {0xC4, 0x00C4}, {0xE9, 0x00E9}, {0xFF, 0x00FF},
    };
    for (const auto& k : cases) {
        EXPECT_EQ(codePageToUnicode(k.byte), k.c) << std::hex << int{k.byte};
        EXPECT_EQ(unicodeToCodePage(k.c), k.byte) << std::hex << int{k.byte};
    }
}

TEST(CodePage, RefusesWhatItCannotHold) {
    // U+0080 is a C1 control whose byte the euro sign took.
    for (char32_t c : {char32_t{0x4E2D}, char32_t{0x0080}, char32_t{0x009F}, char32_t{0x0100}, char32_t{0xFFFD},
                       char32_t{0x1F600}, char32_t{0x110000}, char32_t{0xFFFFFFFF}}) {
        EXPECT_EQ(unicodeToCodePage(c), -1) << std::hex << static_cast<uint32_t>(c);
    }
}

}  // namespace
}  // namespace vantor
