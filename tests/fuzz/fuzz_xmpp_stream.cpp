// The stream parser over any bytes a server may send: the first byte picks the size of the
// pieces the rest arrives in. Checked: the pieces give the events the whole gives; nothing
// follows an error; every stanza keeps to the depth bound; a stanza written out and read
// again is the same element.
#include <vector>

#include "FuzzCheck.h"
#include "xmpp/StreamParser.h"

namespace {

using namespace xmpp;

std::size_t Depth(const Element& e) {
    std::size_t deepest = 0;
    for (const Element& c : e.children)
        if (!c.IsText()) deepest = std::max(deepest, Depth(c));
    return deepest + 1;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::size_t piece = data[0] % 16 + 1;
    const std::string_view in(reinterpret_cast<const char*>(data) + 1, size - 1);

    StreamParser whole;
    std::vector<StreamEvent> expected;
    whole.Feed(in, expected);
    StreamParser pieces;
    std::vector<StreamEvent> got;
    for (std::size_t i = 0; i < in.size(); i += piece)
        pieces.Feed(in.substr(i, piece), got);
    Check(got == expected);

    for (std::size_t i = 0; i < expected.size(); ++i) {
        const StreamEvent& e = expected[i];
        Check(e.kind != StreamEvent::Kind::Error || i + 1 == expected.size());
        Check(e.kind != StreamEvent::Kind::Close || i + 1 == expected.size());
        if (e.kind != StreamEvent::Kind::Stanza) continue;
        Check(Depth(e.element) <= StreamParser::kMaxDepth);
        StreamParser again;
        std::vector<StreamEvent> reread;
        again.Feed(std::string(kStreamHeader) + Serialise(e.element, "jabber:client"), reread);
        Check(reread.size() == 2 && reread[1].kind == StreamEvent::Kind::Stanza &&
              reread[1].element == e.element);
    }
    return 0;
}
