#pragma once
// Undo and redo of the configuration's edits on Qt's undo stack. The history keeps the
// configuration as it stood after the last recorded step; record() turns whatever changed
// since then into one step (only the rows that changed are kept), named as given or by
// what changed. A read, an open or New starts the history afresh: no undo goes back past
// them. (Qt Gui: the undo framework lives there.)

#include "app/confighistory.h"

#include <QObject>
#include <QString>

class QUndoStack;

namespace k52 {

class ConfigUndo final : public QObject {
  Q_OBJECT
 public:
  ConfigUndo(AppContext& ctx, QObject* parent = nullptr);
  QUndoStack* stack() const { return stack_; }

  // What changed since the last step, as one step; nothing when nothing changed, or while a
  // step is being undone or redone (the displays it refreshes report their own changes).
  void record(const QString& text = QString());
  // The configuration as it stands now is where the history starts.
  void reset();
  // The configuration was saved under the file name it has now: no step undoes that name.
  void keepFileName();
  bool applying() const { return applying_; }

 signals:
  // A step was recorded, undone or redone, or the history started afresh.
  void changed();

 private:
  friend class ConfigStep;
  void apply(const ConfigDelta& delta, bool undo);
  QString nameOf(const ConfigDelta& delta) const;

  AppContext& ctx_;
  QUndoStack* stack_;
  ConfigState current_;
  bool applying_ = false;
};

// A menu caption as a step's name: without its access key ("&Paste", "粘贴(&P)") and the dots
// of an item that opens a dialog ("&Import CSV...").
QString menuText(const QString& caption);

}  // namespace k52
