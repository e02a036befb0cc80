#include "gui/qtdialogs.h"

#include "gui/frmCustomFre.h"
#include "core/k52error.h"
#include "gui/qtprintedtable.h"

#include <QDesktopServices>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QGuiApplication>
#include <QVBoxLayout>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QImage>
#include <QLocale>
#include <QMessageBox>
#include <QPainter>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QStringList>
#include <QUrl>

#include <algorithm>

namespace k52 {

QString qtFilterOf(const QString& filter) {
  const QStringList parts = filter.split(QLatin1Char('|'));
  QStringList out;
  for (int i = 0; i + 1 < parts.size(); i += 2) out << QStringLiteral("%1 (%2)").arg(parts[i], parts[i + 1]);
  return out.join(QStringLiteral(";;"));
}

MsgAnswer QtDialogs::messageBox(const QString& prompt, MsgButtons buttons, MsgIcon icon, const QString& title) {
  QMessageBox box(parent_);
  box.setWindowTitle(title);
  box.setText(prompt);
  switch (icon) {
    case MsgIcon::Question: box.setIcon(QMessageBox::Question); break;
    case MsgIcon::Critical: box.setIcon(QMessageBox::Critical); break;
    case MsgIcon::Exclamation: box.setIcon(QMessageBox::Warning); break;
    case MsgIcon::Information: box.setIcon(QMessageBox::Information); break;
    case MsgIcon::None: break;
  }
  if (buttons == MsgButtons::YesNo) {
    box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
    box.setDefaultButton(QMessageBox::Yes);
    return box.exec() == QMessageBox::Yes ? MsgAnswer::Yes : MsgAnswer::No;
  }
  if (buttons == MsgButtons::YesNoCancel) {
    box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    box.setDefaultButton(QMessageBox::Yes);
    box.setEscapeButton(QMessageBox::Cancel);
    const int answer = box.exec();
    return answer == QMessageBox::Yes ? MsgAnswer::Yes : answer == QMessageBox::No ? MsgAnswer::No : MsgAnswer::Cancel;
  }
  box.setStandardButtons(QMessageBox::Ok);
  box.exec();
  return MsgAnswer::Ok;
}

bool QtDialogs::confirmList(const QString& title, const QString& heading, const QStringList& lines,
                            const QString& accept, const QString& reject) {
  QDialog box(parent_);
  box.setWindowTitle(title);
  auto* layout = new QVBoxLayout(&box);
  auto* label = new QLabel(heading, &box);
  label->setWordWrap(true);
  layout->addWidget(label);
  auto* list = new QListWidget(&box);
  list->addItems(lines);
  // As wide as the longest line where the screen has room for it; a longer one scrolls.
  const QScreen* screen = parent_ ? parent_->screen() : QGuiApplication::primaryScreen();
  const int room = screen ? screen->availableGeometry().width() - 80 : 520;
  const int longest = list->sizeHintForColumn(0) + 2 * list->frameWidth() + list->verticalScrollBar()->sizeHint().width();
  list->setMinimumWidth(std::max(520, std::min(longest, room)));
  layout->addWidget(list);
  auto* buttons = new QDialogButtonBox(&box);
  // Nothing is the default: the user has to choose to import what the list leaves.
  QPushButton* yes = buttons->addButton(accept, QDialogButtonBox::AcceptRole);
  QPushButton* no = buttons->addButton(reject, QDialogButtonBox::RejectRole);
  yes->setAutoDefault(false);
  no->setDefault(true);
  QObject::connect(buttons, &QDialogButtonBox::accepted, &box, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &box, &QDialog::reject);
  layout->addWidget(buttons);
  return box.exec() == QDialog::Accepted;
}

QString QtDialogs::openFileName(const QString& filter, const QString& initialPath) {
  return QFileDialog::getOpenFileName(parent_, QString(), QFileInfo(initialPath).absolutePath(), qtFilterOf(filter));
}

QString QtDialogs::saveFileName(const QString& filter, const QString& initialPath, const QString& defaultSuffix) {
  QFileDialog dlg(parent_, QString(), QFileInfo(initialPath).absolutePath(), qtFilterOf(filter));
  dlg.setAcceptMode(QFileDialog::AcceptSave);
  dlg.setDefaultSuffix(defaultSuffix);
  if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return QString();
  return dlg.selectedFiles().constFirst();
}

bool QtDialogs::shellOpen(const QString& path) { return QDesktopServices::openUrl(QUrl::fromLocalFile(path)); }

std::optional<CustomRangeTexts> QtDialogs::customRange(const CustomRangeForm& form) {
  frmCustomFre dlg(form, parent_);
  if (dlg.exec() != QDialog::Accepted) return std::nullopt;
  return dlg.texts();
}

bool printImageOn(QPrinter& printer, const QImage& image) {
  QPainter painter;
  if (image.isNull() || !painter.begin(&printer)) return false;
  const QRect page = painter.viewport();
  QSize size = image.size();
  size.scale(page.size(), Qt::KeepAspectRatio);
  painter.setViewport(page.x(), page.y(), size.width(), size.height());
  painter.setWindow(image.rect());
  painter.setRenderHint(QPainter::SmoothPixmapTransform);
  painter.drawImage(0, 0, image);
  return painter.end();
}

bool QtDialogs::choosePrinter(QPrinter& printer, const QString& jobName) {
  printer.setDocName(jobName);
  if (QPrinterInfo::availablePrinterNames().isEmpty()) {
    // Nothing to print on: the pages go into a PDF file instead.
    const QString name = jobName.isEmpty() ? QStringLiteral("print") : jobName;
    const QString path = saveFileName(QStringLiteral("PDF(*.pdf)|*.pdf"), QDir::home().filePath(name + QStringLiteral(".pdf")),
                                      QStringLiteral("pdf"));
    if (path.isEmpty()) return false;
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path);
    return true;
  }
  QPrintDialog dlg(&printer, parent_);
  return dlg.exec() == QDialog::Accepted;
}

bool QtDialogs::printImage(const QImage& image, const QString& jobName) {
  QPrinter printer(QPrinter::HighResolution);  // the default printer, where there is one
  printer.setPageOrientation(image.width() > image.height() ? QPageLayout::Landscape : QPageLayout::Portrait);
  return choosePrinter(printer, jobName) && printImageOn(printer, image);
}

bool QtDialogs::printerInstalled() { return !QPrinterInfo::availablePrinterNames().isEmpty(); }

bool QtDialogs::printTable(const PrintedTable& table, const QString& pdfPath) {
  if (!pdfPath.isEmpty()) {
    writeTablePdf(pdfPath, table);
    return true;
  }
  QPrinter printer(QPrinter::HighResolution);  // the default printer
  printer.setDocName(table.title);
  printer.setPageOrientation(QPageLayout::Landscape);  // the grid's columns side by side
  QPrintPreviewDialog preview(&printer, parent_);
  bool painted = true;
  // The preview paints its pages, and the print itself, through this.
  QObject::connect(&preview, &QPrintPreviewDialog::paintRequested, &preview, [&](QPrinter* target) {
    QPainter painter;
    painted = painter.begin(target);
    if (!painted) return;
    paintTable(painter, table, [target] { target->newPage(); });
    painted = painter.end();
  });
  if (preview.exec() != QDialog::Accepted) return false;
  if (!painted || printer.printerState() == QPrinter::Error) raiseError(ErrPrinter, printer.printerName());
  return true;
}

int QtDialogs::systemLocaleId() { return localeIdOf(QLocale::system().name()); }

}  // namespace k52
