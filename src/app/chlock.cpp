#include "app/chlock.h"

#include "app/chgridedit.h"
#include "core/guarded.h"
#include "app/appcontext.h"
#include "core/langtexts.h"

namespace k52 {

namespace {

bool locked(const ChLockFace& face) { return face.chLockVisible() && face.chLockChecked(); }
}  // namespace

void toggleChannelLock(AppContext& ctx, ChLockFace& face) {
  if (!face.chLockVisible()) return;
  Grid& g = ctx.gridCh();
  // What is still being typed into a cell is stored before the grid stops taking edits.
  g.finishEditing();
  face.setChLockChecked(!face.chLockChecked());
  if (face.chLockChecked()) {
    ctx.st.LockState = QString::fromLatin1(kShowLock);
    g.setEditMode(GridEditMode::None);
    face.setStatusNotice(ctx.text(kTextInterfaceLocked));
    // The selected cell looks like any other.
    g.setSelBackColor(ctx.st.SavedBackColor);
    g.refresh();
  } else {
    ctx.st.LockState = QString::fromLatin1(kShowNo);
    face.setStatusNotice(ctx.text(kTextReady));
    face.setBlinkEnabled(false);
    g.setSelBackColor(ctx.st.SavedSelColor);
    g.setEditMode(GridEditMode::KbdMouse);
  }
  if (!ctx.ini.write(QStringLiteral("Setting"), QStringLiteral("ChannelLock"), ctx.st.LockState))
    ctx.ini.raiseWriteFailure();
}

void mnuChLock_Click(AppContext& ctx, ChLockFace& face, int16_t /*Index*/) {
  guarded(ctx.log, "mdifrmMain->mnuChLock_Click", [&] { toggleChannelLock(ctx, face); });
}

void remindOfLock(AppContext& ctx, ChLockFace& face) {
  if (!locked(face) || face.statusNotice() != ctx.text(kTextReady)) return;
  face.setStatusNotice(ctx.text(kTextInterfaceLocked));
  face.setBlinkEnabled(true);
}

void tmrChLock_Timer(AppContext& ctx, ChLockFace& face) { remindOfLock(ctx, face); }

void blinkLockNotice(AppContext& ctx, ChLockFace& face, int16_t& phase) {
  if (!locked(face)) return;
  phase = static_cast<int16_t>(phase + 1);
  if (phase >= 2) phase = 0;
  const QString shown = face.statusNotice();
  if (shown != ctx.text(kTextReady) && shown != ctx.text(kTextInterfaceLocked) && !shown.isEmpty()) return;
  face.setStatusNotice(ctx.text(phase == 0 ? kTextReady : kTextInterfaceLocked));
}

void tmrChLockBlink_Timer(AppContext& ctx, ChLockFace& face, int16_t& BlinkPhase) { blinkLockNotice(ctx, face, BlinkPhase); }

}  // namespace k52
