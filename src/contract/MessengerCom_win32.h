#pragma once
// The messenger's automation interfaces as both sides see them: the program's binding calls
// them, the stand-in messenger (standin/) implements them. Every interface is dual: the
// vtable methods below, and the same members through IDispatch under the dispatch ids and
// names listed here (docs/messenger.md has the full table).
#include <windows.h>

#include <oaidl.h>
#include <ocidl.h>

namespace msgr {

// Class ids and the application object's ProgID.
inline constexpr CLSID CLSID_MessengerEvents = {
    0xF3A614DC, 0xABE0, 0x11D2, {0xA4, 0x41, 0x00, 0xC0, 0x4F, 0x79, 0x56, 0x83}};
inline constexpr CLSID CLSID_MessengerApp = {
    0xF3A614DD, 0xABE0, 0x11D2, {0xA4, 0x41, 0x00, 0xC0, 0x4F, 0x79, 0x56, 0x83}};
inline constexpr CLSID CLSID_Messenger = {
    0xB69003B3, 0xC55E, 0x4B48, {0x83, 0x6C, 0xBC, 0x59, 0x46, 0xFC, 0x3B, 0x28}};
inline constexpr wchar_t kAppProgId[] = L"Messenger.MessengerApp";

// Interface ids. The application object's interface id is ours: the messenger's published
// values name none for it.
inline constexpr IID IID_IMessengerContact = {
    0x218CB453, 0x20B6, 0x11D2, {0x8E, 0x17, 0x00, 0x00, 0xF8, 0x03, 0xA4, 0x46}};
inline constexpr IID IID_IMessengerContactList = {
    0x218CB454, 0x20B6, 0x11D2, {0x8E, 0x17, 0x00, 0x00, 0xF8, 0x03, 0xA4, 0x46}};
inline constexpr IID DIID_DMessengerEvents = {
    0x218CB455, 0x20B6, 0x11D2, {0x8E, 0x17, 0x00, 0x00, 0xF8, 0x03, 0xA4, 0x46}};
inline constexpr IID IID_IMessengerSession = {
    0x82E11592, 0x20F5, 0x11D2, {0x91, 0xAD, 0x00, 0x00, 0xF8, 0x1F, 0xEF, 0xC9}};
inline constexpr IID IID_IMessengerWindowList = {
    0x35EDD1CC, 0x1A8C, 0x11D2, {0xB4, 0x9D, 0x00, 0xC0, 0x4F, 0xB9, 0x03, 0x76}};
inline constexpr IID IID_IMessengerConversationWindow = {
    0x35EDD1CD, 0x1A8C, 0x11D2, {0xB4, 0x9D, 0x00, 0xC0, 0x4F, 0xB9, 0x03, 0x76}};
inline constexpr IID IID_IMessengerObject = {
    0xD50C3186, 0x0F89, 0x48F8, {0xB2, 0x04, 0x36, 0x04, 0x62, 0x9D, 0xEE, 0x10}};
inline constexpr IID IID_IMessengerApplication = {
    0x45A77CD8, 0x2994, 0x4414, {0x9A, 0x21, 0x29, 0x87, 0x22, 0x41, 0x77, 0x0A}};

// Dispatch ids. A collection's Item is its default member.
namespace dispid {
inline constexpr DISPID kItem = DISPID_VALUE;
inline constexpr DISPID kCount = 1;
inline constexpr DISPID kFriendlyName = 1;
inline constexpr DISPID kEmailAddress = 2;
inline constexpr DISPID kState = 3;
inline constexpr DISPID kParticipants = 1;
inline constexpr DISPID kSession = 1;
inline constexpr DISPID kHWnd = 2;
inline constexpr DISPID kWindows = 1;
inline constexpr DISPID kOpenInbox = 1;
inline constexpr DISPID kInstantMessage = 2;
inline constexpr DISPID kMyStatus = 3;
// Events, raised through IDispatch::Invoke on the sink (DISPATCH_METHOD).
inline constexpr DISPID kOnTextReceived = 1;
inline constexpr DISPID kOnUserStateChanged = 2;
inline constexpr DISPID kOnUnreadEmailChanged = 3;
} // namespace dispid

// A contact: a buddy, or the sender of a text.
struct IMessengerContact : IDispatch {
    virtual HRESULT STDMETHODCALLTYPE get_FriendlyName(BSTR* name) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_EmailAddress(BSTR* address) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_State(LONG* state) = 0;
};

// A session's participants, indexed from 0; Item gives an IMessengerContact.
struct IMessengerContactList : IDispatch {
    virtual HRESULT STDMETHODCALLTYPE get_Count(LONG* count) = 0;
    virtual HRESULT STDMETHODCALLTYPE Item(LONG index, IDispatch** contact) = 0;
};

struct IMessengerSession : IDispatch {
    virtual HRESULT STDMETHODCALLTYPE get_Participants(IDispatch** list) = 0;
};

struct IMessengerConversationWindow : IDispatch {
    virtual HRESULT STDMETHODCALLTYPE get_Session(IDispatch** session) = 0;
    // The top-level window's handle, 0 once the window has closed.
    virtual HRESULT STDMETHODCALLTYPE get_HWnd(LONG* hwnd) = 0;
};

// The open conversation windows, indexed from 0, as they are at each call.
struct IMessengerWindowList : IDispatch {
    virtual HRESULT STDMETHODCALLTYPE get_Count(LONG* count) = 0;
    virtual HRESULT STDMETHODCALLTYPE Item(LONG index, IDispatch** window) = 0;
};

struct IMessengerApplication : IDispatch {
    virtual HRESULT STDMETHODCALLTYPE get_Windows(IDispatch** list) = 0;
};

struct IMessengerObject : IDispatch {
    virtual HRESULT STDMETHODCALLTYPE OpenInbox() = 0;
    // contact: a VARIANT holding the e-mail address (VT_BSTR); window: the conversation
    // window that was opened or shown.
    virtual HRESULT STDMETHODCALLTYPE InstantMessage(VARIANT contact, IDispatch** window) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_MyStatus(LONG* status) = 0;
};

} // namespace msgr
