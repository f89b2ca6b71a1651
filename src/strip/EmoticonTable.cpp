#include "strip/EmoticonTable.h"

namespace gb {
namespace {

struct Code {
    char16_t c[3];
    std::uint8_t cell;
};

// No two-character code begins a three-character one, so trying two characters first and
// three second finds the only code that can begin at a position.
constexpr Code kTwo[] = {
    {{u':', u'['}, 6},  {{u':', u')'}, 9},  {{u':', u'D'}, 10}, {{u':', u'O'}, 11},
    {{u':', u'P'}, 12}, {{u';', u')'}, 13}, {{u':', u'('}, 14}, {{u':', u'S'}, 15},
    {{u':', u'|'}, 16}, {{u':', u'@'}, 20},
};

constexpr Code kThree[] = {
    {{u'(', u'Y', u')'}, 0},  {{u'(', u'N', u')'}, 1},  {{u'(', u'B', u')'}, 2},
    {{u'(', u'D', u')'}, 3},  {{u'(', u'X', u')'}, 4},  {{u'(', u'Z', u')'}, 5},
    {{u':', u'-', u'['}, 6},  {{u'(', u'}', u')'}, 7},  {{u'(', u'{', u')'}, 8},
    {{u':', u'-', u')'}, 9},  {{u':', u'-', u'D'}, 10}, {{u':', u'-', u'O'}, 11},
    {{u':', u'-', u'P'}, 12}, {{u';', u'-', u')'}, 13}, {{u':', u'-', u'('}, 14},
    {{u':', u'-', u'S'}, 15}, {{u':', u'-', u'|'}, 16}, {{u':', u'\'', u'('}, 17},
    {{u':', u'-', u'$'}, 18}, {{u'(', u'H', u')'}, 19}, {{u':', u'-', u'@'}, 20},
    {{u'(', u'A', u')'}, 21}, {{u'(', u'6', u')'}, 22}, {{u'(', u'L', u')'}, 23},
    {{u'(', u'U', u')'}, 24}, {{u'(', u'K', u')'}, 25}, {{u'(', u'G', u')'}, 26},
    {{u'(', u'F', u')'}, 27}, {{u'(', u'W', u')'}, 28}, {{u'(', u'P', u')'}, 29},
    {{u'(', u'~', u')'}, 30}, {{u'(', u'T', u')'}, 31}, {{u'(', u'@', u')'}, 32},
    {{u'(', u'&', u')'}, 33}, {{u'(', u'C', u')'}, 34}, {{u'(', u'I', u')'}, 35},
    {{u'(', u'S', u')'}, 36}, {{u'(', u'*', u')'}, 37}, {{u'(', u'8', u')'}, 38},
    {{u'(', u'E', u')'}, 39}, {{u'(', u'^', u')'}, 40}, {{u'(', u'O', u')'}, 41},
    {{u'(', u'M', u')'}, 43},
};

// Codes are ASCII, so only ASCII letters are folded.
constexpr char16_t Upper(char16_t c) noexcept {
    return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - (u'a' - u'A')) : c;
}

} // namespace

std::optional<EmoticonMatch> MatchEmoticon(std::u16string_view text) noexcept {
    if (text.size() >= 2) {
        const char16_t a = Upper(text[0]), b = Upper(text[1]);
        for (const Code& code : kTwo)
            if (code.c[0] == a && code.c[1] == b) return EmoticonMatch{code.cell, 2};
    }
    if (text.size() >= 3) {
        const char16_t a = Upper(text[0]), b = Upper(text[1]), c = Upper(text[2]);
        for (const Code& code : kThree)
            if (code.c[0] == a && code.c[1] == b && code.c[2] == c)
                return EmoticonMatch{code.cell, 3};
    }
    return std::nullopt;
}

std::u16string_view EmoticonName(std::uint8_t cell) noexcept {
    static constexpr std::u16string_view kNames[] = {u"thumbs up",
                                                     u"thumbs down",
                                                     u"beer mug",
                                                     u"cocktail glass",
                                                     u"girl",
                                                     u"boy",
                                                     u"bat",
                                                     u"hug",
                                                     u"hug",
                                                     u"smiling face",
                                                     u"grinning face",
                                                     u"surprised face",
                                                     u"face with tongue",
                                                     u"winking face",
                                                     u"sad face",
                                                     u"confused face",
                                                     u"disappointed face",
                                                     u"crying face",
                                                     u"embarrassed face",
                                                     u"face with sunglasses",
                                                     u"angry face",
                                                     u"angel",
                                                     u"devil",
                                                     u"red heart",
                                                     u"broken heart",
                                                     u"lips",
                                                     u"gift",
                                                     u"rose",
                                                     u"wilted rose",
                                                     u"camera",
                                                     u"film",
                                                     u"telephone",
                                                     u"cat",
                                                     u"dog",
                                                     u"coffee",
                                                     u"light bulb",
                                                     u"moon",
                                                     u"star",
                                                     u"musical note",
                                                     u"envelope",
                                                     u"birthday cake",
                                                     u"clock",
                                                     u"telephone",
                                                     u"messenger"};
    return cell < std::size(kNames) ? kNames[cell] : std::u16string_view();
}

} // namespace gb
