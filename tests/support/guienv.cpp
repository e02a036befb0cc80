#include "support/guienv.h"

#include "gui/qtprintedtable.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QPaintDevice>
#include <QPaintEngine>
#include <QPainter>
#include <QSignalSpy>
#include <QTest>
#include <climits>
#include <gtest/gtest.h>

namespace k52::test {

namespace {

// A page of A4 landscape less 12 mm margins at 1200 dots per inch (the PDF file's page),
// that keeps the texts drawn on it and draws nothing.
class TextRecorder final : public QPaintDevice, QPaintEngine {
 public:
  TextRecorder() : QPaintEngine(QPaintEngine::AllFeatures) {}
  QPaintEngine* paintEngine() const override { return const_cast<TextRecorder*>(this); }
  void newPage() { pages.emplace_back(); }
  std::vector<QStringList> pages{1};

 protected:
  int metric(PaintDeviceMetric m) const override {
    switch (m) {
      case PdmWidth: return 12898;
      case PdmHeight: return 8787;
      case PdmWidthMM: return 273;
      case PdmHeightMM: return 186;
      case PdmDpiX: case PdmDpiY: case PdmPhysicalDpiX: case PdmPhysicalDpiY: return 1200;
      case PdmDevicePixelRatio: return 1;
      case PdmDevicePixelRatioScaled: return static_cast<int>(devicePixelRatioFScale());
      case PdmDepth: return 32;
      case PdmNumColors: return INT_MAX;
    }
    return 0;
  }
  bool begin(QPaintDevice*) override { return true; }
  bool end() override { return true; }
  void updateState(const QPaintEngineState&) override {}
  void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override {}
  void drawPath(const QPainterPath&) override {}
  void drawPolygon(const QPointF*, int, PolygonDrawMode) override {}
  void drawTextItem(const QPointF&, const QTextItem& item) override { pages.back() << item.text(); }
  Type type() const override { return QPaintEngine::User; }
};

// The window tests lay a printed table out with the program's own painting on pages of
// A4 landscape, keeping what was drawn; a PDF file asked for is written as the program
// writes it.
bool layOutTable(ScriptedDialogs& d, const PrintedTable& table, const QString& pdfPath) {
  if (!pdfPath.isEmpty()) {
    writeTablePdf(pdfPath, table);
    d.printedPdfs.push_back(pdfPath);
  }
  TextRecorder recorder;
  QPainter painter(&recorder);
  paintTable(painter, table, [&] { recorder.newPage(); });
  painter.end();
  d.printedPages = recorder.pages;
  return true;
}

const bool tablePrinterSet = (scriptedTablePrinter = layOutTable, true);

}  // namespace
std::unique_ptr<mdifrmMain> startMainWindow(AppContext& ctx, QSize size) {
  auto w = std::make_unique<mdifrmMain>(ctx);
  QSignalSpy finished(w.get(), &mdifrmMain::startupFinished);
  if (size.isValid()) w->resize(size);
  w->show();
  if (!finished.wait(10000)) return nullptr;
  return w;
}

void chooseMenu(mdifrmMain& w, std::initializer_list<const char*> path) {
  auto name = path.begin();
  QMenu* menu = w.findChild<QMenu*>(QLatin1String(*name));
  ASSERT_NE(menu, nullptr) << *name;
  QTest::mouseClick(w.menuBar(), Qt::LeftButton, {}, w.menuBar()->actionGeometry(menu->menuAction()).center());
  for (++name; name != path.end(); ++name) {
    ASSERT_TRUE(menu && menu->isVisible()) << *name;
    QMenu* sub = w.findChild<QMenu*>(QLatin1String(*name));
    QAction* item = sub ? sub->menuAction() : w.findChild<QAction*>(QLatin1String(*name));
    ASSERT_TRUE(item && item->isEnabled()) << *name;
    const QPoint at = menu->actionGeometry(item).center();
    QTest::mouseMove(menu, at);
    QTest::mouseClick(menu, Qt::LeftButton, {}, at);
    menu = sub;
  }
  QApplication::processEvents();
}

}  // namespace k52::test
