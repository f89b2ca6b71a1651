// The XMPP stream parser's speed in bytes per second over a stream of chat messages with
// XHTML-IM formatting and presences, fed in pieces the size of a TLS record and of one byte.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "xmpp/StreamParser.h"

namespace {

std::string Stream() {
    std::string s = "<?xml version='1.0'?><stream:stream xmlns='jabber:client' "
                    "xmlns:stream='http://etherx.jabber.org/streams' version='1.0'>";
    for (int i = 0; i < 2000; ++i) {
        s += "<message from='buddy" + std::to_string(i % 50) +
             "@example.org/phone' to='me@example.org' type='chat' id='m" + std::to_string(i) +
             "'><body>See you at 8 &amp; bring the map :-) &#x1F600;</body>"
             "<html xmlns='http://jabber.org/protocol/xhtml-im'><body "
             "xmlns='http://www.w3.org/1999/xhtml'><p style='font-family:Arial;color:#0000ff'>"
             "See you at 8 &amp; bring the <b>map</b></p></body></html></message>\n"
             "<presence from='buddy" +
             std::to_string(i % 50) + "@example.org/phone'><show>away</show></presence>";
    }
    return s;
}

void Parse(benchmark::State& state) {
    const std::string in = Stream();
    const auto piece = static_cast<std::size_t>(state.range(0));
    std::vector<xmpp::StreamEvent> events;
    for (auto _ : state) {
        xmpp::StreamParser p;
        events.clear();
        for (std::size_t i = 0; i < in.size(); i += piece)
            p.Feed(std::string_view(in).substr(i, piece), events);
        if (events.size() != 4001) state.SkipWithError("the stream did not parse");
        benchmark::DoNotOptimize(events.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * in.size()));
}
BENCHMARK(Parse)->Arg(16384)->Arg(1)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
