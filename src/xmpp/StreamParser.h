#pragma once
// The XML stream of an XMPP session, fed in chunks of any size as they arrive: its header
// (the stream's open tag), each stanza as a whole element, and its close. Only the XML a
// server may send is read: no DTD, comments, processing instructions or entities beyond the
// five predefined ones and character references (docs/xmpp.md). The first fault stops the
// parser with its error; it reports nothing more until Reset.
#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "Element.h"

namespace xmpp {

enum class ParseError {
    None,
    NotWellFormed,      // not XML: a broken tag, a mismatched end tag, text at stream level
    RestrictedXml,      // XML an XMPP stream may not carry: DTD, comment, PI, other entities
    BadUtf8,            // malformed UTF-8, or a character XML does not allow
    UndeclaredPrefix,   // a prefix with no namespace declaration in scope
    DuplicateAttribute, // the same attribute twice (by name or by namespace and local name)
    TooLarge,           // a stanza or the stream header over its bound
    TooDeep,            // elements nested deeper than the bound
};

struct StreamEvent {
    enum class Kind { Open, Stanza, Close, Error };
    Kind kind = Kind::Error;
    Element element;                     // the stream's header for Open, the stanza for Stanza
    ParseError error = ParseError::None; // for Error
    std::string detail;                  // for Error: what was found, in words

    bool operator==(const StreamEvent&) const = default;
};

class StreamParser {
  public:
    static constexpr std::size_t kMaxStanzaBytes = std::size_t{256} * 1024;
    static constexpr std::size_t kMaxHeaderBytes = std::size_t{8} * 1024;
    static constexpr std::size_t kMaxDepth = 32; // the stanza itself is depth 1

    // Reads the chunk and appends what it completes to `events`; an error is the last event.
    void Feed(std::string_view chunk, std::vector<StreamEvent>& events);
    // Starts a new stream (after STARTTLS and after authentication); what was buffered goes.
    void Reset();

    ParseError Error() const { return error_; }

  private:
    struct Open {
        std::string qname;
        std::size_t bindings; // namespace bindings in scope outside this element
    };
    enum class Step { Wait, Done, Failed };

    Step Next();
    Step Declaration();
    Step Markup();
    Step CharacterData(std::size_t end, bool cdata);
    bool StartTag(std::string_view tag);
    bool EndTag(std::string_view tag);
    bool Resolve(std::string_view qname, bool attribute, std::string& local, std::string& ns);
    bool DecodeText(std::string_view raw, bool attribute, std::string& out);
    std::size_t Limit() const;
    bool Over(std::size_t end);
    Step Fail(ParseError e, std::string detail);
    void Emit(StreamEvent::Kind kind, Element e);

    std::string buf_;
    std::size_t pos_ = 0;         // consumed up to here
    std::size_t scan_ = 0;        // the search for the current token's end goes on from here
    char quote_ = 0;              // in a tag being scanned: the open attribute value's quote
    std::size_t consumed_ = 0;    // stream bytes dropped from the front of buf_
    std::size_t stanzaStart_ = 0; // stream offset of the current stanza's first byte
    bool inStanza_ = false;
    bool sawRoot_ = false;
    bool closed_ = false;
    ParseError error_ = ParseError::None;
    std::vector<Open> open_;
    std::vector<std::pair<std::string, std::string>> bindings_; // prefix, namespace
    Element stanza_;
    std::vector<Element*> path_; // the open elements of stanza_, outermost first
    std::vector<StreamEvent>* events_ = nullptr;
};

} // namespace xmpp
