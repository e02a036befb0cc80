#pragma once
// The grid seam: what the channel and memory grids need of a grid control. The Qt table
// adapter (ui/qtgrid) is the real one; MemoryGrid keeps texts and colours in memory for
// the command-line companion and for tests of the logic.

#include <QString>
#include <QStringList>
#include <cstdint>
#include <vector>

namespace k52 {

enum class GridDataType { Text, Decimal };

class Grid {
 public:
  virtual ~Grid() = default;

  virtual void setRows(int rows) = 0;
  virtual void setCols(int cols) = 0;
  virtual int rows() const = 0;
  virtual int cols() const = 0;
  // Header texts and alignments from a format string ("^No.|^RX Freq|<Name").
  virtual void setFormatString(const QString& format) = 0;
  // Inserts a data row at position row with the given header text.
  virtual void insertRow(int row, const QString& header) = 0;
  virtual void setRowHeightTwips(int row, int twips) = 0;
  virtual void setColWidthTwips(int col, int twips) = 0;
  virtual void setColCentered(int col) = 0;
  virtual void setColFormat(int col, GridDataType type, const QString& format) = 0;

  virtual QString text(int row, int col) const = 0;
  virtual void setText(int row, int col, const QString& text) = 0;
  virtual QString headerText(int row, int col) const = 0;

  // The current cell: select makes (row, col) current; the selected-cell operations act on it.
  virtual void select(int row, int col) = 0;
  virtual int row() const = 0;
  virtual int col() const = 0;
  virtual void setCellForeColor(uint32_t bgr) = 0;
  virtual uint32_t cellForeColor(int row, int col) const = 0;
  virtual void setBackColor(uint32_t bgr) = 0;
  virtual uint32_t backColor() const = 0;
};

// Applies a number display format such as "###.#####" or "#0.00000" to a decimal text;
// texts that are not numbers are shown unchanged.
QString formatGridNumber(const QString& text, const QString& format);

class MemoryGrid final : public Grid {
 public:
  void setRows(int rows) override;
  void setCols(int cols) override;
  int rows() const override { return rows_; }
  int cols() const override { return cols_; }
  void setFormatString(const QString& format) override;
  void insertRow(int row, const QString& header) override;
  void setRowHeightTwips(int, int) override {}
  void setColWidthTwips(int col, int twips) override;
  void setColCentered(int) override {}
  void setColFormat(int col, GridDataType type, const QString& format) override;
  QString text(int row, int col) const override;
  void setText(int row, int col, const QString& text) override;
  QString headerText(int row, int col) const override { return text(row, col); }
  void select(int row, int col) override;
  int row() const override { return curRow_; }
  int col() const override { return curCol_; }
  void setCellForeColor(uint32_t bgr) override;
  uint32_t cellForeColor(int row, int col) const override;
  void setBackColor(uint32_t bgr) override { back_ = bgr; }
  uint32_t backColor() const override { return back_; }

  int colWidthTwips(int col) const;
  QString colFormat(int col) const;

 private:
  struct Cell {
    QString text;
    uint32_t fore = 0;
  };
  Cell* cell(int row, int col);
  const Cell* cell(int row, int col) const;
  void resize();

  int rows_ = 0, cols_ = 0;
  int curRow_ = 0, curCol_ = 0;
  uint32_t back_ = 0xFFFFFF;
  std::vector<std::vector<Cell>> cells_;
  std::vector<int> widths_;
  std::vector<QString> formats_;
};

}  // namespace k52
