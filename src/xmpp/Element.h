#pragma once
// An XML element as the stream hands it over: its namespace resolved, its text decoded. A text
// node is an element with an empty name whose text is in `text`; adjacent texts are one node.
#include <string>
#include <string_view>
#include <vector>

namespace xmpp {

inline constexpr std::string_view kXmlNamespace = "http://www.w3.org/XML/1998/namespace";
inline constexpr std::string_view kStreamNamespace = "http://etherx.jabber.org/streams";

struct Attribute {
    std::string name; // the local name
    std::string ns;   // empty for an unprefixed attribute
    std::string value;
    bool operator==(const Attribute&) const = default;
};

struct Element {
    std::string name; // the local name; empty for a text node
    std::string ns;
    std::vector<Attribute> attributes;
    std::vector<Element> children;
    std::string text; // a text node's text

    bool operator==(const Element&) const = default;

    bool IsText() const { return name.empty(); }
    // The value of the attribute of that local name and namespace, or nullptr.
    const std::string* Attr(std::string_view local, std::string_view attrNs = {}) const;
    // The first child element of that name and namespace, or nullptr.
    const Element* Child(std::string_view local, std::string_view childNs) const;
    // The element's own text: its text nodes joined, not its children's.
    std::string Text() const;

    Element& Add(Element child);
    Element& AddText(std::string_view t);
    Element& Set(std::string_view local, std::string_view value);
};

// The element as XML text. `inheritedNs` is the default namespace in force where it is written
// (the stream's, for a stanza): an element declares its own namespace only where it differs.
// Text and attribute values are escaped so that parsing the result gives the same element.
std::string Serialise(const Element& e, std::string_view inheritedNs = {});

} // namespace xmpp
