#include "gui/frmManyRadios.h"

#include "app/appcontext.h"
#include "app/manyradios.h"
#include "core/datafiles.h"
#include "core/dialogs.h"
#include "core/guarded.h"
#include "core/langtexts.h"
#include "platform/serialdevice.h"
#include "platform/systemclock.h"

#include <QCheckBox>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace k52 {

struct frmManyRadios::Unit {
  PresentPort port;
  std::unique_ptr<UnitRunner> runner;
  bool ticked = false;
  bool present = true;
  QElapsedTimer elapsed;  // since the run started
};

namespace {

QString noMnemonic(QString text) { return text.remove(QLatin1Char('&')); }

QString seconds(int64_t ms) { return QStringLiteral("%1 s").arg(static_cast<double>(ms) / 1000.0, 0, 'f', 1); }

}  // namespace

frmManyRadios::frmManyRadios(AppContext& ctx, UnitDevices devices, QWidget* parent)
    : QDialog(parent), ctx_(ctx), devices_(std::move(devices)), session_(ctx), watcher_(ctx.ini) {
  setObjectName(QStringLiteral("frmManyRadios"));
  setWindowTitle(noMnemonic(ctx.text(kTextManyMenu)));
  auto* layout = new QVBoxLayout(this);

  auto* config = new QHBoxLayout;
  config->addWidget(new QLabel(ctx.text(kTextManyConfig), this));
  optWindow_ = new QRadioButton(ctx.text(kTextDiffThisWindow), this);
  optWindow_->setObjectName(QStringLiteral("optWindow"));
  optWindow_->setChecked(true);
  optFile_ = new QRadioButton(ctx.text(kTextDiffFile), this);
  optFile_->setObjectName(QStringLiteral("optFile"));
  file_ = new QLineEdit(this);
  file_->setObjectName(QStringLiteral("txtFile"));
  file_->setReadOnly(true);
  auto* browse = new QPushButton(ctx.text(kTextManyBrowse), this);
  browse->setObjectName(QStringLiteral("cmdBrowse"));
  config->addWidget(optWindow_);
  config->addWidget(optFile_);
  config->addWidget(file_, 1);
  config->addWidget(browse);
  layout->addLayout(config);

  auto* run = new QHBoxLayout;
  verify_ = new QCheckBox(ctx.text(kTextManyVerify), this);
  verify_->setObjectName(QStringLiteral("chkVerify"));
  verify_->setChecked(true);
  start_ = new QPushButton(ctx.text(kTextManyStart), this);
  start_->setObjectName(QStringLiteral("cmdStart"));
  tally_ = new QLabel(this);
  tally_->setObjectName(QStringLiteral("lblTally"));
  run->addWidget(verify_);
  run->addWidget(start_);
  run->addWidget(tally_, 1);
  layout->addLayout(run);

  table_ = new QTableWidget(0, ColumnCount, this);
  table_->setObjectName(QStringLiteral("tblPorts"));
  QStringList headers;
  for (int c = ColPort; c <= ColResult; ++c) headers << ctx.text(kTextManyPort + c);
  headers << QString();
  table_->setHorizontalHeaderLabels(headers);
  table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table_->setSelectionBehavior(QAbstractItemView::SelectRows);
  table_->setSelectionMode(QAbstractItemView::SingleSelection);
  table_->verticalHeader()->hide();
  QHeaderView* h = table_->horizontalHeader();
  h->setSectionResizeMode(QHeaderView::ResizeToContents);
  h->setSectionResizeMode(ColDevice, QHeaderView::Interactive);
  h->setSectionResizeMode(ColProgress, QHeaderView::Fixed);
  h->setSectionResizeMode(ColResult, QHeaderView::Stretch);
  table_->setColumnWidth(ColDevice, 220);
  table_->setColumnWidth(ColProgress, 110);
  table_->installEventFilter(this);
  layout->addWidget(table_, 1);

  // No default button: Enter on a row starts that row's port again.
  for (QPushButton* b : {browse, start_}) b->setAutoDefault(false);
  connect(browse, &QPushButton::clicked, this, &frmManyRadios::browse);
  connect(start_, &QPushButton::clicked, this, &frmManyRadios::startTicked);
  connect(optWindow_, &QRadioButton::toggled, this, [this] { image_.reset(); });
  connect(&watcher_, &PortWatcher::portsChanged, this, &frmManyRadios::refreshPorts);
  clockTick_.setInterval(1000);
  connect(&clockTick_, &QTimer::timeout, this, [this] {
    for (size_t i = 0; i < units_.size(); ++i)
      if (units_[i]->runner && units_[i]->runner->isRunning()) table_->item(static_cast<int>(i), ColTime)->setText(seconds(units_[i]->elapsed.elapsed()));
    if (!anyRunning()) clockTick_.stop();
  });
  resize(1000, 420);
}

frmManyRadios::~frmManyRadios() = default;

void frmManyRadios::showEvent(QShowEvent* event) {
  watcher_.start();  // the rows follow its first look
  if (units_.empty()) refreshPorts();
  QDialog::showEvent(event);
}

void frmManyRadios::hideEvent(QHideEvent* event) {
  watcher_.stop();
  QDialog::hideEvent(event);
}

bool frmManyRadios::eventFilter(QObject* watched, QEvent* event) {
  if (watched == table_ && event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    const int row = table_->currentRow();
    if ((key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_F5) && row >= 0 && row < static_cast<int>(units_.size())) {
      startUnit(*units_[static_cast<size_t>(row)]);
      return true;
    }
  }
  return QDialog::eventFilter(watched, event);
}

int frmManyRadios::rowOf(const QString& device) const {
  for (size_t i = 0; i < units_.size(); ++i)
    if (units_[i]->port.details.device == device) return static_cast<int>(i);
  return -1;
}

bool frmManyRadios::anyRunning() const {
  for (const auto& u : units_)
    if (u->runner && u->runner->isRunning()) return true;
  return false;
}

void frmManyRadios::refreshPorts() {
  guarded(ctx_.log, "frmManyRadios->RefreshPorts", [&] {
    const std::vector<PresentPort>& now = watcher_.ports();
    for (auto& u : units_) u->present = false;
    std::vector<std::unique_ptr<Unit>> next;
    for (const PresentPort& p : now) {
      auto same = std::find_if(units_.begin(), units_.end(), [&](const auto& u) { return u && u->port.details.device == p.details.device; });
      std::unique_ptr<Unit> unit;
      if (same != units_.end()) {
        unit = std::move(*same);
      } else {
        unit = std::make_unique<Unit>();
      }
      unit->port = p;
      unit->present = true;
      next.push_back(std::move(unit));
    }
    // A cable pulled out during a run keeps its row until the unit has told how it ended.
    for (auto& u : units_)
      if (u && u->runner && u->runner->isRunning()) next.push_back(std::move(u));
    units_ = std::move(next);
    showRows();
  });
}

void frmManyRadios::showRows() {
  // A row's widgets stay while the rows are shown again (a cable plugged in above it moves
  // it down); they find their unit by the device they are given.
  table_->setRowCount(static_cast<int>(units_.size()));
  for (int row = 0; row < table_->rowCount(); ++row) {
    Unit& u = *units_[static_cast<size_t>(row)];
    const QString device = u.port.details.device;
    auto* tick = qobject_cast<QCheckBox*>(table_->cellWidget(row, ColPort));
    if (!tick) {
      tick = new QCheckBox(table_);
      connect(tick, &QCheckBox::toggled, this, [this, tick](bool on) {
        if (const int r = rowOf(tick->property("device").toString()); r >= 0) units_[static_cast<size_t>(r)]->ticked = on;
      });
      table_->setCellWidget(row, ColPort, tick);
      auto* bar = new QProgressBar(table_);
      bar->setRange(0, 100);
      table_->setCellWidget(row, ColProgress, bar);
      auto* again = new QPushButton(ctx_.text(kTextManyAgain), table_);
      again->setAutoDefault(false);
      connect(again, &QPushButton::clicked, this, [this, again] {
        if (const int r = rowOf(again->property("device").toString()); r >= 0) startUnit(*units_[static_cast<size_t>(r)]);
      });
      table_->setCellWidget(row, ColAgain, again);
      for (int c : {ColDevice, ColState, ColIdent, ColTime, ColResult}) table_->setItem(row, c, new QTableWidgetItem);
    }
    auto* again = qobject_cast<QPushButton*>(table_->cellWidget(row, ColAgain));
    tick->setProperty("device", device);
    again->setProperty("device", device);
    tick->setObjectName(QStringLiteral("chkPort%1").arg(u.port.portNo));
    again->setObjectName(QStringLiteral("cmdAgain%1").arg(u.port.portNo));
    tick->setText(QStringLiteral("COM%1").arg(u.port.portNo));
    const QSignalBlocker quiet(tick);
    tick->setChecked(u.ticked);
    table_->item(row, ColTime)->setText(u.runner && u.runner->isRunning() ? seconds(u.elapsed.elapsed()) : QString());
    showRow(row);
  }
}

void frmManyRadios::showRow(int row) {
  const Unit& u = *units_[static_cast<size_t>(row)];
  const SerialDeviceDetails& d = u.port.details;
  QStringList device{d.device};
  if (!d.product().isEmpty()) device << d.product();
  if (!d.serialNumber.isEmpty()) device << d.serialNumber;
  table_->item(row, ColDevice)->setText(device.join(QStringLiteral(" \u00b7 ")));
  table_->item(row, ColDevice)->setToolTip(device.join(QLatin1Char('\n')));
  const UnitRunner* r = u.runner.get();
  const bool running = r && r->isRunning();
  const UnitState state = !r ? UnitState::Idle : running ? r->state() : r->result().state;
  table_->item(row, ColState)->setText(unitStateText(ctx_, state));
  if (auto* bar = qobject_cast<QProgressBar*>(table_->cellWidget(row, ColProgress)))
    bar->setValue(!r ? 0 : running ? r->percent() : r->result().passed() ? 100 : r->percent());
  table_->item(row, ColIdent)->setText(r ? identText(running ? r->ident() : r->result().ident) : QString());
  const QString result = r && !running ? unitResultText(ctx_, r->result()) : QString();
  table_->item(row, ColResult)->setText(result);
  table_->item(row, ColResult)->setToolTip(result);
  table_->item(row, ColResult)->setForeground(r && !running && !r->result().passed() ? QBrush(Qt::red) : QBrush());
  if (r && !running) table_->item(row, ColTime)->setText(seconds(r->result().durationMs));
  if (!r) table_->item(row, ColTime)->setText(QString());
  if (auto* again = qobject_cast<QPushButton*>(table_->cellWidget(row, ColAgain))) again->setEnabled(!running && u.present);
}

void frmManyRadios::browse() {
  const QString filter = QString::fromLatin1(kDatFilter) + QLatin1Char('|') + ctx_.text(kTextCsvFilter);
  const QString path = ctx_.dialogs.openFileName(filter, file_->text().isEmpty() ? ctx_.st.CurDataFile : file_->text());
  if (path.isEmpty()) return;
  file_->setText(path);
  optFile_->setChecked(true);
  image_.reset();
}

bool frmManyRadios::prepareImage() {
  if (image_) return true;
  ctx_.views->commitPendingEdits();
  const QString path = optFile_->isChecked() ? file_->text() : QString();
  if (guarded(ctx_.log, "frmManyRadios->PrepareImage", [&] { image_ = manyRadiosImage(session_, path); })) return true;
  ctx_.dialogs.messageBox(ctx_.text(kTextWrongFileType), MsgButtons::Ok, MsgIcon::Critical, ctx_.text(kTextNotice));
  return false;
}

void frmManyRadios::startTicked() {
  if (std::none_of(units_.begin(), units_.end(), [](const auto& u) { return u->ticked && u->present; })) {
    ctx_.dialogs.messageBox(ctx_.text(kTextManyNoneTicked), MsgButtons::Ok, MsgIcon::Information, ctx_.text(kTextNotice));
    return;
  }
  image_.reset();  // the configuration as it is now
  if (!prepareImage()) return;
  for (auto& u : units_)
    if (u->ticked && u->present) startUnit(*u);
}

void frmManyRadios::startUnit(Unit& unit) {
  if (!unit.present || (unit.runner && unit.runner->isRunning()) || !prepareImage()) return;
  if (!unit.runner) {
    unit.runner = std::make_unique<UnitRunner>(devices_);
    UnitRunner* r = unit.runner.get();
    auto show = [this, r] {
      for (size_t i = 0; i < units_.size(); ++i)
        if (units_[i]->runner.get() == r) showRow(static_cast<int>(i));
    };
    connect(r, &UnitRunner::stateChanged, this, show);
    connect(r, &UnitRunner::progressChanged, this, show);
    connect(r, &UnitRunner::identified, this, show);
    connect(r, &UnitRunner::finished, this, [this, &unit](const UnitResult& result) { unitFinished(unit, result); });
  }
  if (!unit.runner->start(manyRadiosJob(session_, *image_, unit.port.details.device, verify_->isChecked()))) return;
  unit.elapsed.start();
  clockTick_.start();
  const int row = rowOf(unit.port.details.device);
  if (row >= 0) {
    table_->item(row, ColTime)->setText(seconds(0));
    showRow(row);
  }
  showTally();
}

void frmManyRadios::unitFinished(Unit& unit, const UnitResult& result) {
  recordUnit(ctx_, result, unit.port.details.serialNumber);
  const int row = rowOf(unit.port.details.device);
  if (row >= 0) showRow(row);
  if (!unit.present) QTimer::singleShot(0, this, &frmManyRadios::refreshPorts);  // its cable is gone: the row goes
  showTally();
}

void frmManyRadios::showTally() {
  int passed = 0, failed = 0;
  for (const auto& u : units_) {
    if (!u->runner || u->runner->isRunning() || u->runner->result().state == UnitState::Idle) continue;
    (u->runner->result().passed() ? passed : failed) += 1;
  }
  tally_->setText(passed + failed ? ctx_.text(kTextManyTally).arg(passed).arg(failed) : QString());
}

frmManyRadios* showManyRadios(AppContext& ctx, QWidget* parent) {
  auto* w = parent->findChild<frmManyRadios*>(QStringLiteral("frmManyRadios"), Qt::FindDirectChildrenOnly);
  if (!w) {
    UnitDevices devices{[] { return std::unique_ptr<SerialPort>(std::make_unique<SerialDevice>()); },
                        [] { return std::unique_ptr<Clock>(std::make_unique<SystemClock>()); }};
    w = new frmManyRadios(ctx, std::move(devices), parent);
  }
  w->show();
  w->raise();
  w->activateWindow();
  return w;
}

}  // namespace k52
