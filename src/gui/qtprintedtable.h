#pragma once
// A printed table laid out on pages: the title and header lines on top of every page, the
// column captions above the rows of each page, the page's number at its foot. The columns
// are as wide as their texts; a table wider than the page is set in a smaller type.

#include "core/printedtable.h"

#include <QString>
#include <functional>

class QPainter;

namespace k52 {

// Paints the table on the pages of the painter's device (a page is the device's whole
// area), starting each page after the first with nextPage(). Returns the number of pages.
int paintTable(QPainter& painter, const PrintedTable& table, const std::function<void()>& nextPage);

// The table as a PDF file, A4 landscape. The file is replaced only once the document is
// complete; raises the printer error (482) or the file's error when it cannot be.
void writeTablePdf(const QString& path, const PrintedTable& table);

}  // namespace k52
