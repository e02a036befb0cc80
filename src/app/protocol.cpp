#include "app/protocol.h"

#include "core/guarded.h"
#include "app/appcontext.h"

namespace k52 {

namespace {

constexpr int kTextNoReply = 175;  // "Rx：Communication failed! No receive Data!"

class ErrorLogSink final : public FaultSink {
 public:
  explicit ErrorLogSink(ErrorLog& log) : log_(log) {}
  void LogError(const QString& procName, int number, const QString& source) override {
    log_.LogError(procName, number, source);
  }

 private:
  ErrorLog& log_;
};

}  // namespace

ProtocolEngine& commEngine(AppContext& ctx) {
  CommState& c = ctx.com;
  if (!c.engine || &c.engine->port() != ctx.port.get() || &c.engine->clock() != &ctx.clock) {
    c.engineLog = std::make_unique<ErrorLogSink>(ctx.log);
    c.engine = std::make_unique<ProtocolEngine>(*ctx.port, ctx.clock, *c.engineLog);
  }
  c.engine->setTraffic(c.traffic);
  c.engine->setNoReplyLine(ctx.text(kTextNoReply));
  return *c.engine;
}

void InitProtocol(AppContext& ctx) {
  guarded(ctx.log, "modCommun->InitProtocol", [&] {
    const AppState& s = ctx.st;
    ctx.com.scripts.clear();
    ctx.com.scripts = buildScripts({s.ReadStartAddr, s.ReadEndAddr}, {s.WriteStartAddr, s.WriteEndAddr});
  });
}

void ConvComCode(AppContext& ctx, const QString& script) { commEngine(ctx).loadScript(script); }

void ProtocolCom(AppContext& ctx) { commEngine(ctx).runScript(); }

void RxComDat(AppContext& ctx, int16_t n) { commEngine(ctx).receiveReply(n); }

}  // namespace k52
