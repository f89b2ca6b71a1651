#pragma once
// A conversation with one contact: the exchange with its times above, a reply box below (Enter
// sends, Shift+Enter a new line). Its handle is what the bar's window list and conversation
// objects return for the conversation.
#include <windows.h>

#include <cstddef>
#include <ctime>
#include <deque>
#include <string>

#include "kit/Handles_win32.h"
#include "kit/Window_win32.h"

namespace im {

class IConversationOwner {
  public:
    virtual ~IConversationOwner() = default;
    // The user sent a reply (UTF-8); false when it could not go (not signed in, say): the box
    // keeps the text so that nothing typed is lost.
    virtual bool SendReply(const std::string& jid, const std::string& text) = 0;
    // The user closed the window; the owner destroys the object.
    virtual void ConversationClosed(const std::string& jid) = 0;
};

class ConversationWindow final : public gb::Window {
  public:
    // The history keeps the newest entries within both bounds, so that a flood of texts
    // cannot grow it (and the edit control's work on each new line) without end.
    static constexpr std::size_t kHistoryEntries = 1000;
    static constexpr std::size_t kHistoryChars = 128 * 1024; // 256 KiB of UTF-16

    ConversationWindow(IConversationOwner& owner, std::string jid, std::string nickname);
    ~ConversationWindow() override;

    // Creates the window: in front and focused when the user asked for it, otherwise shown
    // minimised without taking the focus from what the user is working in.
    bool Open(HINSTANCE instance, bool inFront);
    // A text the contact sent, or one the user sent from here; UTF-8, at that time.
    void AddReceived(const std::string& text, std::time_t at);
    void AddSent(const std::string& text, std::time_t at);
    void SetNickname(const std::string& nickname);
    // Restores the window when minimised and puts it in front.
    void BringForward();
    const std::string& Jid() const { return jid_; }

  private:
    LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp) override;
    bool OnChildMessage(HWND child, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
    void OnCreate(HINSTANCE instance);
    void Layout();
    void ApplyDpi(int dpi);
    void AddLine(const std::string& who, const std::string& text, std::time_t at);
    void SendFromReplyBox();

    IConversationOwner& owner_;
    std::string jid_;
    std::string nickname_;
    HWND history_ = nullptr;
    HWND reply_ = nullptr;
    gb::unique_hfont font_;
    int dpi_ = 96;
    std::deque<std::size_t> entries_; // each entry's length in the history, its line end included
    std::size_t historyChars_ = 0;
};

} // namespace im
