#pragma once
// What every strip item offers: the empty space after it, its width, its click, and its kind
// (the strip draws items by kind).
#include <cstddef>
#include <cstdint>

#include "messenger/Messenger.h"

namespace gb {

struct StripHost;

enum class ItemKind { String, Says, Emo, Action };

inline constexpr float kDefaultWhiteSpace = 10.0f;

class clsItem {
  public:
    virtual ~clsItem() = default;
    clsItem(const clsItem&) = delete;
    clsItem& operator=(const clsItem&) = delete;

    ItemKind Kind() const noexcept { return kind_; }

    // Empty pixels after the content; the parser lowers it, the strip's fill raises it.
    float WhiteSpace() const noexcept { return whiteSpace_; }
    void SetWhiteSpace(float pixels) noexcept { whiteSpace_ = pixels; }

    // Content width plus WhiteSpace, measured anew on every call.
    virtual float Width() const = 0;

    // index: the item's 1-based position in its strip.
    virtual void OnClick(std::size_t index) = 0;

    // The item as its concrete class, or null when it is of another kind.
    template <class T> T* As() noexcept {
        return kind_ == T::kKind ? static_cast<T*>(this) : nullptr;
    }
    template <class T> const T* As() const noexcept {
        return kind_ == T::kKind ? static_cast<const T*>(this) : nullptr;
    }

  protected:
    clsItem(ItemKind kind, const StripHost& host) noexcept : kind_(kind), host_(&host) {}
    const StripHost& Host() const noexcept { return *host_; }

    // Brings a conversation window to the front, restoring it first when minimised.
    void ActivateWindow(messenger::WindowHandle hwnd) const;

  private:
    ItemKind kind_;
    const StripHost* host_;
    float whiteSpace_ = kDefaultWhiteSpace;
};

} // namespace gb
