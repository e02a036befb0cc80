#pragma once
// The Qt side of the dialog seam: real message boxes, file dialogs and desktop services.

#include "core/dialogs.h"

class QPrinter;
class QWidget;

namespace k52 {

class QtDialogs final : public Dialogs {
 public:
  explicit QtDialogs(QWidget* parent = nullptr) : parent_(parent) {}
  void setParent(QWidget* parent) { parent_ = parent; }
  MsgAnswer messageBox(const QString& prompt, MsgButtons buttons, MsgIcon icon, const QString& title) override;
  QString openFileName(const QString& filter, const QString& initialPath) override;
  QString saveFileName(const QString& filter, const QString& initialPath, const QString& defaultSuffix) override;
  bool shellOpen(const QString& path) override;
  int systemLocaleId() override;
  std::optional<CustomRangeTexts> customRange(const CustomRangeForm& form) override;
  bool printImage(const QImage& image, const QString& jobName) override;
  bool confirmList(const QString& title, const QString& heading, const QStringList& lines, const QString& accept,
                   const QString& reject) override;
  bool printerInstalled() override;
  bool printTable(const PrintedTable& table, const QString& pdfPath) override;

 private:
  // The default printer through the print dialog or, with none installed, a PDF file the
  // user picks. False when the user cancelled.
  bool choosePrinter(QPrinter& printer, const QString& jobName);
  QWidget* parent_;
};

// "Data File(*.dat)|*.dat" to Qt's "Data File(*.dat) (*.dat)".
QString qtFilterOf(const QString& filter);

// Draws the picture on one page of the printer, as large as the page allows without
// distorting it. False when the printer cannot be opened.
bool printImageOn(QPrinter& printer, const QImage& image);

}  // namespace k52
