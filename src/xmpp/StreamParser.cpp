#include "StreamParser.h"

#include <algorithm>
#include <limits>

namespace xmpp {

namespace {

constexpr std::string_view kXmlnsNamespace = "http://www.w3.org/2000/xmlns/";

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

bool IsXmlChar(char32_t c) {
    return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) ||
           (c >= 0xE000 && c <= 0xFFFD) || (c >= 0x10000 && c <= 0x10FFFF);
}

// The offset of the first byte that is not well-formed UTF-8 of a character XML allows (no
// overlong forms, surrogates or code points past U+10FFFF), or npos.
std::size_t BadCharAt(std::string_view s) {
    std::size_t i = 0;
    while (i < s.size()) {
        const auto b = static_cast<unsigned char>(s[i]);
        if (b < 0x80) {
            if (b < 0x20 && b != 0x9 && b != 0xA && b != 0xD) return i;
            ++i;
            continue;
        }
        std::size_t n;
        char32_t c;
        char32_t least;
        if (b >= 0xC2 && b <= 0xDF) {
            n = 1, c = b & 0x1F, least = 0x80;
        } else if (b >= 0xE0 && b <= 0xEF) {
            n = 2, c = b & 0x0F, least = 0x800;
        } else if (b >= 0xF0 && b <= 0xF4) {
            n = 3, c = b & 0x07, least = 0x10000;
        } else {
            return i;
        }
        if (s.size() - i <= n) return i;
        for (std::size_t k = 1; k <= n; ++k) {
            const auto t = static_cast<unsigned char>(s[i + k]);
            if ((t & 0xC0) != 0x80) return i;
            c = (c << 6) | (t & 0x3F);
        }
        if (c < least || !IsXmlChar(c)) return i;
        i += n + 1;
    }
    return std::string_view::npos;
}

// Decodes the character at s[i] of text already checked by BadCharAt, and steps past it.
char32_t DecodeAt(std::string_view s, std::size_t& i) {
    const auto b = static_cast<unsigned char>(s[i++]);
    if (b < 0x80) return b;
    const std::size_t n = b >= 0xF0 ? 3 : b >= 0xE0 ? 2 : 1;
    char32_t c = b & (0x3F >> n);
    for (std::size_t k = 0; k < n; ++k)
        c = (c << 6) | (static_cast<unsigned char>(s[i++]) & 0x3F);
    return c;
}

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

bool IsNameStart(char32_t c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' ||
           (c >= 0xC0 && c <= 0xD6) || (c >= 0xD8 && c <= 0xF6) || (c >= 0xF8 && c <= 0x2FF) ||
           (c >= 0x370 && c <= 0x37D) || (c >= 0x37F && c <= 0x1FFF) || c == 0x200C ||
           c == 0x200D || (c >= 0x2070 && c <= 0x218F) || (c >= 0x2C00 && c <= 0x2FEF) ||
           (c >= 0x3001 && c <= 0xD7FF) || (c >= 0xF900 && c <= 0xFDCF) ||
           (c >= 0xFDF0 && c <= 0xFFFD) || (c >= 0x10000 && c <= 0xEFFFF);
}

bool IsNameChar(char32_t c) {
    return IsNameStart(c) || c == '-' || c == '.' || (c >= '0' && c <= '9') || c == 0xB7 ||
           (c >= 0x300 && c <= 0x36F) || c == 0x203F || c == 0x2040;
}

// Reads a qualified name (at most one colon, with a name on each side) at s[i]; empty when
// there is none.
std::string_view QName(std::string_view s, std::size_t& i) {
    const std::size_t start = i;
    bool first = true;
    bool colon = false;
    while (i < s.size()) {
        std::size_t next = i;
        const char32_t c = DecodeAt(s, next);
        if (c == ':') {
            if (first || colon) return {};
            colon = first = true;
        } else if (first ? IsNameStart(c) : IsNameChar(c)) {
            first = false;
        } else {
            break;
        }
        i = next;
    }
    if (first) return {};
    return s.substr(start, i - start);
}

} // namespace

void StreamParser::Reset() { *this = StreamParser(); }

void StreamParser::Feed(std::string_view chunk, std::vector<StreamEvent>& events) {
    if (error_ != ParseError::None || closed_) return;
    events_ = &events;
    buf_.append(chunk);
    Step step = Step::Done;
    while (step == Step::Done && !closed_ && pos_ < buf_.size())
        step = Next();
    // What waits for the rest of its token counts against the bound it will fall under.
    if (step != Step::Failed && !closed_) Over(buf_.size());
    // Keep the copying linear when a long token arrives a byte at a time.
    if (pos_ > buf_.size() / 2) {
        buf_.erase(0, pos_);
        consumed_ += pos_;
        scan_ = scan_ > pos_ ? scan_ - pos_ : 0;
        pos_ = 0;
    }
    events_ = nullptr;
}

std::size_t StreamParser::Limit() const {
    if (!sawRoot_) return kMaxHeaderBytes;
    if (inStanza_) return stanzaStart_ + kMaxStanzaBytes;
    return std::numeric_limits<std::size_t>::max();
}

bool StreamParser::Over(std::size_t end) {
    if (consumed_ + end <= Limit()) return false;
    Fail(ParseError::TooLarge, sawRoot_ ? "a stanza over 256 KiB" : "a stream header over 8 KiB");
    return true;
}

StreamParser::Step StreamParser::Fail(ParseError e, std::string detail) {
    error_ = e;
    events_->push_back({StreamEvent::Kind::Error, {}, e, std::move(detail)});
    return Step::Failed;
}

void StreamParser::Emit(StreamEvent::Kind kind, Element e) {
    events_->push_back({kind, std::move(e), ParseError::None, {}});
}

StreamParser::Step StreamParser::Next() {
    const char c = buf_[pos_];
    // Between stanzas only white space (a keepalive) may come, and it is not kept.
    if (!inStanza_ && c != '<') {
        if (!IsSpace(c)) {
            if (!sawRoot_ && Over(pos_ + 1)) return Step::Failed;
            return Fail(ParseError::NotWellFormed, "text outside a stanza");
        }
        ++pos_;
        scan_ = pos_;
        return Step::Done;
    }
    if (c == '<') {
        if (sawRoot_ && !inStanza_) {
            inStanza_ = true;
            stanzaStart_ = consumed_ + pos_;
        }
        return Markup();
    }
    const std::size_t lt = buf_.find('<', std::max(scan_, pos_));
    if (lt == std::string::npos) {
        scan_ = buf_.size();
        return Step::Wait;
    }
    if (Over(lt)) return Step::Failed;
    return CharacterData(lt, false);
}

StreamParser::Step StreamParser::Markup() {
    const std::string_view b = buf_;
    if (b.size() - pos_ < 2) return Step::Wait;
    const char kind = b[pos_ + 1];
    if (kind == '?') {
        // Only the XML declaration, and only as the stream's first bytes.
        if (consumed_ + pos_ == 0) return Declaration();
        if (Over(pos_ + 2)) return Step::Failed;
        return Fail(ParseError::RestrictedXml, "a processing instruction");
    }
    if (kind == '!') {
        // Character data may come as CDATA inside a stanza; any other <! is a comment or a
        // document type, which a stream may not carry.
        constexpr std::string_view kCdata = "<![CDATA[";
        std::size_t at = pos_ + 2;
        while (!path_.empty() && at < b.size() && at - pos_ < kCdata.size() &&
               b[at] == kCdata[at - pos_])
            ++at;
        const std::size_t have = at - pos_;
        if (path_.empty() || (have < kCdata.size() && at < b.size())) {
            if (Over(path_.empty() ? pos_ + 2 : at + 1)) return Step::Failed;
            return Fail(ParseError::RestrictedXml, "a comment or a document type");
        }
        if (have < kCdata.size()) return Step::Wait;
        const std::size_t end = b.find("]]>", std::max(scan_, pos_ + kCdata.size()));
        if (end == std::string_view::npos) {
            scan_ = std::max(b.size(), pos_ + kCdata.size() + 2) - 2;
            return Step::Wait;
        }
        if (Over(end + 3)) return Step::Failed;
        return CharacterData(end, true);
    }
    // A tag ends at the first '>' outside an attribute value's quotes.
    std::size_t i = std::max(scan_, pos_ + 1);
    for (; i < b.size(); ++i) {
        const char c = b[i];
        if (quote_) {
            if (c == quote_) quote_ = 0;
        } else if (c == '"' || c == '\'') {
            quote_ = c;
        } else if (c == '>') {
            break;
        }
    }
    if (i == b.size()) {
        scan_ = i;
        return Step::Wait;
    }
    if (Over(i + 1)) return Step::Failed;
    const std::string_view tag = b.substr(pos_ + 1, i - pos_ - 1);
    pos_ = scan_ = i + 1;
    if (BadCharAt(tag) != std::string_view::npos)
        return Fail(ParseError::BadUtf8, "a tag that is not UTF-8 text");
    const bool ok = !tag.empty() && tag[0] == '/' ? EndTag(tag.substr(1)) : StartTag(tag);
    return ok ? Step::Done : Step::Failed;
}

StreamParser::Step StreamParser::Declaration() {
    const std::size_t end = buf_.find("?>", std::max(scan_, pos_ + 2));
    if (end == std::string::npos) {
        scan_ = buf_.size() - 1;
        return Step::Wait;
    }
    if (Over(end + 2)) return Step::Failed;
    const std::string_view decl = std::string_view(buf_).substr(pos_ + 2, end - pos_ - 2);
    pos_ = scan_ = end + 2;
    // version, then encoding and standalone, each name="value"; the stream is UTF-8.
    if (decl.substr(0, 3) != "xml" || decl.size() < 4 || !IsSpace(decl[3]))
        return Fail(ParseError::RestrictedXml, "a processing instruction");
    std::size_t i = 3;
    bool version = false;
    while (true) {
        const std::size_t before = i;
        while (i < decl.size() && IsSpace(decl[i]))
            ++i;
        if (i == decl.size()) break;
        const std::size_t nameEnd = decl.find('=', i);
        if (i == before || nameEnd == std::string_view::npos || nameEnd + 1 >= decl.size())
            return Fail(ParseError::NotWellFormed, "a broken XML declaration");
        const std::string_view name = decl.substr(i, nameEnd - i);
        const char q = decl[nameEnd + 1];
        const std::size_t valueEnd = decl.find(q, nameEnd + 2);
        if ((q != '"' && q != '\'') || valueEnd == std::string_view::npos)
            return Fail(ParseError::NotWellFormed, "a broken XML declaration");
        std::string value(decl.substr(nameEnd + 2, valueEnd - nameEnd - 2));
        std::transform(value.begin(), value.end(), value.begin(),
                       [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; });
        if (name == "version" && !version && value == "1.0")
            version = true;
        else if (!(name == "encoding" && version && value == "utf-8") &&
                 !(name == "standalone" && version && (value == "yes" || value == "no")))
            return Fail(ParseError::NotWellFormed, "an XML declaration other than UTF-8 1.0");
        i = valueEnd + 1;
    }
    if (!version) return Fail(ParseError::NotWellFormed, "an XML declaration without version");
    return Step::Done;
}

StreamParser::Step StreamParser::CharacterData(std::size_t end, bool cdata) {
    const std::size_t start = cdata ? pos_ + 9 : pos_;
    const std::string_view raw = std::string_view(buf_).substr(start, end - start);
    pos_ = scan_ = cdata ? end + 3 : end;
    if (BadCharAt(raw) != std::string_view::npos)
        return Fail(ParseError::BadUtf8, "text that is not UTF-8 of XML's characters");
    std::string text;
    if (cdata) {
        text.reserve(raw.size());
        for (std::size_t i = 0; i < raw.size(); ++i)
            if (raw[i] != '\r')
                text += raw[i];
            else if (i + 1 == raw.size() || raw[i + 1] != '\n')
                text += '\n';
    } else {
        if (raw.find("]]>") != std::string_view::npos)
            return Fail(ParseError::NotWellFormed, "']]>' in text");
        if (!DecodeText(raw, false, text)) return Step::Failed;
    }
    path_.back()->AddText(text);
    return Step::Done;
}

bool StreamParser::DecodeText(std::string_view raw, bool attribute, std::string& out) {
    out.reserve(raw.size());
    for (std::size_t i = 0; i < raw.size(); ++i) {
        const char c = raw[i];
        if (c == '\r') {
            // Line ends are normalised to one line feed (a space in attribute values).
            if (i + 1 < raw.size() && raw[i + 1] == '\n') ++i;
            out += attribute ? ' ' : '\n';
        } else if (attribute && (c == '\n' || c == '\t')) {
            out += ' ';
        } else if (c == '<') {
            Fail(ParseError::NotWellFormed, "'<' in an attribute value");
            return false;
        } else if (c != '&') {
            out += c;
        } else {
            const std::size_t semi = raw.find(';', i);
            if (semi == std::string_view::npos) {
                Fail(ParseError::NotWellFormed, "'&' that begins no reference");
                return false;
            }
            const std::string_view ref = raw.substr(i + 1, semi - i - 1);
            i = semi;
            if (ref == "lt") {
                out += '<';
            } else if (ref == "gt") {
                out += '>';
            } else if (ref == "amp") {
                out += '&';
            } else if (ref == "quot") {
                out += '"';
            } else if (ref == "apos") {
                out += '\'';
            } else if (ref.size() >= 2 && ref[0] == '#') {
                const bool hex = ref[1] == 'x';
                const std::string_view digits = ref.substr(hex ? 2 : 1);
                char32_t v = 0;
                bool ok = !digits.empty() && digits.size() <= 8;
                for (const char d : digits) {
                    const int n = d >= '0' && d <= '9'          ? d - '0'
                                  : hex && d >= 'a' && d <= 'f' ? d - 'a' + 10
                                  : hex && d >= 'A' && d <= 'F' ? d - 'A' + 10
                                                                : -1;
                    ok = ok && n >= 0;
                    v = v * (hex ? 16 : 10) + static_cast<char32_t>(std::max(n, 0));
                }
                if (!ok || !IsXmlChar(v)) {
                    Fail(ParseError::NotWellFormed, "a character reference to no XML character");
                    return false;
                }
                AppendUtf8(out, v);
            } else {
                std::size_t k = 0;
                if (!QName(ref, k).empty() && k == ref.size())
                    Fail(ParseError::RestrictedXml, "an entity other than the predefined ones");
                else
                    Fail(ParseError::NotWellFormed, "'&' that begins no reference");
                return false;
            }
        }
    }
    return true;
}

bool StreamParser::Resolve(std::string_view qname, bool attribute, std::string& local,
                           std::string& ns) {
    const std::size_t colon = qname.find(':');
    const std::string_view prefix = colon == std::string_view::npos ? "" : qname.substr(0, colon);
    local = colon == std::string_view::npos ? qname : qname.substr(colon + 1);
    ns.clear();
    if (prefix == "xml") {
        ns = kXmlNamespace;
        return true;
    }
    if (attribute && prefix.empty()) return true;
    for (auto it = bindings_.rbegin(); it != bindings_.rend(); ++it)
        if (it->first == prefix) {
            ns = it->second;
            return true;
        }
    if (prefix.empty()) return true;
    Fail(ParseError::UndeclaredPrefix, "the undeclared prefix '" + std::string(prefix) + "'");
    return false;
}

bool StreamParser::StartTag(std::string_view tag) {
    bool empty = false;
    if (!tag.empty() && tag.back() == '/') {
        empty = true;
        tag.remove_suffix(1);
    }
    std::size_t i = 0;
    const std::string_view qname = QName(tag, i);
    if (qname.empty()) return Fail(ParseError::NotWellFormed, "a tag without a name"), false;
    std::vector<std::pair<std::string_view, std::string>> raw;
    while (i < tag.size()) {
        const std::size_t before = i;
        while (i < tag.size() && IsSpace(tag[i]))
            ++i;
        if (i == tag.size()) break;
        const std::string_view name = i > before ? QName(tag, i) : std::string_view{};
        while (i < tag.size() && IsSpace(tag[i]))
            ++i;
        if (name.empty() || i == tag.size() || tag[i] != '=')
            return Fail(ParseError::NotWellFormed, "a broken attribute"), false;
        ++i;
        while (i < tag.size() && IsSpace(tag[i]))
            ++i;
        const char q = i < tag.size() ? tag[i] : 0;
        const std::size_t close = q == '"' || q == '\'' ? tag.find(q, i + 1) : tag.npos;
        if (close == std::string_view::npos)
            return Fail(ParseError::NotWellFormed, "an attribute value without quotes"), false;
        std::string value;
        if (!DecodeText(tag.substr(i + 1, close - i - 1), true, value)) return false;
        i = close + 1;
        for (const auto& [n, v] : raw)
            if (n == name)
                return Fail(ParseError::DuplicateAttribute,
                            "the attribute '" + std::string(name) + "' twice"),
                       false;
        raw.emplace_back(name, std::move(value));
    }
    if (open_.size() > kMaxDepth)
        return Fail(ParseError::TooDeep, "elements nested over 32 deep"), false;

    // Declarations first: they apply to the element's own name and attributes.
    const std::size_t outer = bindings_.size();
    for (const auto& [name, value] : raw) {
        if (name != "xmlns" && name.substr(0, 6) != "xmlns:") continue;
        const std::string_view prefix = name.size() > 5 ? name.substr(6) : "";
        const bool xmlUri = value == kXmlNamespace;
        if (prefix == "xmlns" || value == kXmlnsNamespace || (prefix == "xml") != xmlUri ||
            (!prefix.empty() && value.empty()))
            return Fail(ParseError::NotWellFormed, "a namespace declaration XML forbids"), false;
        bindings_.emplace_back(prefix, value);
    }
    Element e;
    if (!Resolve(qname, false, e.name, e.ns)) return false;
    for (const auto& [name, value] : raw) {
        if (name == "xmlns" || name.substr(0, 6) == "xmlns:") continue;
        Attribute a;
        if (!Resolve(name, true, a.name, a.ns)) return false;
        for (const Attribute& other : e.attributes)
            if (other.name == a.name && other.ns == a.ns)
                return Fail(ParseError::DuplicateAttribute,
                            "the attribute '" + a.name + "' twice in one namespace"),
                       false;
        a.value = value;
        e.attributes.push_back(std::move(a));
    }

    if (open_.empty()) {
        sawRoot_ = true;
        Emit(StreamEvent::Kind::Open, std::move(e));
        if (empty) {
            closed_ = true;
            Emit(StreamEvent::Kind::Close, {});
            return true;
        }
    } else if (open_.size() == 1) {
        stanza_ = std::move(e);
        path_.assign(1, &stanza_);
    } else {
        path_.push_back(&path_.back()->Add(std::move(e)));
    }
    open_.push_back({std::string(qname), outer});
    if (empty) return EndTag(qname);
    return true;
}

bool StreamParser::EndTag(std::string_view tag) {
    while (!tag.empty() && IsSpace(tag.back()))
        tag.remove_suffix(1);
    if (open_.empty() || tag != open_.back().qname)
        return Fail(ParseError::NotWellFormed, "an end tag that closes no open element"), false;
    bindings_.resize(open_.back().bindings);
    open_.pop_back();
    if (open_.empty()) {
        closed_ = true;
        Emit(StreamEvent::Kind::Close, {});
        return true;
    }
    path_.pop_back();
    if (path_.empty()) {
        inStanza_ = false;
        Emit(StreamEvent::Kind::Stanza, std::move(stanza_));
        stanza_ = {};
    }
    return true;
}

} // namespace xmpp
