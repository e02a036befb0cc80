#include "app/langtable.h"

#include "core/guarded.h"
#include "core/k52error.h"
#include "app/appcontext.h"

#include <QFile>
#include <QStringDecoder>
#include <mutex>

namespace k52 {

namespace {

constexpr int kNoNumber = -1;
constexpr int kOutOfRange = -2;

bool isBlank(char c) { return c == ' ' || c == '\t'; }

// The decimal number of a line's key (blanks around it allowed): kNoNumber when it is
// not a number, kOutOfRange when it lies outside 0-445.
int keyNumber(QByteArrayView key) {
  qsizetype b = 0, e = key.size();
  while (b < e && isBlank(key[b])) ++b;
  while (e > b && isBlank(key[e - 1])) --e;
  if (b == e) return kNoNumber;
  int n = 0;
  for (qsizetype i = b; i < e; ++i) {
    const char c = key[i];
    if (c < '0' || c > '9') return kNoNumber;
    n = n * 10 + (c - '0');
    if (n > kFaceTextLast) return kOutOfRange;  // stops before a long key could overflow
  }
  return n;
}

// "\n" is a line break and "\\" a backslash; any other backslash stands for itself.
QString unescape(const QString& s) {
  if (!s.contains(QLatin1Char('\\'))) return s;
  QString out;
  out.reserve(s.size());
  for (qsizetype i = 0; i < s.size(); ++i) {
    const QChar c = s[i];
    if (c == QLatin1Char('\\') && i + 1 < s.size()) {
      const QChar next = s[i + 1];
      if (next == QLatin1Char('n')) {
        out += QLatin1Char('\n');
        ++i;
        continue;
      }
      if (next == QLatin1Char('\\')) {
        out += QLatin1Char('\\');
        ++i;
        continue;
      }
    }
    out += c;
  }
  return out;
}

void noteBadLine(FaceTextList& list, int lineNo, int error, const QString& reason) {
  if (list.badLines++ == 0) {
    list.firstBadLine = lineNo;
    list.firstBadError = error;
    list.firstBadReason = reason;
  }
}

const char* resourceOf(int16_t lang) {
  switch (lang) {
    case kLangSimplifiedChinese: return ":/lang/chs.txt";
    case kLangTraditionalChinese: return ":/lang/cht.txt";
    default: return ":/lang/eng.txt";
  }
}

FaceTextList readResourceList(int16_t lang) {
  QFile file(QString::fromLatin1(resourceOf(lang)));
  if (!file.open(QIODevice::ReadOnly)) {
    FaceTextList list;
    noteBadLine(list, 0, ErrFileNotFound, QStringLiteral("%1 missing").arg(file.fileName()));
    return list;
  }
  return ParseFaceTextList(file.readAll());
}

}  // namespace

FaceTextList ParseFaceTextList(const QByteArray& bytes) {
  FaceTextList list;
  QByteArrayView rest(bytes);
  if (rest.startsWith("\xEF\xBB\xBF")) rest = rest.sliced(3);  // editors on Windows like to add a BOM
  QStringDecoder utf8(QStringDecoder::Utf8);
  int lineNo = 0;
  while (!rest.isEmpty()) {
    ++lineNo;
    const qsizetype nl = rest.indexOf('\n');
    QByteArrayView line = nl < 0 ? rest : rest.first(nl);
    rest = nl < 0 ? QByteArrayView() : rest.sliced(nl + 1);
    if (line.endsWith('\r')) line.chop(1);  // a list saved with CR LF reads the same

    qsizetype firstNonBlank = 0;
    while (firstNonBlank < line.size() && isBlank(line[firstNonBlank])) ++firstNonBlank;
    if (firstNonBlank == line.size()) continue;  // empty or blank line
    if (line[0] == '#') continue;                // comment

    const qsizetype eq = line.indexOf('=');
    if (eq < 0) {
      noteBadLine(list, lineNo, ErrTypeMismatch, QStringLiteral("no \"=\""));
      continue;
    }
    const int n = keyNumber(line.first(eq));
    if (n == kNoNumber) {
      noteBadLine(list, lineNo, ErrTypeMismatch, QStringLiteral("no text number before \"=\""));
      continue;
    }
    if (n == kOutOfRange) {
      noteBadLine(list, lineNo, ErrBounds, QStringLiteral("text number outside 0-445"));
      continue;
    }
    utf8.resetState();
    const QString text = utf8(line.sliced(eq + 1));
    if (utf8.hasError()) {
      noteBadLine(list, lineNo, ErrTypeMismatch, QStringLiteral("text is not UTF-8"));
      continue;
    }
    auto& slot = list.text[static_cast<size_t>(n)];
    if (slot.has_value()) list.repeated.push_back(n);
    slot = unescape(text);
  }
  return list;
}

const FaceTextList& FaceTextListOf(int16_t lang) {
  // Each list is read from the resources once per run; later calls use the parsed copy.
  static std::array<std::once_flag, 3> once;
  static std::array<FaceTextList, 3> lists;
  const int16_t l = validLang(lang);
  const size_t i = static_cast<size_t>(l - 1);
  std::call_once(once[i], [&] { lists[i] = readResourceList(l); });
  return lists[i];
}

void ApplyFaceTextList(AppContext& ctx, const FaceTextList& list) {
  guarded(ctx.log, "mdifrmMain->InitFaceText", [&] {
    for (int n = 0; n <= kFaceTextLast; ++n) {
      if (list.isSet(n)) ctx.SoftFaceText(n) = *list.text[static_cast<size_t>(n)];
    }
    // The good lines are in; one entry tells that the list has lines it could not take.
    if (list.badLines > 0)
      raiseError(list.firstBadError, QStringLiteral("line %1: %2 (%3 lines skipped)")
                                         .arg(list.firstBadLine)
                                         .arg(list.firstBadReason)
                                         .arg(list.badLines));
  });
}

void InitFaceText(AppContext& ctx) {
  ctx.st.CurLang = validLang(ctx.st.CurLang);
  ApplyFaceTextList(ctx, FaceTextListOf(ctx.st.CurLang));
}

}  // namespace k52
