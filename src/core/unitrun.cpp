#include "core/unitrun.h"

#include "core/guarded.h"
#include "core/imagetransfer.h"
#include "core/numbers.h"
#include "core/writeverify.h"

#include <QCryptographicHash>
#include <QThread>
#include <algorithm>
#include <utility>

namespace k52 {

struct UnitRunner::Shared {
  std::atomic<bool> stop{false};
};

namespace {

// The engine's faults, kept on the unit's thread and handed over with the result.
class UnitFaults final : public FaultSink {
 public:
  void LogError(const QString& procName, int number, const QString& source) override {
    entries.push_back({procName, number, source});
  }
  std::vector<UnitFault> entries;
};

// The progress of one stage, passed on only when the percent changes: a transfer reports
// after every one of its five hundred scripts.
class StageProgress final : public TransferProgress {
 public:
  StageProgress(const std::atomic<bool>& stop, std::function<void(int)> percent, std::function<void()> firstScript)
      : stop_(stop), percent_(std::move(percent)), firstScript_(std::move(firstScript)) {}
  void ShowComPercent(int16_t p) override {
    if (firstScript_) std::exchange(firstScript_, nullptr)();
    if (p == last_) return;
    last_ = p;
    percent_(p);
  }
  bool stopRequested() override { return stop_.load(std::memory_order_relaxed); }

 private:
  const std::atomic<bool>& stop_;
  std::function<void(int)> percent_;
  std::function<void()> firstScript_;
  int last_ = -1;
};

// A unit polls for a reply every 5 ms, 30 times: the communication window's time-out of
// 150 ms with a fifth of the wake-ups, which count when many ports run at once. Before it
// polls it sleeps through the time the frame and the reply take on the line at 9600 baud
// (ten bits a byte): a byte coming in then wakes nobody. A reply is taken as soon as it is in.
constexpr int16_t kLineByteUs = 1042;
constexpr ReplyPolls kUnitPolls{5, 30, kLineByteUs};

// How a transfer that did not go through ends the unit.
void takeFailedTransfer(UnitResult& r, const TransferOutcome& t, const ScriptStore& scripts, int dir, UnitState stage) {
  r.failedIn = stage;
  switch (t.end) {
    case TransferEnd::Failed:
      // The handshake is every transfer's first script.
      if (t.failedScript == 1) {
        r.failure = UnitFailure::NoAnswer;
      } else {
        r.failure = UnitFailure::ScriptFailed;
        r.failedScript = t.failedScript;
        const ScriptParams& p = scripts.ScriptPara(dir, t.failedScript);
        r.failedAddress = p.P2 > 0 ? p.P1 : -1;
      }
      break;
    case TransferEnd::Stopped:
      r.failure = UnitFailure::Stopped;
      break;
    case TransferEnd::PortNotOpened:
      r.failure = UnitFailure::PortNotOpened;
      r.portFault = t.portFault;
      break;
    case TransferEnd::Refused:
      r.failure = UnitFailure::Broken;
      r.faults.push_back({QStringLiteral("modUnitRun->ProgramUnit"), ErrBounds,
                          QString::asprintf("range %04X-%04X outside the image", t.outside.start, t.outside.end)});
      break;
    case TransferEnd::Succeeded:
    case TransferEnd::Broken:
      r.failure = UnitFailure::Broken;
      break;
  }
}

// The first run of addresses at which the two images differ (start > end: none).
AddressRange firstDifferingRun(const MemoryImage& a, const MemoryImage& b) {
  const int n = std::min(a.size(), b.size());
  int i = 0;
  while (i < n && a.at(i) == b.at(i)) ++i;
  if (i == n) return a.size() == b.size() ? AddressRange{1, 0} : AddressRange{n, std::max(a.size(), b.size()) - 1};
  int j = i;
  while (j + 1 < n && a.at(j + 1) != b.at(j + 1)) ++j;
  return {i, j};
}

}  // namespace

QString unitStateWords(UnitState state) {
  switch (state) {
    case UnitState::Idle: return QStringLiteral("idle");
    case UnitState::Handshake: return QStringLiteral("handshake");
    case UnitState::Writing: return QStringLiteral("writing");
    case UnitState::Verifying: return QStringLiteral("verifying");
    case UnitState::Passed: return QStringLiteral("passed");
    case UnitState::Failed: return QStringLiteral("failed");
  }
  return {};
}

QString unitFailureWords(const UnitResult& r) {
  const QString during = r.failedIn == UnitState::Verifying ? QStringLiteral(" (verify read)") : QString();
  switch (r.failure) {
    case UnitFailure::None:
      return {};
    case UnitFailure::NoAnswer:
      return QStringLiteral("no answer") + during;
    case UnitFailure::ScriptFailed:
      return QStringLiteral("script %1 failed seven times (%2)%3")
          .arg(r.failedScript)
          .arg(r.failedAddress >= 0 ? QStringLiteral("address ") + hex4(r.failedAddress) : QStringLiteral("no data"))
          .arg(during);
    case UnitFailure::PortNotOpened:
      return QStringLiteral("port not opened: ") + r.portFault;
    case UnitFailure::Stopped:
      return QStringLiteral("stopped");
    case UnitFailure::VerifyDifferent:
      if (r.difference)
        return QStringLiteral("verify: %1 %2 written %3, read %4")
            .arg(r.difference->where, r.difference->fieldName, r.difference->textA, r.difference->textB);
      return QStringLiteral("verify: bytes %1-%2 differ").arg(hex4(r.differingBytes.start), hex4(r.differingBytes.end));
    case UnitFailure::Broken:
      if (!r.faults.empty())
        return QStringLiteral("fault %1 in %2").arg(r.faults.front().number).arg(r.faults.front().procName);
      return QStringLiteral("fault");
  }
  return {};
}

UnitRunner::UnitRunner(UnitDevices devices, QObject* parent)
    : QObject(parent), devices_(std::move(devices)), shared_(std::make_shared<Shared>()) {}

UnitRunner::~UnitRunner() {
  shared_->stop = true;
  if (thread_) thread_->wait();
}

bool UnitRunner::start(UnitJob job) {
  if (running_) return false;
  if (thread_) thread_->wait();  // a thread that has delivered its result ends at once
  running_ = true;
  shared_->stop = false;
  percent_ = 0;
  ident_.clear();
  state_ = UnitState::Handshake;
  emit stateChanged(state_);
  emit progressChanged(0);
  thread_.reset(QThread::create([this, job = std::move(job)] { runOnUnitThread(job); }));
  thread_->setObjectName(QStringLiteral("unit ") + job.port);
  thread_->start();
  return true;
}

void UnitRunner::stop() { shared_->stop = true; }

void UnitRunner::post(std::function<void()> onRunnerThread) {
  QMetaObject::invokeMethod(this, std::move(onRunnerThread), Qt::QueuedConnection);
}

void UnitRunner::runOnUnitThread(const UnitJob& job) {
  UnitResult r;
  r.port = job.port;
  r.imageSha256 = QCryptographicHash::hash(job.image.toByteArray(), QCryptographicHash::Sha256);
  auto readBack = std::make_shared<ReadBack>();
  UnitFaults faults;
  std::unique_ptr<Clock> clock = devices_.clock();
  std::unique_ptr<SerialPort> port = devices_.port();
  r.startedAt = clock->now();
  const int64_t startMs = clock->tickMs();
  const auto stage = [this](UnitState s) {
    post([this, s] {
      state_ = s;
      percent_ = 0;
      emit stateChanged(s);
      emit progressChanged(0);
    });
  };
  const auto percent = [this](int p) {
    post([this, p] {
      percent_ = p;
      emit progressChanged(p);
    });
  };
  const bool ran = guarded(faults, "modUnitRun->ProgramUnit", [&] {
    if (!port->open(job.port)) {
      r.failure = UnitFailure::PortNotOpened;
      r.failedIn = UnitState::Handshake;
      r.portFault = port->lastFaultText();
      return;
    }
    struct Closer {  // also when the unit breaks off with a fault
      SerialPort& port;
      ~Closer() { port.close(); }
    } closer{*port};
    ProtocolEngine engine(*port, *clock, faults);
    const ScriptStore scripts = buildScripts({1, 0}, job.written);
    // The handshake's reply leaves the radio's identification in the block buffer.
    StageProgress writing(shared_->stop, percent, [&] {
      for (int k = 1; k <= 8; ++k) r.ident.append(static_cast<char>(engine.VarBuf(k)));
      post([this, ident = r.ident] {
        ident_ = ident;
        emit identified(ident);
      });
      stage(UnitState::Writing);
    });
    MemoryImage sent = job.image;
    const TransferOutcome written = transferImage(engine, scripts, kWriteDir, sent, writing, kUnitPolls);
    if (written.end != TransferEnd::Succeeded) {
      takeFailedTransfer(r, written, scripts, kWriteDir, r.ident.isEmpty() ? UnitState::Handshake : UnitState::Writing);
      return;
    }
    if (!job.verify) return;
    stage(UnitState::Verifying);
    StageProgress verifying(shared_->stop, percent, {});
    *readBack = readBackWritten(engine, job.written, job.image, verifying, kUnitPolls);
    if (readBack->transfer.end != TransferEnd::Succeeded) {
      takeFailedTransfer(r, readBack->transfer, buildScripts(job.written, {1, 0}), kReadDir, UnitState::Verifying);
      return;
    }
    if (!readBack->passed()) {
      r.failure = UnitFailure::VerifyDifferent;
      r.failedIn = UnitState::Verifying;
      r.differingBytes = firstDifferingRun(readBack->expected, readBack->read);
    }
  });
  if (!ran && r.failure == UnitFailure::None) r.failure = UnitFailure::Broken;
  r.faults.insert(r.faults.begin(), faults.entries.begin(), faults.entries.end());
  r.state = r.failure == UnitFailure::None ? UnitState::Passed : UnitState::Failed;
  r.durationMs = clock->tickMs() - startMs;
  if (r.failure != UnitFailure::VerifyDifferent) readBack.reset();
  post([this, r = std::move(r), readBack, describe = job.firstDifference]() mutable {
    if (readBack && describe) r.difference = describe(readBack->expected, readBack->read);
    deliver(std::move(r));
  });
}

void UnitRunner::deliver(UnitResult result) {
  if (thread_) thread_->wait();  // it posted this as its last step
  running_ = false;
  result_ = std::move(result);
  state_ = result_.state;
  emit stateChanged(state_);
  emit finished(result_);
}

}  // namespace k52
