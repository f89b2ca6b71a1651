#include "contract/MessengerText.h"

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
        {"byte 0xFF stays 0xFF", "\xFF", u"\u00FF", u"\u00FF"},
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

// Only characters 0 to 255 are bytes; anything above is refused, never truncated.
TEST(ByteText, TextBytesRefusesCharactersThatAreNoBytes) {
    for (const std::u16string bad : {u"\u0100", u"ok\u20AC", u"\U0001F600"})
        EXPECT_EQ(TextBytes(bad), std::nullopt);
}

} // namespace
