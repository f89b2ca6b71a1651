#pragma once
// The messenger's objects as the stand-in offers them (contact, participant list, session,
// conversation window, window list, application, messenger object) and their event source.
// Each reads the server's state; what a call changes, the state decides.
#include <windows.h>

#include <oaidl.h>

#include "SimState.h"
#include "kit/Handles_win32.h"

namespace msgrsim {

// The objects an event hands to its sinks.
gb::com_ptr<IDispatch> ContactObject(ContactRef contact);
gb::com_ptr<IDispatch> SessionObject(ConversationRef conversation);

// A new object of one of the messenger's classes, as the interface iid;
// CLASS_E_CLASSNOTAVAILABLE for any other class.
HRESULT CreateObject(const CLSID& clsid, REFIID iid, void** out);

} // namespace msgrsim
