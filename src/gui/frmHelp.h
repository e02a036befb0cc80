#pragma once
// The program's own help window: the guide of the interface language (an HTML file in the
// program folder) in a browser pane, for desktops that have no browser or cannot open the
// compiled help file.

#include <QWidget>

class QTextBrowser;

namespace k52 {

struct AppContext;

class frmHelp : public QWidget {
  Q_OBJECT
 public:
  explicit frmHelp(AppContext& ctx, QWidget* parent = nullptr);

  // Shows the guide in `path`, the window's title in the interface language.
  void showGuide(const QString& path);
  QTextBrowser* browser() const { return txtHelp_; }

 private:
  AppContext& ctx_;
  QTextBrowser* txtHelp_;
};

}  // namespace k52
