#include "Element.h"

#include <utility>

namespace xmpp {

const std::string* Element::Attr(std::string_view local, std::string_view attrNs) const {
    for (const Attribute& a : attributes)
        if (a.name == local && a.ns == attrNs) return &a.value;
    return nullptr;
}

const Element* Element::Child(std::string_view local, std::string_view childNs) const {
    for (const Element& c : children)
        if (!c.IsText() && c.name == local && c.ns == childNs) return &c;
    return nullptr;
}

std::string Element::Text() const {
    std::string out;
    for (const Element& c : children)
        if (c.IsText()) out += c.text;
    return out;
}

Element& Element::Add(Element child) { return children.emplace_back(std::move(child)); }

Element& Element::AddText(std::string_view t) {
    if (!children.empty() && children.back().IsText())
        children.back().text += t;
    else if (!t.empty())
        children.emplace_back().text = t;
    return *this;
}

Element& Element::Set(std::string_view local, std::string_view value) {
    for (Attribute& a : attributes)
        if (a.name == local && a.ns.empty()) {
            a.value = value;
            return *this;
        }
    attributes.push_back({std::string(local), {}, std::string(value)});
    return *this;
}

namespace {

// Escapes what the parser would otherwise read differently: markup, and in attribute values
// the white space that attribute normalisation would turn into spaces; a carriage return
// anywhere, which line-end normalisation would drop.
void Escape(std::string& out, std::string_view s, bool inAttribute) {
    for (const char c : s) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += inAttribute ? "&quot;" : "\"";
            break;
        case '\r':
            out += "&#13;";
            break;
        case '\n':
            out += inAttribute ? "&#10;" : "\n";
            break;
        case '\t':
            out += inAttribute ? "&#9;" : "\t";
            break;
        default:
            out += c;
        }
    }
}

void Write(std::string& out, const Element& e, std::string_view inheritedNs) {
    if (e.IsText()) {
        Escape(out, e.text, false);
        return;
    }
    // The XML namespace has its own prefix and may not be a default namespace.
    const std::string name = e.ns == kXmlNamespace ? "xml:" + e.name : e.name;
    const std::string_view childNs = e.ns == kXmlNamespace ? inheritedNs : e.ns;
    out += '<';
    out += name;
    if (e.ns != inheritedNs && e.ns != kXmlNamespace) {
        out += " xmlns=\"";
        Escape(out, e.ns, true);
        out += '"';
    }
    // Attributes of other namespaces get prefixes of their own, declared here.
    std::vector<std::string_view> prefixed;
    for (const Attribute& a : e.attributes) {
        out += ' ';
        if (a.ns == kXmlNamespace) {
            out += "xml:";
        } else if (!a.ns.empty()) {
            std::size_t i = 0;
            while (i < prefixed.size() && prefixed[i] != a.ns)
                ++i;
            const std::string prefix = "n" + std::to_string(i);
            if (i == prefixed.size()) {
                prefixed.push_back(a.ns);
                out += "xmlns:" + prefix + "=\"";
                Escape(out, a.ns, true);
                out += "\" ";
            }
            out += prefix + ':';
        }
        out += a.name;
        out += "=\"";
        Escape(out, a.value, true);
        out += '"';
    }
    if (e.children.empty()) {
        out += "/>";
        return;
    }
    out += '>';
    for (const Element& c : e.children)
        Write(out, c, childNs);
    out += "</";
    out += name;
    out += '>';
}

} // namespace

std::string Serialise(const Element& e, std::string_view inheritedNs) {
    std::string out;
    Write(out, e, inheritedNs);
    return out;
}

} // namespace xmpp
