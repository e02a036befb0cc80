#pragma once
// File -> Compare with File and Program -> Compare with Radio: the configuration in the
// window beside a data file or what the radio holds, in a list of differences. Nothing in
// the window changes.

class QDialog;
class QWidget;

namespace k52 {

struct AppContext;
struct ConfigComparison;

// The list of differences (the write's own stamps below it, apart), shown without blocking.
QDialog* showComparison(AppContext& ctx, QWidget* parent, const ConfigComparison& c, int otherCaption);
void compareWithFile(AppContext& ctx, QWidget* parent);
void compareWithRadio(AppContext& ctx, QWidget* parent);

}  // namespace k52
