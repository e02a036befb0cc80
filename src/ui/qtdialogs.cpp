#include "ui/qtdialogs.h"

#include "editor/frmCustomFre.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QLocale>
#include <QMessageBox>
#include <QStringList>
#include <QUrl>

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
  box.setStandardButtons(QMessageBox::Ok);
  box.exec();
  return MsgAnswer::Ok;
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

int QtDialogs::systemLocaleId() { return localeIdOf(QLocale::system().name()); }

}  // namespace k52
