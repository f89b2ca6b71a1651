#pragma once
// The sink on the messenger's event source: forwards each event to a
// messenger::IMessengerEvents. Only the link and its tests see it, and with it the contract.
#include <windows.h>

#include <oaidl.h>

#include "contract/MessengerCom_win32.h"
#include "kit/ComObject_win32.h"
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

} // namespace messenger
