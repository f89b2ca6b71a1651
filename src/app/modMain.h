#pragma once
// The shared text routines and the start-up version decision. Everything here is portable:
// the window routines of the same module live in modMain_win32.h.
#include <cstdint>
#include <exception>
#include <string>
#include <string_view>

namespace modMain {

// Folds the messenger's message text, which carries one UTF-8 byte per character, into real
// characters: every well-formed UTF-8 sequence becomes its character; CR and LF each become a
// blank; NUL is dropped; any other byte stands for itself, read in the Western ANSI code page.
// A character above 0xFF is not a byte and is kept as it is.
void DecodeUtf8Text(std::u16string& text);

// The header's colour field as a COLORREF: hexadecimal, most significant digit first; a
// character that is no hexadecimal digit counts as 0 but keeps its place; only the low
// 32 bits are kept.
std::uint32_t HexToColor(std::u16string_view text);

// The part of an e-mail address in front of its last "@"; empty without an "@", or when the
// only "@" stands first.
std::u16string StripDomain(std::u16string_view text);

// The value of one KEY=value; field of the messenger's text-format header, "%20" read as a
// blank. Empty when the key does not occur or no ";" follows.
std::u16string GetFormatField(std::u16string_view header, std::u16string_view key);

struct StoredVersion {
    std::int16_t Major = 0;
    std::int16_t Minor = 0;
};

// The stored Version text ("major.minor") as numbers; a text without "." or a part that is
// not a whole 16-bit number counts as 0.
StoredVersion ParseStoredVersion(std::u16string_view text);

// Whether the welcome is due: the stored version is older than the running one.
bool IsWelcomeDue(StoredVersion stored, int runningMajor, int runningMinor);

// A message box of the program, with the information icon; the platform draws it.
enum class BoxButtons { YesNo, Ok };
struct MessageBoxText {
    const char16_t* text;
    const char16_t* caption;
    BoxButtons buttons;
};
inline constexpr MessageBoxText kWelcomeQuestion = {
    u"WELCOME TO THIS NEW VERSION OF Glidebanner!\r\n\r\n"
    u"I hope you enjoy using it, as I really enjoyed making it!\r\n\r\n"
    u"Would you like to see the options screen now?",
    u"Welcome", BoxButtons::YesNo};
inline constexpr MessageBoxText kWelcomeLater = {
    u"Anyway, you can see it later by clicking the button\r\n"
    u"on the main frame and selecting 'Options...'\r\n\r\n"
    u"Have Fun!",
    u"Welcome", BoxButtons::Ok};

// What the welcome check needs of the program's windows.
class IWelcomeUi {
  public:
    virtual ~IWelcomeUi() = default;
    // Shows a modal box; true when the user chose Yes.
    virtual bool ShowBox(const MessageBoxText& box) = 0;
    // The options dialog, modeless and without an owner.
    virtual void ShowOptionsWithoutOwner() = 0;
    // False once the bar has closed (the user chose Exit while a box was up).
    virtual bool BarOpen() = 0;
};

// Greets the user after a first start or an upgrade: the question box, then the options
// dialog on Yes or the second box on No. Nothing more is shown once the bar has closed.
void CheckNewVersion(std::u16string_view storedVersion, IWelcomeUi& ui);

// What the box says when start-up fails, from what stopped it: "Glidebanner could not start: "
// and the reason in plain words (not enough memory, or the message of the program's own
// failure; anything else is an unexpected error, with what it says of itself).
std::u16string StartFailureText(const std::exception_ptr& failure);

} // namespace modMain
