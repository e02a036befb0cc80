#include "core/errdescriptions.h"
#include "core/errorlog.h"
#include "gui/frmShowErr.h"
#include "core/guarded.h"
#include "support/testenv.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QListWidget>

#include <algorithm>

using namespace k52;

namespace {
void failWith(ErrorLog& log, int number) {
  guarded(log, "modChMem->IicDatToChInfo", [&] { raiseError(number, QStringLiteral("/home/a/radio.dat")); });
}
}  // namespace

TEST(ErrorLog, EachFailureAddsATimeLineAndItsEntryTheWindowOpensAtTheFirstAndClosingDiscardsThem) {
  ManualClock clock;
  ErrorLog log(clock);
  EXPECT_FALSE(log.isOpen());
  failWith(log, 53);
  ASSERT_TRUE(log.isOpen());
  ASSERT_EQ(log.lines().size(), 2);
  EXPECT_EQ(log.selectedLine(), 1);
  EXPECT_TRUE(log.lines()[0].startsWith(QStringLiteral("---------")) && log.lines()[0].endsWith(QStringLiteral("--------")));
  EXPECT_FALSE(log.lines()[0].endsWith(QStringLiteral("---------")));
  // A file error names the file as its error point; other errors are the program's own.
  EXPECT_EQ(log.lines()[1], QStringLiteral("         错误:  modChMem->IicDatToChInfo     出错号:  53     出错点:  /home/a/radio.dat     出错描述:  文件找不到"));
  failWith(log, 8002);  // an unknown number ends with an empty description
  EXPECT_TRUE(log.lines()[3].endsWith(QStringLiteral("出错点:  k52     出错描述:  ")));
  EXPECT_EQ(log.ErrCount, 4);
  EXPECT_EQ(log.selectedLine(), 3);
  log.windowClosed();
  EXPECT_FALSE(log.isOpen());
  EXPECT_TRUE(log.lines().isEmpty());
  failWith(log, 9);
  EXPECT_EQ(log.ErrCount, 2);
  EXPECT_EQ(log.ErrDescription, QStringLiteral("数组索引超出范围"));
  log.LogOptError(QStringLiteral("出错位置: frmSysSet->InitOpt->超时定时器     错误类型: 不在范围内"));
  EXPECT_EQ(log.lines().last(), QStringLiteral("        可选功能项:   出错位置: frmSysSet->InitOpt->超时定时器     错误类型: 不在范围内"));
}

TEST(ErrorLog, TheGuardLogsEveryKindOfFailureAndReturnsToTheCaller) {
  ManualClock clock;
  ErrorLog log(clock);
  bool after = false;
  EXPECT_FALSE(guarded(log, "a->b", [] { throw std::bad_alloc(); }));
  EXPECT_EQ(log.lastNumber(), 7);
  EXPECT_FALSE(guarded(log, "a->c", [] { throw 42; }));
  EXPECT_EQ(log.lastNumber(), 5);
  EXPECT_TRUE(guarded(log, "a->d", [&] { after = true; }));
  EXPECT_TRUE(after);
  EXPECT_EQ(log.entriesLogged(), 2);
  // A number beyond 16 bits is folded to overflow rather than shown wrapped.
  guarded(log, "a->e", [] { raiseError(70000); });
  EXPECT_TRUE(log.lines().last().contains(QStringLiteral("出错号:  6 ")));
}

// (The texts are the table's; the lookup is a binary search, so the table must stay sorted.)
TEST(ErrorDescriptions, TheTableIsSortedAndNumbersOutsideItHaveNoText) {
  int count = 0;
  const int16_t* numbers = errorDescriptionNumbers(&count);
  ASSERT_GT(count, 100);
  EXPECT_TRUE(std::is_sorted(numbers, numbers + count) && std::adjacent_find(numbers, numbers + count) == numbers + count);
  for (int i = 0; i < count; ++i) EXPECT_FALSE(errorDescription(numbers[i]).isEmpty()) << numbers[i];
  for (int16_t n : {int16_t(0), int16_t(2), int16_t(-1), int16_t(8002), int16_t(31038), int16_t(32767)})
    EXPECT_TRUE(errorDescription(n).isEmpty()) << n;
}

// (How fast a burst of entries shows is the k52bench_errwindow benchmark's.)
TEST(ErrorWindow, ABurstOfEntriesEndsWithTheNewestLineSelectedAndInView) {
  ManualClock clock;
  ErrorLog log(clock);
  frmShowErr window(log);
  window.resize(400, 200);
  QListWidget* list = window.listShowErr();
  for (int burst : {1, 300}) {
    for (int i = 0; i < burst; ++i) failWith(log, 53);
    QApplication::processEvents();
    ASSERT_TRUE(window.isVisible());
    const int last = list->count() - 1;
    EXPECT_EQ(last + 1, log.lines().size());
    EXPECT_EQ(list->item(last)->text(), log.lines().last());
    EXPECT_EQ(list->currentRow(), last) << burst;
    // In view from top to bottom (a line may be wider than the window).
    const QRect r = list->visualItemRect(list->item(last));
    EXPECT_TRUE(r.isValid() && r.top() >= 0 && r.bottom() <= list->viewport()->rect().bottom()) << burst << " " << r.y();
  }
  window.close();
  EXPECT_EQ(list->count(), 0);
  failWith(log, 9);
  QApplication::processEvents();
  EXPECT_EQ(list->count(), 2);
  EXPECT_EQ(list->currentRow(), 1);
}
