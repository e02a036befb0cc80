#include "ui/inifile.h"

#include <QFile>
#include <QSaveFile>

// Names and values are UTF-8 bytes, passed through unchanged.
#define SI_NO_CONVERSION
#define SI_IMPLEMENTATION
#include <SimpleIni.h>

namespace k52 {

struct IniFile::Impl {
  CSimpleIniA ini{/*isUtf8=*/true, /*multiKey=*/false, /*multiLine=*/false};
};

IniFile::IniFile() : impl_(std::make_unique<Impl>()) {}
IniFile::IniFile(const QString& path) : IniFile() { setPath(path); }
IniFile::~IniFile() = default;

void IniFile::setPath(const QString& path) {
  path_ = path;
  load();
}

void IniFile::load() {
  impl_ = std::make_unique<Impl>();
  impl_->ini.SetSpaces(false);
  QFile f(path_);
  if (!f.open(QIODevice::ReadOnly)) return;
  const QByteArray data = f.readAll();
  impl_->ini.LoadData(data.constData(), static_cast<size_t>(data.size()));
}

QString IniFile::read(const QString& section, const QString& key, const QString& defaultText) const {
  const QByteArray s = section.toUtf8();
  const QByteArray k = key.toUtf8();
  const char* v = impl_->ini.GetValue(s.constData(), k.constData(), nullptr);
  if (!v) return defaultText;
  return QString::fromUtf8(v);
}

bool IniFile::hasSection(const QString& section) const {
  const QByteArray s = section.toUtf8();
  return impl_->ini.GetSectionSize(s.constData()) >= 0;
}

bool IniFile::write(const QString& section, const QString& key, const QString& text) {
  const QByteArray s = section.toUtf8();
  const QByteArray k = key.toUtf8();
  const QByteArray v = text.toUtf8();
  impl_->ini.SetValue(s.constData(), k.constData(), v.constData());
  dirty_ = true;
  return batchDepth_ > 0 || save();
}

bool IniFile::save() {
  dirty_ = false;
  std::string out;
  if (impl_->ini.Save(out) < 0) return false;
  QSaveFile f(path_);
  if (!f.open(QIODevice::WriteOnly)) return false;
  // A short write shows only at the flush; QSaveFile would still commit the cut file.
  if (f.write(out.data(), static_cast<qint64>(out.size())) != static_cast<qint64>(out.size()) || !f.flush()) {
    f.cancelWriting();
    return false;
  }
  return f.commit();
}

QString readClean(const IniFile& ini, const QString& section, const QString& key, const QString& defaultText,
                  int width) {
  return ini.read(section, key, defaultText).left(width).trimmed();
}

}  // namespace k52
