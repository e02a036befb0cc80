#include "app/optcodec.h"

#include "core/guarded.h"
#include "core/addressmap.h"
#include "app/bandtable.h"
#include "app/chcodec.h"
#include "app/charcodec.h"
#include "core/numbers.h"
#include "app/appcontext.h"
#include "core/inifile.h"

namespace k52 {

void OptNowDefSol(AppContext& ctx, int16_t mode) {
  guarded(ctx.log, "modSysSet->OptNowDefSol", [&] {
    ctx.st.CurLang = validLang(ctx.st.CurLang);
    const int b = 1000 * ctx.st.CurLang;
    const QString section = QStringLiteral("Option");
    auto read = [&](int key) { return textToInt16(readClean(ctx.ini, section, QString::number(key), QStringLiteral("0"), 19)); };
    OptionTable& t = ctx.opt;
    t.OptCount = read(0);
    if (mode == kLoadOptionDefaults) {
      for (int i = 1; i <= t.OptCount; ++i) t.OptDef(i) = read(b + i);
      for (int i = 1; i <= t.OptCount; ++i) t.OptSel(i) = read(b + 500 + i);
    } else if (mode == kResetOptionsToDefaults) {
      for (int i = 1; i <= t.OptCount; ++i) t.OptSel(i) = t.OptDef(i);
      IniFile::Batch batch(ctx.ini);
      for (int i = 1; i <= t.OptCount; ++i) ctx.ini.write(section, QString::number(b + 500 + i), QString::number(t.OptSel(i)));
      if (!batch.commit()) ctx.ini.raiseWriteFailure();
    }
  });
}

void OptSelSaveSol(AppContext& ctx, int16_t direction) {
  guarded(ctx.log, "modSysSet->OptSelSaveSol", [&] {
    if (direction == kTablesToImage)
      OptSelToSave(ctx);
    else if (direction == kImageToTables)
      SaveToOptSel(ctx);
  });
}

RadioOptions optionsFromTables(const AppContext& ctx) {
  RadioOptions o;
  for (const OptionField& f : kOptionFields) o[f.entry] = ctx.opt.OptSel(f.entry);
  for (int i = 0; i < kNameLength; ++i) o.powerOnMessage[static_cast<size_t>(i)] = ctx.opt.OptSel(kOptPowerOnMsg + i);
  return o;
}

FmStations stationsFromTables(const AppContext& ctx) {
  FmStations fm{};
  for (int i = 0; i < addr::kFmStationCount; ++i) fm[static_cast<size_t>(i)] = ctx.opt.OptSel(kOptFmStation + i);
  return fm;
}

void storeOptions(AppContext& ctx, const RadioOptions& options, const FmStations& fm) {
  for (const OptionField& f : kOptionFields) ctx.opt.OptSel(f.entry) = options[f.entry];
  for (int i = 0; i < kNameLength; ++i) ctx.opt.OptSel(kOptPowerOnMsg + i) = options.powerOnMessage[static_cast<size_t>(i)];
  for (int i = 0; i < addr::kFmStationCount; ++i) ctx.opt.OptSel(kOptFmStation + i) = fm[static_cast<size_t>(i)];
}

void OptSelToSave(AppContext& ctx) { encodeOptionsFromTables(ctx); }

void encodeOptionsFromTables(AppContext& ctx) {
  guarded(ctx.log, "modSysSet->OptSelToSave", [&] {
    const Encoded out = encodeOptions(optionsFromTables(ctx), stationsFromTables(ctx),
                                      {ctx.band.LowerLimit, ctx.band.UpperLimit}, codecTables(ctx), ctx.IicDat);
    // A selection too large for its byte was written as its default, and is the default now.
    for (const int entry : out.replacedByDefault) ctx.opt.OptSel(entry) = ctx.opt.OptDef(entry);
    logProblems(ctx, out.problems);
  });
}

void SaveToOptSel(AppContext& ctx) { decodeOptionsIntoTables(ctx); }

void decodeOptionsIntoTables(AppContext& ctx) {
  guarded(ctx.log, "modSysSet->SaveToOptSel", [&] {
    RadioOptions options = optionsFromTables(ctx);
    FmStations fm = stationsFromTables(ctx);
    Problems problems;
    decodeOptions(ctx.IicDat, codecTables(ctx), options, fm, problems);
    storeOptions(ctx, options, fm);
    logProblems(ctx, problems);
  });
}

}  // namespace k52
