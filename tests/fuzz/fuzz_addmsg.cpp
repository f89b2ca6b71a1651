// The parser takes message text that remote buddies chose: any characters, any length.
#include <cstddef>
#include <cstdint>
#include <string>

#include "app/modSettings.h"
#include "fakes/FakeStripHost.h"
#include "strip/EmoticonTable.h"
#include "strip/colMsg.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    // The first byte picks emoticons on or off and how the rest is read (bytes or UTF-16).
    const std::uint8_t mode = data[0];
    std::u16string text;
    for (std::size_t i = 1; i < size; i += (mode & 2) ? 2 : 1)
        if (!(mode & 2) || i + 1 < size)
            text.push_back(
                static_cast<char16_t>((mode & 2) ? data[i] | (data[i + 1] << 8) : data[i]));
    fakes::FakeStripHost host;
    host.record.ShowEmo = (mode & 1) != 0;
    fakes::FakeSurfaceFactory surfaces;
    gb::colMsg strip(host, surfaces);
    host.barStrip = &strip;
    strip.AddMsg(text, u"Tahoma", 0x102030, -1);

    // Runs and codes, in order, cover the text exactly; with emoticons off one run holds it.
    std::size_t at = 0;
    for (const gb::clsItem& item : strip) {
        const auto* run = item.As<gb::clsString>();
        const auto code = gb::MatchEmoticon(std::u16string_view(text).substr(at));
        if (run && text.compare(at, run->Text().size(), run->Text()) != 0) __builtin_trap();
        if (!run && (!code || code->Cell != item.As<gb::clsEmo>()->PicNumber())) __builtin_trap();
        if (item.WhiteSpace() != 1 && item.WhiteSpace() != 10) __builtin_trap();
        at += run ? run->Text().size() : code->Length;
    }
    if (at != text.size() || (!(mode & 1) && strip.Count() != 1)) __builtin_trap();

    // The strip then scrolls, draws and takes clicks (which hand on to the end and stop).
    fakes::FakeDisplay display(300, 20);
    for (int i = 0; i < 3; ++i) {
        strip.MoveOn(display);
        strip.DisplayOn(display, true);
    }
    strip.MouseDown(static_cast<float>(mode) * 3.0f, 0);
    return 0;
}
