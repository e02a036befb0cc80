#include "core/inifile.h"

#include "core/atomicfile.h"
#include "core/k52error.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

// Names and values are UTF-8 bytes, passed through unchanged.
#define SI_NO_CONVERSION
#define SI_IMPLEMENTATION
#include <SimpleIni.h>

namespace k52 {

namespace {

// Reads the whole file. A missing file is empty and complete (`missing` set); anything that
// could not be read to its end (not a regular file, no permission, a read error, a NUL byte,
// where the INI reader stops) is not complete, and `number`/`why` say what is wrong with it.
bool readWhole(const QString& path, QByteArray& data, int& number, QString& why, bool* missing = nullptr) {
  data.clear();
  const QFileInfo info(path);
  if (missing) *missing = !info.exists();
  if (!info.exists()) return true;
  if (!info.isFile()) {
    number = ErrPathFileAccess;
    why = QStringLiteral("not a regular file");
    return false;
  }
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) {
    number = ErrPermission;
    why = f.errorString();
    return false;
  }
  data = f.readAll();
  if (f.error() != QFileDevice::NoError) {
    number = ErrDeviceIo;
    why = f.errorString();
    return false;
  }
  if (const qsizetype nul = data.indexOf('\0'); nul >= 0) {
    number = ErrPathFileAccess;
    why = QStringLiteral("NUL byte at offset %1 of %2").arg(nul).arg(data.size());
    return false;
  }
  return true;
}

bool isIniSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

QByteArrayView trimmed(QByteArrayView s) {
  while (!s.isEmpty() && isIniSpace(s.front())) s = s.sliced(1);
  while (!s.isEmpty() && isIniSpace(s.back())) s.chop(1);
  return s;
}

bool sameName(QByteArrayView a, QByteArrayView b) { return a.compare(b, Qt::CaseInsensitive) == 0; }

}  // namespace

// The rules of the reader below (SimpleIni): blanks around names and values do not count,
// ";" and "#" start a comment line, a section name ends at "]", a key line needs "=" and a
// name before it, the last of two equal keys holds.
QByteArray withIniValue(const QByteArray& text, const IniFile::Change& change) {
  const QByteArray eol = text.contains("\r\n") ? QByteArray("\r\n") : QByteArray("\n");
  struct Line {
    qsizetype begin, end;  // the text without its line end
  };
  std::vector<Line> lines;
  for (qsizetype at = 0; at < text.size();) {
    qsizetype next = text.indexOf('\n', at);
    if (next < 0) next = text.size();
    qsizetype end = next;
    if (end > at && text[end - 1] == '\r') --end;
    lines.push_back({at, end});
    at = next + 1;
  }
  int sectionEnd = -1, keyLine = -1;
  qsizetype valueAt = 0;
  bool inSection = false;
  for (int i = 0; i < static_cast<int>(lines.size()); ++i) {
    qsizetype begin = lines[i].begin;
    if (i == 0 && text.startsWith("\xEF\xBB\xBF")) begin += 3;
    const QByteArrayView whole(text.constData() + begin, lines[i].end - begin);
    const QByteArrayView s = trimmed(whole);
    if (s.isEmpty() || s.front() == ';' || s.front() == '#') continue;
    if (s.front() == '[') {
      const qsizetype close = s.indexOf(']');
      if (close < 0) continue;
      inSection = sameName(trimmed(s.sliced(1, close - 1)), QByteArrayView(change.section));
      if (inSection) sectionEnd = i;
      continue;
    }
    const qsizetype eq = s.indexOf('=');
    if (eq <= 0 || !inSection) continue;
    sectionEnd = i;
    if (!sameName(trimmed(s.first(eq)), QByteArrayView(change.key))) continue;
    keyLine = i;
    // The value starts after the "=" and the blanks that follow it.
    qsizetype v = (s.data() - text.constData()) + eq + 1;
    while (v < lines[i].end && (text[v] == ' ' || text[v] == '\t')) ++v;
    valueAt = v;
  }
  QByteArray out = text;
  if (keyLine >= 0) return out.replace(valueAt, lines[keyLine].end - valueAt, change.value);
  const QByteArray keyText = change.key + '=' + change.value;
  if (sectionEnd >= 0) {
    const Line& after = lines[sectionEnd];
    if (after.end == text.size()) return out.append(eol + keyText + eol);
    return out.insert(after.end, eol + keyText);
  }
  if (!out.isEmpty() && !out.endsWith('\n')) out += eol;
  if (!out.isEmpty()) out += eol;
  return out + '[' + change.section + ']' + eol + keyText + eol;
}

struct IniFile::Impl {
  CSimpleIniA ini{/*isUtf8=*/true, /*multiKey=*/false, /*multiLine=*/false};
  void set(const Change& c) { ini.SetValue(c.section.constData(), c.key.constData(), c.value.constData()); }
};

IniFile::IniFile() : impl_(std::make_unique<Impl>()) {}
IniFile::IniFile(const QString& path) : IniFile() { setPath(path); }
IniFile::~IniFile() = default;

void IniFile::setPath(const QString& path) {
  path_ = path;
  text_.clear();
  pending_.clear();
  kept_.clear();
  load();
}

void IniFile::load() {
  impl_ = std::make_unique<Impl>();
  impl_->ini.SetSpaces(false);
  QByteArray data;
  int number = 0;
  QString why;
  // What could be read is read; whether the file may be written is decided at each write.
  if (readWhole(path_, data, number, why)) text_ = data;
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
  Change c{section.toUtf8(), key.toUtf8(), text.toUtf8()};
  // A value is one line of the file.
  c.value.replace('\r', ' ').replace('\n', ' ');
  impl_->set(c);
  if (readOnly_) {
    kept_.push_back(std::move(c));
    return true;
  }
  pending_.push_back(std::move(c));
  return batchDepth_ > 0 || save();
}

void IniFile::fail(int number, const QString& why) {
  failure_ = number;
  failureWhy_ = why;
  for (Change& c : pending_) kept_.push_back(std::move(c));
  pending_.clear();
}

bool IniFile::save() {
  QByteArray text;
  int number = 0;
  QString why;
  bool missing = false;
  if (!readWhole(path_, text, number, why, &missing)) {
    fail(number, QStringLiteral("not read completely (%1), left as it is").arg(why));
    return false;
  }
  // A file removed while the program runs comes back whole, as last read or written, not as
  // a file of one key.
  if (missing) text = text_;
  for (const Change& c : pending_) text = withIniValue(text, c);
  try {
    writeFileAtomically(path_, text);
  } catch (const K52Error& e) {
    fail(e.number(), e.detail());
    return false;
  }
  // The copy read from now on is the file as written (with what others changed in it), and
  // what the file did not take earlier still holds for this run.
  for (const Change& c : pending_)
    std::erase_if(kept_, [&](const Change& k) { return sameName(k.section, c.section) && sameName(k.key, c.key); });
  pending_.clear();
  text_ = text;
  impl_ = std::make_unique<Impl>();
  impl_->ini.SetSpaces(false);
  impl_->ini.LoadData(text.constData(), static_cast<size_t>(text.size()));
  for (const Change& c : kept_) impl_->set(c);
  return true;
}

void IniFile::raiseWriteFailure() const {
  throw K52Error(failure_ ? failure_ : ErrPathFileAccess, failureWhy_, QDir::toNativeSeparators(path_));
}

QString readClean(const IniFile& ini, const QString& section, const QString& key, const QString& defaultText,
                  int width) {
  return ini.read(section, key, defaultText).left(width).trimmed();
}

}  // namespace k52
