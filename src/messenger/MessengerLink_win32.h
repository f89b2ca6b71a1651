#pragma once
// The program's connection to the messenger's events: a sink on the event source's
// connection point that forwards each event to a messenger::IMessengerEvents.
#include <windows.h>

#include <oaidl.h>
#include <ocidl.h>

#include "contract/MessengerCom_win32.h"
#include "kit/ComObject_win32.h"
#include "kit/Handles_win32.h"
#include "messenger/Messenger.h"

namespace messenger {

// Receives the events through IDispatch::Invoke and turns each into one call of the target,
// with the arguments translated and nothing else decided. An event whose arguments are
// missing or of the wrong type is refused and not forwarded.
class EventSink final
    : public gb::ComObject<IDispatch, &IID_IDispatch, &msgr::DIID_DMessengerEvents> {
  public:
    // Created with one reference, which the caller adopts.
    static gb::com_ptr<EventSink> Create(IMessengerEvents& target);
    // After this no event reaches the target, even if the source still holds the sink.
    void Forget() noexcept { target_ = nullptr; }

    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) noexcept override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) noexcept override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID,
                                            DISPID*) noexcept override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params,
                                     VARIANT* result, EXCEPINFO*, UINT* argError) noexcept override;

    explicit EventSink(IMessengerEvents& target) : target_(&target) {}

  private:
    HRESULT Forward(DISPID id, const DISPPARAMS& params, UINT* argError);

    IMessengerEvents* target_;
};

// What the bar owns: tries to create the event source and connect to it, says whether it is
// attached, can be asked to try again (while no messenger is registered), and disconnects
// when it ends. Must live on the thread that created it (the user-interface thread).
class MessengerLink final : public IMessengerLink {
  public:
    explicit MessengerLink(IMessengerEvents& events) : events_(events) {}
    MessengerLink(const MessengerLink&) = delete;
    MessengerLink& operator=(const MessengerLink&) = delete;
    ~MessengerLink() override { Detach(); }

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
