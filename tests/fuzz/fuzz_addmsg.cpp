// The parser takes message text that remote buddies chose: any characters, any length.
#include "FuzzCheck.h"
#include "app/modSettings.h"
#include "fakes/FakeStripHost.h"
#include "strip/EmoticonTable.h"
#include "strip/colMsg.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    // The first byte picks emoticons on or off and how the rest is read (bytes or UTF-16).
    const std::uint8_t mode = data[0];
    const std::u16string text = TextOf(data + 1, size - 1, (mode & 2) != 0);
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
        Check(run ? text.compare(at, run->Text().size(), run->Text()) == 0
                  : code && code->Cell == item.As<gb::clsEmo>()->PicNumber());
        Check(item.WhiteSpace() == 1 || item.WhiteSpace() == 10);
        at += run ? run->Text().size() : code->Length;
    }
    Check(at == text.size() && ((mode & 1) || strip.Count() == 1));

    // The strip then scrolls, draws and takes clicks (which hand on to the end and stop).
    fakes::FakeDisplay display(300, 20);
    for (int i = 0; i < 3; ++i)
        strip.MoveOn(display), strip.DisplayOn(display, true);
    strip.MouseDown(static_cast<float>(mode) * 3.0f, 0);
    return 0;
}
