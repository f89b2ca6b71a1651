#include "strip/colMsg.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "strip/EmoticonTable.h"
#include "strip/StripHost.h"

namespace gb {
namespace {

constexpr std::u16string_view kAlphabet = u"abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ";
constexpr Color kSaysColor = 0x7F7F7F;
// How far an item's ink may reach beyond its span: the overhang of an italic's last glyph.
constexpr float kInkOverhang = 8.0f;

// The nearest whole pixel, a half going to the even neighbour; out-of-range values are held
// at the ends of the range instead of overflowing.
std::int32_t Nearest(double v) noexcept {
    const double r = std::nearbyint(v);
    if (std::isnan(r)) return 0;
    if (r <= static_cast<double>(std::numeric_limits<std::int32_t>::min()))
        return std::numeric_limits<std::int32_t>::min();
    if (r >= static_cast<double>(std::numeric_limits<std::int32_t>::max()))
        return std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(r);
}

bool IsCodeStart(char16_t c) noexcept { return c == u'(' || c == u':' || c == u';'; }

} // namespace

colMsg::colMsg(const StripHost& host, ISurfaceFactory& surfaces)
    : host_(host), surfaces_(surfaces), canvas_(surfaces.CreateCanvas()),
      saysFont_(std::make_shared<StdFont>(u"Arial", host.fontSize)) {
    FollowDpi();
}

void colMsg::FollowDpi() {
    canvas_->SetDpi(host_.dpi);
    const int cell = EmoCellSize(host_.dpi);
    if (cell == emoCell_ && emoStrip_) return;
    emoStrip_ = surfaces_.CreateEmoticonStrip(cell);
    emoCell_ = cell;
}

colMsg::~colMsg() = default;

clsItem* colMsg::Item(std::size_t index) noexcept {
    return index >= 1 && index <= items_.size() ? items_[index - 1].get() : nullptr;
}

const clsItem* colMsg::Item(std::size_t index) const noexcept {
    return index >= 1 && index <= items_.size() ? items_[index - 1].get() : nullptr;
}

bool colMsg::Remove(std::size_t index) {
    if (index < 1 || index > items_.size()) return false;
    items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(index - 1));
    composed_.reset(); // what followed it has moved
    return true;
}

void colMsg::Append(std::unique_ptr<clsItem> item) {
    if (composed_ && composed_->open) composed_.reset();
    items_.push_back(std::move(item));
    if (onAdded_) onAdded_();
}

bool colMsg::AtRest(const IDisplay& objDisp) const {
    return items_.size() == 1 && items_.front()->WhiteSpace() >= objDisp.ScaleWidth();
}

clsString& colMsg::AddString(std::u16string Text) {
    auto item = std::make_unique<clsString>(host_);
    item->SetText(std::move(Text));
    clsString& added = *item;
    Append(std::move(item));
    return added;
}

clsSays& colMsg::AddSays(std::u16string Buddy, messenger::WindowHandle hWnd) {
    auto item = std::make_unique<clsSays>(host_, saysFont_);
    item->SetBuddy(std::move(Buddy));
    item->SethWnd(hWnd);
    clsSays& added = *item;
    Append(std::move(item));
    return added;
}

clsEmo& colMsg::AddEmo(std::uint8_t PicNumber, messenger::WindowHandle hWnd) {
    auto item = std::make_unique<clsEmo>(host_);
    item->SetPicNumber(PicNumber);
    item->SethWnd(hWnd);
    clsEmo& added = *item;
    Append(std::move(item));
    return added;
}

clsAction& colMsg::AddAction(std::int32_t Action, ActionParameter Parameter) {
    auto item = std::make_unique<clsAction>(host_);
    clsAction& added = *item;
    Append(std::move(item));
    added.SetAction(Action, std::move(Parameter));
    if (host_.bar) host_.bar->ClearPrevBuddy();
    return added;
}

void colMsg::AddRun(std::u16string run, std::u16string_view fontName, Color color,
                    messenger::WindowHandle hWnd) {
    clsString& item = AddString(std::move(run));
    item.TextFont()->SetName(host_.measure.FaceExists(fontName) ? std::u16string(fontName)
                                                                : std::u16string(u"Arial"));
    item.SetTextColor(color);
    item.SethWnd(hWnd);
}

void colMsg::AddMsg(std::u16string_view strMsg, std::u16string_view FontName, Color color,
                    messenger::WindowHandle hWnd) {
    if (!host_.settings.ShowEmo) {
        AddRun(std::u16string(strMsg), FontName, color, hWnd);
        return;
    }
    // The item before the newest one: the previous emoticon, or the run just added.
    const auto pullTogether = [this] { items_[items_.size() - 2]->SetWhiteSpace(1.0f); };

    std::size_t start = 0; // first character not yet consumed
    bool first = true;
    for (std::size_t i = 0; i < strMsg.size(); ++i) {
        if (!IsCodeStart(strMsg[i]) || i < start) continue;
        const std::optional<EmoticonMatch> code = MatchEmoticon(strMsg.substr(i));
        if (!code) continue;
        AddRun(std::u16string(strMsg.substr(start, i - start)), FontName, color, hWnd);
        if (!first) pullTogether();
        AddEmo(code->Cell, hWnd);
        if (!first) pullTogether();
        start = i + code->Length;
        first = false;
    }
    if (start < strMsg.size()) {
        AddRun(std::u16string(strMsg.substr(start)), FontName, color, hWnd);
        if (!first) pullTogether();
    }
}

void colMsg::MoveOn(const IDisplay& objDisp) {
    const float displayWidth = objDisp.ScaleWidth();
    if (AtRest(objDisp)) return;
    stripLeft_ -= scrollSpeed_;
    if (items_.empty()) return;

    while (!items_.empty()) {
        const float width = items_.front()->Width();
        if (!(width < -stripLeft_)) break;
        stripLeft_ += width;
        items_.pop_front();
        if (composed_) {
            composed_->stripLeft += width;
            composed_->dropped = true;
        }
    }
    if (items_.empty()) return;

    // Widths are never negative, so once the running total reaches the right edge the whole
    // strip does too and the fill would add nothing: the waiting queue costs nothing per tick.
    float total = 0.0f;
    for (const auto& item : items_) {
        total += item->Width();
        if (!(total + stripLeft_ < displayWidth)) return;
    }
    clsItem& last = *items_.back();
    while (total + stripLeft_ < displayWidth) {
        const float grown = total + 1.0f;
        // A total so large that one more pixel no longer changes it would never reach the
        // edge; stop instead of spinning.
        if (grown == total) break;
        last.SetWhiteSpace(last.WhiteSpace() + 1.0f);
        total = grown;
    }
}

std::int32_t colMsg::TextTop(const std::shared_ptr<StdFont>& font) {
    const StdFont in = font ? *font : StdFont();
    const std::int32_t height = canvas_->Height();
    if (!textTop_ || !(textTop_->font == in) || textTop_->height != height ||
        textTop_->dpi != host_.dpi) {
        const double alphabet = canvas_->StringHeight(kAlphabet);
        textTop_ = TextTopIn{in, height, host_.dpi, Nearest((height - alphabet) / 2.0 - 1.0)};
    }
    return textTop_->top;
}

void colMsg::DrawRun(const TextRun& run, float x) {
    canvas_->SetFont(run.TextFont());
    canvas_->SetForeColor(run.TextColor());
    canvas_->DrawTxt(run.Text(), Nearest(x), TextTop(run.TextFont()));
}

void colMsg::DrawItem(const clsItem& item, float x) {
    switch (item.Kind()) {
    case ItemKind::String:
        DrawRun(*item.As<clsString>(), x);
        break;
    case ItemKind::Action:
        DrawRun(*item.As<clsAction>(), x);
        break;
    case ItemKind::Says: {
        canvas_->SetFont(saysFont_);
        canvas_->SetForeColor(kSaysColor);
        const std::int32_t y = TextTop(saysFont_);
        canvas_->DrawTxt(item.As<clsSays>()->Text(), Nearest(x), y);
        break;
    }
    case ItemKind::Emo: {
        const double height = canvas_->Height();
        emoStrip_->BltTo(*canvas_, Nearest(x), Nearest((height - emoCell_) / 2.0 - 1.0),
                         emoCell_ * item.As<clsEmo>()->PicNumber(), 0, emoCell_, emoCell_);
        break;
    }
    }
}

void colMsg::DisplayOn(IDisplay& objDisp, bool Frame) {
    FollowDpi();
    const float displayWidth = objDisp.ScaleWidth();
    const float displayHeight = objDisp.ScaleHeight();
    if (displayHeight != static_cast<float>(canvas_->Height()) ||
        displayWidth != static_cast<float>(canvas_->Width())) {
        // Once sized, the strip keeps its distance from the right edge when the display changes.
        if (canvas_->Height() != 1)
            stripLeft_ = stripLeft_ - static_cast<float>(canvas_->Width()) + displayWidth;
        canvas_->Resize(Nearest(displayHeight), Nearest(displayWidth));
        composed_.reset();
    }
    const std::int32_t width = canvas_->Width();
    const bool dropped = composed_ && composed_->dropped;
    std::int32_t from = FirstColumnToDraw(Frame);
    // The ink of items that left may overhang the first columns; they are drawn again.
    const std::int32_t inked =
        from > 0 && dropped ? std::max(0, Nearest(std::ceil(stripLeft_ + kInkOverhang))) : 0;
    if (inked >= from) from = 0;
    if (inked > 0 && from > 0) DrawColumns(0, std::min(inked, width));
    if (from < width) DrawColumns(from, width);
    if ((inked > 0 || from < width) && Frame)
        canvas_->DrawRect(0, 0, width - 1, canvas_->Height() - 1);

    // Where the items end; past the right edge (and its ink) the strip is not open.
    float end = stripLeft_;
    const float reach = static_cast<float>(width) + kInkOverhang;
    for (const auto& item : items_) {
        end += item->Width();
        if (!(end < reach)) break;
    }
    if (!composed_) composed_.emplace();
    composed_->stripLeft = stripLeft_;
    composed_->frame = Frame;
    composed_->dpi = host_.dpi;
    const std::u16string& says = host_.settings.Says;
    if (composed_->says != says) composed_->says = says;
    composed_->open = end < reach;
    composed_->dropped = false;
    objDisp.Present(*canvas_);
}

void colMsg::DrawColumns(std::int32_t from, std::int32_t to) {
    const std::int32_t width = canvas_->Width();
    const bool clipped = from > 0 || to < width;
    if (clipped) canvas_->ClipColumns(from, to);
    canvas_->Clear();
    // An item's ink may reach a little beyond its span either side (an italic's overhang);
    // which items are drawn follows the whole frame's rule, which draws to the right edge.
    const float last = std::min(static_cast<float>(to) + kInkOverhang, static_cast<float>(width));
    float x = stripLeft_;
    for (const auto& item : items_) {
        const float itemWidth = item->Width();
        if (!(x + itemWidth + kInkOverhang < static_cast<float>(from))) DrawItem(*item, x);
        x = x + itemWidth;
        if (x > last) break;
    }
    if (clipped) canvas_->ResetClip();
}

std::int32_t colMsg::FirstColumnToDraw(bool frame) {
    // The frame before moved by a whole number of pixels, everything in it by the same: it is
    // scrolled, and only the columns that came in are drawn - the same pixels as drawing it
    // all, for far less work at every tick. Anything else draws the whole frame.
    const std::int32_t width = canvas_->Width();
    if (!composed_ || composed_->frame != frame || composed_->dpi != host_.dpi ||
        composed_->says != host_.settings.Says)
        return 0;
    const float moved = composed_->stripLeft - stripLeft_;
    if (moved < 0 || moved != std::floor(moved) || stripLeft_ != std::floor(stripLeft_) ||
        moved >= static_cast<float>(width) / 2)
        return 0;
    float x = stripLeft_;
    for (const auto& item : items_) {
        const float w = item->Width();
        if (w != std::floor(w)) return 0; // a half pixel would round another way once moved
        x += w;
        if (x > static_cast<float>(width)) break;
    }
    const auto pixels = static_cast<std::int32_t>(moved);
    if (pixels == 0) return width; // nothing moved: the canvas holds the frame
    canvas_->ScrollLeft(pixels);
    // The columns that came in, and the old right edge of the frame, which moved inside.
    return width - pixels - (frame ? 1 : 0);
}

std::u16string colMsg::SpokenText(std::size_t from) const {
    std::u16string words;
    const auto append = [&](std::u16string_view text) {
        for (const char16_t c : text) {
            const bool blank = c == u' ' || c == u'\t' || c == u'\u00A0';
            if (blank && (words.empty() || words.back() == u' ')) continue;
            words.push_back(blank ? u' ' : c);
        }
    };
    for (std::size_t i = from; i >= 1 && i <= items_.size(); ++i) {
        const clsItem& item = *items_[i - 1];
        // A visible gap between two items reads as a blank; runs of one text touch.
        if (i > from && items_[i - 2]->WhiteSpace() >= 2.0f) append(u" ");
        if (const auto* s = item.As<clsString>()) append(s->Text());
        if (const auto* s = item.As<clsSays>()) append(s->Text());
        if (const auto* a = item.As<clsAction>()) append(a->Text());
        if (const auto* e = item.As<clsEmo>()) {
            // A picture stands apart from the words around it.
            if (!words.empty() && words.back() != u' ') words.push_back(u' ');
            append(EmoticonName(e->PicNumber()));
            words.push_back(u' ');
        }
    }
    while (!words.empty() && words.back() == u' ')
        words.pop_back();
    return words;
}

void colMsg::MouseDown(float x, float /*y*/) {
    float edge = stripLeft_;
    for (std::size_t i = 0; i < items_.size(); ++i) {
        edge += items_[i]->Width();
        if (edge >= x) {
            items_[i]->OnClick(i + 1);
            return;
        }
    }
}

} // namespace gb
