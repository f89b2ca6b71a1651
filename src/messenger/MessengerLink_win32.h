#pragma once
// The program's connection to the messenger's events: a sink (EventSink_win32.h) on the event
// source's connection point.
#include <windows.h>

#include <oaidl.h>
#include <ocidl.h>

#include "kit/ComObject_win32.h"
#include "kit/Handles_win32.h"
#include "messenger/Messenger.h"

namespace messenger {

class EventSink;

// What the bar owns: tries to create the event source and connect to it, says whether it is
// attached, can be asked to try again (while no messenger is registered), and disconnects
// when it ends. Must live on the thread that created it (the user-interface thread).
class MessengerLink final : public IMessengerLink {
  public:
    // Out of line, like the destructor: only the .cpp knows the sink.
    explicit MessengerLink(IMessengerEvents& events);
    MessengerLink(const MessengerLink&) = delete;
    MessengerLink& operator=(const MessengerLink&) = delete;
    ~MessengerLink() override;

    // Connects unless already connected; true when attached afterwards.
    bool TryAttach() noexcept override;
    bool Attached() const noexcept { return cookie_ != 0; }
    void Detach() noexcept override;

  private:
    IMessengerEvents& events_;
    gb::com_ptr<IUnknown> source_;
    gb::com_ptr<IConnectionPoint> point_;
    gb::com_ptr<EventSink> sink_;
    DWORD cookie_ = 0;
};

} // namespace messenger
