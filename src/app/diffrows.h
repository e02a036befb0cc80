#pragma once
// A difference between two configurations as the windows show it: in the interface
// language, channel fields by the channel table's headings and choices, options by their
// captions.

#include "core/configdiff.h"

#include <QString>

namespace k52 {

struct AppContext;

struct DiffRow {
  QString where, field, a, b;
};

DiffRow diffRow(const AppContext& ctx, const Difference& d);

}  // namespace k52
