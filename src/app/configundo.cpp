#include "app/configundo.h"

#include "app/appcontext.h"
#include "core/langtexts.h"

#include <QRegularExpression>
#include <QUndoCommand>
#include <QUndoStack>

namespace k52 {

namespace {
// Steps kept; each holds only the rows that changed (the image, some 8 KB, when it did).
constexpr int kUndoLimit = 200;
}  // namespace

class ConfigStep final : public QUndoCommand {
 public:
  ConfigStep(ConfigUndo& owner, ConfigDelta delta, const QString& text)
      : QUndoCommand(text), owner_(owner), delta_(std::move(delta)) {}
  void undo() override { owner_.apply(delta_, true); }
  void redo() override {
    // The change is made when the step is pushed; only a redo makes it again.
    if (std::exchange(pushed_, false)) return;
    owner_.apply(delta_, false);
  }

 private:
  ConfigUndo& owner_;
  ConfigDelta delta_;
  bool pushed_ = true;
};

ConfigUndo::ConfigUndo(AppContext& ctx, QObject* parent) : QObject(parent), ctx_(ctx), stack_(new QUndoStack(this)) {
  stack_->setUndoLimit(kUndoLimit);
  current_ = captureConfig(ctx_);
}

void ConfigUndo::record(const QString& text) {
  if (applying_) return;
  ConfigState now = captureConfig(ctx_);
  ConfigDelta delta = diffConfig(current_, now);
  current_ = std::move(now);
  if (delta.empty()) return;
  const QString name = text.isEmpty() ? nameOf(delta) : text;
  stack_->push(new ConfigStep(*this, std::move(delta), name));
  emit changed();
}

void ConfigUndo::reset() {
  stack_->clear();
  current_ = captureConfig(ctx_);
  emit changed();
}

void ConfigUndo::keepFileName() { current_.fileName = ctx_.st.CurDataFile; }

void ConfigUndo::apply(const ConfigDelta& delta, bool undo) {
  applying_ = true;
  applyConfigDelta(ctx_, delta, undo);
  current_ = captureConfig(ctx_);
  applying_ = false;
  emit changed();
}

QString ConfigUndo::nameOf(const ConfigDelta& d) const {
  if (d.band) return ctx_.text(kTextStepBand);
  if (d.rows.size() == 1) return ctx_.text(kTextStepChannel).arg(d.rows.front());
  if (!d.rows.empty())
    return ctx_.text(kTextStepChannel).arg(QStringLiteral("%1-%2").arg(d.rows.front()).arg(d.rows.back()));
  return ctx_.text(kTextStepOptions);
}

QString menuText(const QString& caption) {
  QString s = caption;
  s.remove(QRegularExpression(QStringLiteral("\\(&.\\)")));
  s.remove(QRegularExpression(QStringLiteral("(\\.\\.\\.|\u2026)$")));  // "Import CSV..." opens a dialog; the step does not
  return s.remove(QLatin1Char('&'));
}

}  // namespace k52
