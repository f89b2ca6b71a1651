#pragma once
// One scrolling strip: items in a row, the scroll position, the canvas frames are composed on,
// the emoticon pictures and the font of says items.
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "messenger/Messenger.h"
#include "strip/clsAction.h"
#include "strip/clsEmo.h"
#include "strip/clsItem.h"
#include "strip/clsSays.h"
#include "strip/clsString.h"
#include "surface/StdFont.h"
#include "surface/Surface.h"

namespace gb {

struct StripHost;

class colMsg {
    using Items = std::deque<std::unique_ptr<clsItem>>;

  public:
    // Enumerates the items from left to right.
    template <class Base, class It> class Iterator {
      public:
        using iterator_category = std::forward_iterator_tag;
        using value_type = clsItem;
        using difference_type = std::ptrdiff_t;
        using pointer = Base*;
        using reference = Base&;
        Iterator() = default;
        explicit Iterator(It it) : it_(it) {}
        reference operator*() const { return **it_; }
        pointer operator->() const { return it_->get(); }
        Iterator& operator++() {
            ++it_;
            return *this;
        }
        Iterator operator++(int) {
            Iterator old = *this;
            ++it_;
            return old;
        }
        friend bool operator==(const Iterator&, const Iterator&) = default;

      private:
        It it_{};
    };
    using iterator = Iterator<clsItem, Items::iterator>;
    using const_iterator = Iterator<const clsItem, Items::const_iterator>;

    // The host measures, sizes new fonts and receives the cross-links; surfaces makes the
    // canvas and the emoticon surface. Both must outlive the strip.
    colMsg(const StripHost& host, ISurfaceFactory& surfaces);
    ~colMsg();
    colMsg(const colMsg&) = delete;
    colMsg& operator=(const colMsg&) = delete;

    // Pixels per MoveOn; 10 on creation.
    float ScrollSpeed() const noexcept { return scrollSpeed_; }
    void SetScrollSpeed(float pixels) noexcept { scrollSpeed_ = pixels; }

    // The item at a 1-based position; null when there is none.
    clsItem* Item(std::size_t index) noexcept;
    const clsItem* Item(std::size_t index) const noexcept;
    std::size_t Count() const noexcept { return items_.size(); }
    // Removes the item at a 1-based position; false when there is none.
    bool Remove(std::size_t index);
    iterator begin() noexcept { return iterator(items_.begin()); }
    iterator end() noexcept { return iterator(items_.end()); }
    const_iterator begin() const noexcept { return const_iterator(items_.begin()); }
    const_iterator end() const noexcept { return const_iterator(items_.end()); }

    // Appends a message as text runs and emoticons (emoticons only when ShowEmo is on), every
    // item in the given face (Arial when the system lacks it), colour and window.
    void AddMsg(std::u16string_view strMsg, std::u16string_view FontName, Color color,
                messenger::WindowHandle hWnd);
    clsString& AddString(std::u16string Text);
    clsSays& AddSays(std::u16string Buddy, messenger::WindowHandle hWnd);
    clsEmo& AddEmo(std::uint8_t PicNumber, messenger::WindowHandle hWnd);
    // Also clears the host's PrevBuddy.
    clsAction& AddAction(std::int32_t Action, ActionParameter Parameter);

    // Composes the visible part on the canvas (sized to the display first) and presents it.
    void DisplayOn(IDisplay& objDisp, bool Frame);
    // One scroll step: moves left by ScrollSpeed, drops items that have left on the left, and
    // grows the last item's tail until the strip reaches the display's right edge.
    void MoveOn(const IDisplay& objDisp);
    // Clicks the item under x (display pixels); y plays no part.
    void MouseDown(float x, float y);

    // x of the first item's left edge, relative to the display's left edge.
    float StripLeft() const noexcept { return stripLeft_; }
    // The items from a 1-based position to the end in words, as a screen reader speaks them:
    // texts as they read, emoticons by their names, blanks folded, colours left out.
    std::u16string SpokenText(std::size_t from) const;

    // Forgets the frame composed last, so that the next DisplayOn draws it all.
    void Invalidate() noexcept { composed_.reset(); }
    // At rest: one item left, whose tail fills the display; MoveOn moves nothing then.
    bool AtRest(const IDisplay& objDisp) const;
    // Called after every item appended, whoever appends it.
    void SetOnAdded(std::function<void()> onAdded) { onAdded_ = std::move(onAdded); }

  private:
    void AddRun(std::u16string run, std::u16string_view fontName, Color color,
                messenger::WindowHandle hWnd);
    void Append(std::unique_ptr<clsItem> item);
    // The first canvas column DisplayOn must draw: 0 for the whole frame, the width for none.
    std::int32_t FirstColumnToDraw(bool frame);
    // Clears the columns from, up to but not including to, and draws the items in them.
    void DrawColumns(std::int32_t from, std::int32_t to);
    void DrawItem(const clsItem& item, float x);
    void DrawRun(const TextRun& run, float x);
    // Where text in this font stands in the canvas: centred by the alphabet's height.
    std::int32_t TextTop(const std::shared_ptr<StdFont>& font);

    // The surfaces at the host's DPI as it is now: the canvas realises fonts at it, and the
    // emoticon pictures are made anew when the cell size it gives changes.
    void FollowDpi();

    const StripHost& host_;
    ISurfaceFactory& surfaces_;
    Items items_;
    float scrollSpeed_ = 10.0f;
    float stripLeft_ = 0.0f;
    std::unique_ptr<ISurface> canvas_;
    std::unique_ptr<ISurface> emoStrip_;
    int emoCell_ = 0;
    std::shared_ptr<StdFont> saysFont_;
    std::function<void()> onAdded_;
    // The last text top and what it was measured for: items in view are drawn at every tick.
    struct TextTopIn {
        StdFont font;
        std::int32_t height;
        int dpi;
        std::int32_t top;
    };
    std::optional<TextTopIn> textTop_;
    // What the canvas holds: the frame composed last, with what its pixels depend on then. Its
    // strip position follows the items dropped since, which leave the others where they stood.
    struct Composed {
        float stripLeft;
        bool frame;
        int dpi;
        // The says text of the settings, which says items read as they are drawn.
        std::u16string says;
        // The items ended inside the canvas: one appended would land among columns kept.
        bool open;
        // Items left since: their ink may still overhang the left edge.
        bool dropped;
    };
    std::optional<Composed> composed_;
};

} // namespace gb
