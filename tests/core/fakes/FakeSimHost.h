#pragma once
// Records what the stand-in's state asks of its Win32 side; windows get handles 100, 101, ...
#include <set>
#include <string>
#include <vector>

#include "SimState.h"

class FakeSimHost final : public msgrsim::ISimHost {
  public:
    std::vector<std::string> calls;
    bool failWindows = false;
    std::set<std::intptr_t> live; // the windows open now
    // Set: a closed window is reported back at once, as a real one's destruction does.
    msgrsim::SimState* state = nullptr;
    std::intptr_t messengerWindow = 0; // what the project's messenger answers; 0: none runs

    std::intptr_t OpenWindow(const msgrsim::Conversation& c) override {
        std::string who;
        for (const auto& p : c.participants)
            who += (who.empty() ? "" : ",") + p->address;
        calls.push_back("open " + who);
        return failWindows ? 0 : *live.insert(next_++).first;
    }
    void CloseWindow(std::intptr_t window) override {
        calls.push_back("close " + std::to_string(window));
        live.erase(window);
        if (state) state->WindowClosed(window);
    }
    void BringForward(std::intptr_t window) override {
        calls.push_back("front " + std::to_string(window));
    }
    void ShowText(std::intptr_t window, const msgrsim::ContactData& sender,
                  const std::string& text) override {
        calls.push_back("show " + std::to_string(window) + " " + sender.nickname + ": " + text);
    }
    void RaiseText(const msgrsim::ConversationRef& session, const msgrsim::ContactRef& sender,
                   const std::string& header, const std::string& text) override {
        calls.push_back("text " + std::to_string(session->window) + " " + sender->address + " [" +
                        header + "] " + text);
    }
    void RaiseStateChanged(const msgrsim::ContactRef& user, std::int32_t previous) override {
        calls.push_back("state " + user->address + " " + std::to_string(previous) + "->" +
                        std::to_string(user->state));
    }
    void RaiseUnreadMail(std::int32_t folder, std::int32_t count) override {
        calls.push_back("mail " + std::to_string(folder) + " " + std::to_string(count));
    }

    std::intptr_t MessengerWindow(const std::string& address) override {
        if (messengerWindow) calls.push_back("messenger " + address);
        return messengerWindow;
    }

  private:
    std::intptr_t next_ = 100;
};
