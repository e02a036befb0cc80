#pragma once
// The channel-interface lock: a plain toggle, without a password, that keeps the channel
// grid from being changed by accident. While locked the grid takes no edits and shows no
// selection, the pop-up menu's channel commands are off, and the status bar says so,
// blinking once its notice has gone back to "Ready". The state is written to the settings
// file after each change, but every run starts unlocked.

#include <QString>
#include <cstdint>

namespace k52 {

struct AppContext;

// The lock state after an unlock (kShowLock, in app/chgridedit.h, while locked).
inline constexpr const char* kShowNo = "ShowNo";
// The main window's timers: the check that starts the blink, and the blink.
inline constexpr int kChLockCheckMs = 30000;
inline constexpr int kChLockBlinkMs = 5000;

// What the lock works on in the main window: the lock item mnuChLock, the notice panel of
// the status bar and the blink timer.
class ChLockFace {
 public:
  virtual ~ChLockFace() = default;
  virtual bool chLockVisible() const = 0;
  virtual bool chLockChecked() const = 0;
  virtual void setChLockChecked(bool on) = 0;
  virtual QString statusNotice() const = 0;
  virtual void setStatusNotice(const QString& text) = 0;
  // Starts tmrChLockBlink (a running timer keeps its rhythm) or stops it.
  virtual void setBlinkEnabled(bool on) = 0;
};

// The lock command, from the menu item (Ctrl+L) and from the pop-up item, index 0.
// The documented entry points log under "mdifrmMain->..." and run the plainly named steps.
void mnuChLock_Click(AppContext& ctx, ChLockFace& face, int16_t Index);
// Locks an unlocked interface and unlocks a locked one; the state goes to the settings file.
void toggleChannelLock(AppContext& ctx, ChLockFace& face);
// Every 30 s: while locked, a notice that has gone back to "Ready" says "Interface
// Locked" again and the blink starts.
void tmrChLock_Timer(AppContext& ctx, ChLockFace& face);
void remindOfLock(AppContext& ctx, ChLockFace& face);
// Every 5 s while it runs: the notice alternates between "Ready" and "Interface Locked";
// any other notice is left alone.
void tmrChLockBlink_Timer(AppContext& ctx, ChLockFace& face, int16_t& BlinkPhase);
void blinkLockNotice(AppContext& ctx, ChLockFace& face, int16_t& BlinkPhase);

}  // namespace k52
