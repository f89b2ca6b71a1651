#pragma once
// The minimised bar's notification-area icon as the controller drives it.

namespace gb {

// The minimised bar's icon in the notification area.
class ITrayIcon {
  public:
    virtual ~ITrayIcon() = default;
    // False when the shell did not take it.
    virtual bool Add() = 0;
    virtual void Remove() = 0;
    virtual bool Shown() const = 0;
    // The shell restarted and forgot every icon: the icon that was there goes back.
    virtual void AddAgain() = 0;
};

} // namespace gb
