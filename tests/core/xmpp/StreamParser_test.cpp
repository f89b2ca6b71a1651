#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "xmpp/StreamParser.h"

namespace {

using namespace xmpp;

constexpr char kHeader[] = "<?xml version='1.0'?><stream:stream xmlns='jabber:client' "
                           "xmlns:stream='http://etherx.jabber.org/streams' version='1.0'>";

// The events as one line each: a stanza as it serialises in the stream's namespace, an error
// by its number and words. Fed in pieces of `chunk` bytes (0: whole).
std::vector<std::string> Lines(StreamParser& p, const std::string& in, std::size_t chunk) {
    std::vector<StreamEvent> events;
    for (std::size_t i = 0; i < in.size(); i += chunk ? chunk : in.size())
        p.Feed(std::string_view(in).substr(i, chunk ? chunk : in.size()), events);
    std::vector<std::string> lines;
    for (const StreamEvent& e : events) {
        switch (e.kind) {
        case StreamEvent::Kind::Open:
            lines.push_back("open " + e.element.ns);
            break;
        case StreamEvent::Kind::Stanza:
            lines.push_back(Serialise(e.element, "jabber:client"));
            break;
        case StreamEvent::Kind::Close:
            lines.push_back("close");
            break;
        case StreamEvent::Kind::Error:
            lines.push_back("error " + std::to_string(int(e.error)) + ": " + e.detail);
        }
    }
    return lines;
}

std::string Last(const std::string& body, bool header = true) {
    StreamParser whole, bytes;
    const std::string in = (header ? kHeader : "") + body;
    const auto lines = Lines(whole, in, 0);
    EXPECT_EQ(lines, Lines(bytes, in, 1));
    // Reset, it takes a new stream, its XML declaration too, whatever came before.
    whole.Reset();
    EXPECT_EQ(Lines(whole, std::string(kHeader) + "<b/>", 0),
              (std::vector<std::string>{"open http://etherx.jabber.org/streams", "<b/>"}));
    return lines.empty() ? "" : lines.back();
}

TEST(StreamParser, StanzasAndRefusals) {
    std::string nested32, closes, nested33;
    for (int i = 0; i < 32; ++i)
        nested32 += "<a>", closes += "</a>";
    const std::string shown = nested32.substr(3) + "<a/>" + closes.substr(4);
    nested32 += closes;
    nested33 = "<b>" + nested32 + "</b>";
    const struct {
        std::string body;
        std::string last;
    } rows[] = {
        {"<message to='a@b' xml:lang='en'><body>x &lt;&amp;&gt;&quot;&apos; &#233;&#x1F600;"
         "</body></message>",
         "<message to=\"a@b\" xml:lang=\"en\"><body>x &lt;&amp;&gt;\"' é😀</body></message>"},
        {" \n <iq xmlns:p='urn:p' p:k='1' k='2'><p:q xmlns='urn:d'><c/></p:q></iq>",
         "<iq xmlns:n0=\"urn:p\" n0:k=\"1\" k=\"2\"><q xmlns=\"urn:p\"><c "
         "xmlns=\"urn:d\"/></q></iq>"},
        {"<m a='x\ty&#9;\r\nz'>1\r\n2\r3<![CDATA[<&]]]]>&#13;</m>",
         "<m a=\"x y&#9; z\">1\n2\n3&lt;&amp;]]&#13;</m>"},
        {"<m xmlns=''><n xmlns='urn:n'/><xml:o><p/></xml:o></m>",
         "<m xmlns=\"\"><n xmlns=\"urn:n\"/><xml:o><p/></xml:o></m>"},
        {nested32, shown},
        {"<a/></stream:stream>", "close"},
        // Refused.
        {"<!-- hi -->", "error 2: a comment or a document type"},
        {"<a><![CDATX[</a>", "error 2: a comment or a document type"},
        {"<?pi x?>", "error 2: a processing instruction"},
        {"<a>&nbsp;</a>", "error 2: an entity other than the predefined ones"},
        {"<a>& b</a>", "error 1: '&' that begins no reference"},
        {"<a>&#0;</a>", "error 1: a character reference to no XML character"},
        {"<a>]]></a>", "error 1: ']]>' in text"},
        {"<a></b>", "error 1: an end tag that closes no open element"},
        {"hello", "error 1: text outside a stanza"},
        {"<a b=c/>", "error 1: an attribute value without quotes"},
        {"<a b='1'c='2'/>", "error 1: a broken attribute"},
        {"<a b='<'/>", "error 1: '<' in an attribute value"},
        {"<a xmlns:p=''/>", "error 1: a namespace declaration XML forbids"},
        {"<p:a/>", "error 4: the undeclared prefix 'p'"},
        {"<a p:b='1'/>", "error 4: the undeclared prefix 'p'"},
        {"<a b='1' b='2'/>", "error 5: the attribute 'b' twice"},
        {"<a xmlns:p='u' xmlns:q='u' p:b='1' q:b='2'/>",
         "error 5: the attribute 'b' twice in one namespace"},
        {"<a>\xC0\xAF</a>", "error 3: text that is not UTF-8 of XML's characters"},
        {"<a>\xED\xA0\x80</a>", "error 3: text that is not UTF-8 of XML's characters"},
        {"<a>\xF4\x90\x80\x80</a>", "error 3: text that is not UTF-8 of XML's characters"},
        {"<a>\x01</a>", "error 3: text that is not UTF-8 of XML's characters"},
        {"<a b='\xFF'/>", "error 3: a tag that is not UTF-8 text"},
        {nested33, "error 7: elements nested over 32 deep"},
        {"<a>" + std::string(StreamParser::kMaxStanzaBytes, 'x'), "error 6: a stanza over 256 KiB"},
        {"<a b='" + std::string(StreamParser::kMaxStanzaBytes, 'x') + "\xFF'/>",
         "error 6: a stanza over 256 KiB"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.body.substr(0, 60));
        EXPECT_EQ(Last(row.body), row.last);
    }
    // The header and what comes before it.
    EXPECT_EQ(Last("<!DOCTYPE x><stream/>", false), "error 2: a comment or a document type");
    EXPECT_EQ(Last("<?xml version='1.0' encoding='latin1'?><s/>", false),
              "error 1: an XML declaration other than UTF-8 1.0");
    EXPECT_EQ(Last(std::string(StreamParser::kMaxHeaderBytes, ' ') + "<s>", false),
              "error 6: a stream header over 8 KiB");
}

} // namespace
