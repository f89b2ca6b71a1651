#include "messenger/MessengerText.h"

#include <gtest/gtest.h>

#include "app/modMain.h"

namespace {

using messenger::ByteText;
using messenger::TextBytes;

// The text form carries each byte as the character of the same value, never sign-extended,
// NULs included, and folds back into the text that was encoded.
TEST(ByteText, OneCharacterPerByteAndFoldsBack) {
    const struct {
        const char* what;
        std::string utf8;
        std::u16string form;
        std::u16string folded;
    } rows[] = {
        {"empty", "", u"", u""},
        {"ASCII and an emoticon code", "Hi :)", u"Hi :)", u"Hi :)"},
        {"e acute", "caf\xC3\xA9", u"caf\u00C3\u00A9", u"caf\u00E9"},
        {"byte 0xFF stays 0xFF", "\xFF", u"\u00FF", u"\u00FF"},
        {"euro sign", "\xE2\x82\xAC", u"\u00E2\u0082\u00AC", u"\u20AC"},
        {"emoji", "\xF0\x9F\x98\x80", u"\u00F0\u009F\u0098\u0080", u"\U0001F600"},
        {"embedded NUL kept in the form", std::string("a\0b", 3), std::u16string(u"a\0b", 3),
         u"ab"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        const std::u16string form = ByteText(row.utf8);
        EXPECT_EQ(form, row.form);
        EXPECT_EQ(TextBytes(form), row.utf8);
        std::u16string folded = form;
        modMain::DecodeUtf8Text(folded);
        EXPECT_EQ(folded, row.folded);
    }
}

TEST(ByteText, TextBytesRefusesCharactersThatAreNoBytes) {
    EXPECT_EQ(TextBytes(u"caf\u00E9"), std::string("caf\xE9"));
    EXPECT_EQ(TextBytes(u"\u0100"), std::nullopt);
    EXPECT_EQ(TextBytes(u"ok\u20AC"), std::nullopt);
    EXPECT_EQ(TextBytes(u"\U0001F600"), std::nullopt);
}

} // namespace
