#pragma once
// A table as it goes to paper: a title and header lines repeated on every page, the
// column captions, the rows, and the foot that numbers the pages. What the program prints
// (the channel list) is described this way; the print dialogs and the PDF writer lay it
// out on pages.

#include <QString>
#include <QStringList>
#include <cstdint>
#include <vector>

namespace k52 {

struct PrintedCell {
  QString text;
  uint32_t colour = 0;  // 0x00BBGGRR, as the grid's colours
};

struct PrintedTable {
  QString title;
  QStringList header;       // lines under the title
  QStringList captions;     // one per column
  std::vector<std::vector<PrintedCell>> rows;
  QString pageFoot;         // "%1" the page's number, "%2" the number of pages
  QString fontFamily;       // the interface's font; empty: the default
};

}  // namespace k52
