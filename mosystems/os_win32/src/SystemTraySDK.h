// CSystemTray: the program's notification-area (tray) icon, its hidden window and its menu.
//
// One object lives for the whole process (TheSystemTray()). The tray thread creates the icon and
// owns the windows that receive its notifications; the main thread only switches the icon
// between "connected" and "idle" and removes it at shutdown. On Windows the icon is the shell's
// notify icon; on POSIX there is no tray: the object behaves as on a platform without one.
//
// Threads and the icon record:
// - Create, HandleNotification and AdjustMenu: the tray thread only (the thread that owns the
//   target window). SetIcon, HideIcon and RemoveIcon: any thread.
// - Every change of the icon record and the shell call that hands it over happen under the
//   record lock, so the shell sees the changes whole and in the order they were made. Create
//   keeps the lock through all its attempts to add the icon, so a SetIcon from another thread
//   waits until the icon exists (normally 100 ms; up to 10 s when the shell does not answer).
// - The lock is never held while messages are pumped (HandleNotification copies the target
//   window and drops the lock before it shows the menu).
// - The tray thread may be ended by force while it holds the lock (in Create). The lock is then
//   abandoned, and the next caller takes it over and goes on; nothing waits for a dead thread.
// - Hold keeps the record to one thread for a sequence of calls: the tray thread creates the
//   icon and sets its first icon under one Hold, so a switch by the main thread never comes
//   between the two and is never overwritten by the first icon.
//
// When the shell restarts ("TaskbarCreated"), the icon is not put back: the record's icon handle
// is destroyed as soon as the shell has its copy (SetIcon(resource id)), and a run lasts
// minutes; the operator loses the icon until the next run.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// The Win32 handle types as windows.h declares them, kept opaque here so that engine code
// including this header never needs windows.h.
struct HWND__;
struct HICON__;
struct HINSTANCE__;
struct HMENU__;

// What the icon record holds, copied out for readers (tests, diagnostics).
struct TrayIconRecord {
  unsigned size = 0;             // record size the shell is given
  HWND__* window = nullptr;      // window that receives the notifications
  unsigned id = 0;               // icon id
  unsigned flags = 0;            // valid fields of the last change
  unsigned callbackMessage = 0;  // notification message
  HICON__* icon = nullptr;       // last icon set (the handle may already be destroyed)
  std::string tooltip;           // at most 127 characters
  unsigned state = 0;            // icon state (hidden = 1)
  unsigned stateMask = 0;
};

class CSystemTray {
 public:
  static constexpr unsigned kIconId = 102;  // icon id, and the id of the icon's menu resource
  static constexpr unsigned kCallbackMessage = 0x800A;
  static constexpr unsigned kRecordBytes = 528;  // NOTIFYICONDATAA on x64

  // Clears the record and tests whether the platform can hide an icon. Any thread.
  CSystemTray();
  // Removes an icon that is still there and destroys the tray window (when it is this thread's).
  virtual ~CSystemTray();
  CSystemTray(const CSystemTray&) = delete;
  CSystemTray& operator=(const CSystemTray&) = delete;

  // The icon's notification `event` (a mouse message) for icon `id`. Right button released:
  // shows the menu (first popup of the menu resource kIconId, item 0 bold) at the cursor, owned
  // by the target window. Left double click: posts the command of item 0 to the target window.
  // False unless `id` is kIconId and a target window exists; true otherwise.
  virtual bool HandleNotification(std::uintptr_t id, std::intptr_t event);
  // Lets a derived tray change the menu before it is shown. Does nothing here.
  virtual void AdjustMenu(HMENU__* menu);

  // Creates the hidden "TrayIconClass" window and adds the icon, owned by `target` (by the tray
  // window itself when null), with `tooltip` (cut to 127 characters; null is empty) and `icon`.
  // Tries to add the icon 100 times, 100 ms apart. False when the platform has no tray, the
  // window cannot be created or the icon was not added (then it counts as hidden and removed).
  bool Create(HINSTANCE__* instance, HWND__* target, const char* tooltip, HICON__* icon);
  // Stores `icon` and shows it unless the icon is hidden. True when hidden; false without tray.
  bool SetIcon(HICON__* icon);
  // Loads icon resource `resourceId` of the instance given to Create at its default size, sets it
  // and destroys the loaded handle. False when it cannot be loaded or there is no tray.
  bool SetIcon(unsigned resourceId);
  // Hides the icon (removes it when the platform cannot hide). True when it is hidden or removed
  // afterwards; false without tray.
  bool HideIcon();
  // Deletes the icon from the notification area. True when it is removed afterwards; false
  // without tray.
  bool RemoveIcon();

  bool enabled() const;
  bool hidden() const;
  bool removed() const;
  bool canHide() const { return canHide_; }
  HWND__* trayWindow() const;
  TrayIconRecord record() const;

  // Keeps the icon record to the calling thread until it ends (see the top of this file). The
  // calling thread may go on calling the operations above meanwhile.
  class Hold {
   public:
    explicit Hold(const CSystemTray& tray) : tray_(tray) { tray_.LockRecord(); }
    ~Hold() { tray_.UnlockRecord(); }
    Hold(const Hold&) = delete;
    Hold& operator=(const Hold&) = delete;

   private:
    const CSystemTray& tray_;
  };

 private:
  void LockRecord() const;
  void UnlockRecord() const;
  bool CreateWindowOfTray(HINSTANCE__* instance);
  bool AddIcon();
  bool Notify(unsigned message);
  HMENU__* LoadMenuOfIcon() const;

  // The platform's notify-icon record, kept in place so that this header needs no system header.
  alignas(8) unsigned char record_[kRecordBytes];
  HWND__* trayWindow_ = nullptr;
  HINSTANCE__* instance_ = nullptr;
  bool enabled_ = false;  // the platform has a tray; set by Create
  bool hidden_ = true;    // no icon is shown
  bool removed_ = true;   // no icon is in the notification area
  bool canHide_ = false;
  unsigned defaultItem_ = 0;    // position of the menu's default item
  void* recordLock_ = nullptr;  // a recursive system mutex (Windows); unused on POSIX
};

// The process's one tray icon, constructed during static initialisation, destroyed at exit.
CSystemTray& TheSystemTray();
