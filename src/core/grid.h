#pragma once
// The grid seam: what the channel and memory grids need of a grid control. The Qt table
// adapter (ui/qtgrid) is the real one; MemoryGrid keeps texts and colours in memory for
// the command-line companion and for tests of the logic.
//
// Indexes are the grid's own: row 0 is the fixed header row and column 0 the fixed
// header column; the data cells start at (1, 1). Sizes are in twips (1440 per inch),
// colours are 0x00BBGGRR values.

#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>
#include <vector>

namespace k52 {

enum class GridDataType { Text, Decimal };

// How a cell editor opens: never, on typing only, or on typing and on a click or
// double-click of the current cell.
enum class GridEditMode { None, Kbd, KbdMouse };

enum class GridAlign { Left, Center, Right };

class Grid {
 public:
  virtual ~Grid() = default;

  // Shape. Fixed cells are always the first row and the first column.
  virtual void setRows(int rows) = 0;
  virtual void setCols(int cols) = 0;
  virtual int rows() const = 0;
  virtual int cols() const = 0;
  int fixedRows() const { return 1; }
  int fixedCols() const { return 1; }
  // Column count, header texts and alignments from a format string ("^No.|^RX Freq|<Name").
  virtual void setFormatString(const QString& format) = 0;
  // Inserts a data row at position row with the given header text.
  virtual void insertRow(int row, const QString& header) = 0;

  // Layout.
  virtual void setRowHeightTwips(int row, int twips) = 0;
  virtual int rowHeightTwips(int row) const = 0;
  virtual void setColWidthTwips(int col, int twips) = 0;
  virtual int colWidthTwips(int col) const = 0;
  virtual void setColAlignment(int col, GridAlign align) = 0;
  virtual GridAlign colAlignment(int col) const = 0;
  void setColCentered(int col) { setColAlignment(col, GridAlign::Center); }
  // Data type and display format of a column; the format governs only what is shown of
  // a decimal column, the stored text stays as it was set.
  virtual void setColFormat(int col, GridDataType type, const QString& format) = 0;
  virtual QString colFormat(int col) const = 0;
  virtual GridDataType colDataType(int col) const = 0;

  // Texts. headerText reads a fixed cell (row 0 or column 0).
  virtual QString text(int row, int col) const = 0;
  virtual void setText(int row, int col, const QString& text) = 0;
  virtual QString headerText(int row, int col) const = 0;
  // What the cell shows: its text through the column's display format.
  QString displayText(int row, int col) const;

  // The current cell: select makes (row, col) current; the selected-cell operations act on it.
  virtual void select(int row, int col) = 0;
  virtual int row() const = 0;
  virtual int col() const = 0;
  QString currentText() const { return text(row(), col()); }

  // Colours. The text colour of the current cell; the grid's background (the cells' and the
  // area around them); the background of a block of cells, or back to the grid's own;
  // the colour that marks the selected cell.
  virtual void setCellForeColor(uint32_t bgr) = 0;
  virtual uint32_t cellForeColor(int row, int col) const = 0;
  virtual void setBackColor(uint32_t bgr) = 0;
  virtual uint32_t backColor() const = 0;
  virtual void setRangeBackColor(int row1, int col1, int row2, int col2, uint32_t bgr) = 0;
  virtual void resetRangeBackColor(int row1, int col1, int row2, int col2) = 0;
  // The background a cell shows: its own colour, else the grid's.
  virtual uint32_t cellBackColor(int row, int col) const = 0;
  virtual void setSelBackColor(uint32_t bgr) = 0;
  virtual uint32_t selBackColor() const = 0;

  // Editing. A column's drop-down list holds its choices joined by "|" (empty: none);
  // comboIndex is the position chosen in it by the last edit, -1 when the last edit did
  // not go through a list. startEdit opens the editor on the current cell.
  virtual void setEditMode(GridEditMode mode) = 0;
  virtual GridEditMode editMode() const = 0;
  virtual void setColComboList(int col, const QString& list) = 0;
  virtual QString colComboList(int col) const = 0;
  virtual int comboIndex() const = 0;
  virtual void startEdit() = 0;
  // Ends an editor that is still open on the grid, keeping what was typed into it as if
  // the user had left the cell (the edit is stored before anything else changes).
  virtual void finishEditing() = 0;

  // Off while a batch of cells is filled: the grid repaints once when it is switched on.
  virtual void setRedraw(bool on) = 0;
  virtual bool redraw() const = 0;
  // Repaints the grid now, so that a change of its colours or modes shows at once.
  virtual void refresh() = 0;
};

// Applies a number display format built of '#', '0' and one '.' ("###.#####", "#0.00000",
// "00000") to a numeric text: the decimals are rounded (halves away from zero) to the
// format's places, '#' places show only significant digits, '0' places always show.
// Texts that are not numbers, and other formats, are returned unchanged.
QString formatGridNumber(const QString& text, const QString& format);

// Default sizes of rows and columns that were never sized, in twips.
inline constexpr int kDefaultRowHeightTwips = 240;
inline constexpr int kDefaultColWidthTwips = 960;
// Default colours: white cells, a light blue selection.
inline constexpr uint32_t kDefaultBackColor = 0xFFFFFF;
inline constexpr uint32_t kDefaultSelBackColor = 0xFFE8CC;

class MemoryGrid final : public Grid {
 public:
  MemoryGrid() = default;

  void setRows(int rows) override;
  void setCols(int cols) override;
  int rows() const override { return rows_; }
  int cols() const override { return cols_; }
  void setFormatString(const QString& format) override;
  void insertRow(int row, const QString& header) override;

  void setRowHeightTwips(int row, int twips) override;
  int rowHeightTwips(int row) const override;
  void setColWidthTwips(int col, int twips) override;
  int colWidthTwips(int col) const override;
  void setColAlignment(int col, GridAlign align) override;
  GridAlign colAlignment(int col) const override;
  void setColFormat(int col, GridDataType type, const QString& format) override;
  QString colFormat(int col) const override;
  GridDataType colDataType(int col) const override;

  QString text(int row, int col) const override;
  void setText(int row, int col, const QString& text) override;
  QString headerText(int row, int col) const override;

  void select(int row, int col) override;
  int row() const override { return curRow_; }
  int col() const override { return curCol_; }

  void setCellForeColor(uint32_t bgr) override;
  uint32_t cellForeColor(int row, int col) const override;
  void setBackColor(uint32_t bgr) override { back_ = bgr; }
  uint32_t backColor() const override { return back_; }
  void setRangeBackColor(int row1, int col1, int row2, int col2, uint32_t bgr) override;
  void resetRangeBackColor(int row1, int col1, int row2, int col2) override;
  uint32_t cellBackColor(int row, int col) const override;
  void setSelBackColor(uint32_t bgr) override { selBack_ = bgr; }
  uint32_t selBackColor() const override { return selBack_; }

  void setEditMode(GridEditMode mode) override { editMode_ = mode; }
  GridEditMode editMode() const override { return editMode_; }
  void setColComboList(int col, const QString& list) override;
  QString colComboList(int col) const override;
  int comboIndex() const override { return comboIndex_; }
  // Counts the requests; an in-memory grid has no editor to open.
  void startEdit() override { ++editsStarted_; }
  void finishEditing() override {}

  void setRedraw(bool on) override { redraw_ = on; }
  bool redraw() const override { return redraw_; }
  void refresh() override {}

  // The number of columns a format string gives the grid.
  static int formatStringCols(const QString& format);

  // What an editor would leave behind: the chosen list position (-1: typed text).
  void setComboIndex(int index) { comboIndex_ = index; }
  int editsStarted() const { return editsStarted_; }
  // The cell's own background, when it has one.
  std::optional<uint32_t> ownBackColor(int row, int col) const;

 private:
  struct Cell {
    QString text;
    uint32_t fore = 0;
    std::optional<uint32_t> back;
  };
  struct Column {
    int widthTwips = kDefaultColWidthTwips;
    GridAlign align = GridAlign::Left;
    GridDataType type = GridDataType::Text;
    QString format;
    QString comboList;
  };
  Cell* cell(int row, int col);
  const Cell* cell(int row, int col) const;
  Column* column(int col);
  const Column* column(int col) const;
  void resize();
  template <class F>
  void forRange(int row1, int col1, int row2, int col2, F f);

  int rows_ = 0, cols_ = 0;
  int curRow_ = 0, curCol_ = 0;
  uint32_t back_ = kDefaultBackColor;
  uint32_t selBack_ = kDefaultSelBackColor;
  GridEditMode editMode_ = GridEditMode::None;
  int comboIndex_ = -1;
  int editsStarted_ = 0;
  bool redraw_ = true;
  std::vector<std::vector<Cell>> cells_;
  std::vector<int> heights_;
  std::vector<Column> columns_;
};

}  // namespace k52
