#pragma once
// The memory viewer's logic: the hex grid vsfgGridMemDat over the image (16 bytes a row),
// filling it with change marking, writing edited cells back into the image, the bit and
// decimal tooltip of a cell, and the part fill of an address range. The windows
// (frmMemDat, frmPartFill) only wire these to their controls; tests run them on a
// MemoryGrid. The documented procedures (SetGridMemDat, TableFreDat, GridDataTemp,
// CellTipHint, PartFillData) log under their names and run the plainly named steps.

#include <QString>
#include <array>
#include <cstdint>
#include <vector>

namespace k52 {

struct AppContext;
class Grid;

inline constexpr int kMemDatBytesPerRow = 16;
// Text colours of the data cells (0x00BBGGRR): black, and red for a byte that changed
// since the grid was last filled.
inline constexpr uint32_t kMemDatDefColor = 0x000000;
inline constexpr uint32_t kMemDatChangedColor = 0x0000FF;

// The grid cell of an image address: row a \ 16 + 1, column a mod 16 + 1.
inline int memDatRow(int address) { return address / kMemDatBytesPerRow + 1; }
inline int memDatCol(int address) { return address % kMemDatBytesPerRow + 1; }
inline int memDatAddress(int row, int col) { return (row - 1) * kMemDatBytesPerRow + col - 1; }

// Two upper-case hex digits of a byte ("0A").
QString FormatByteDat(uint8_t b);

// Builds the empty grid: the header row "Addr|0|...|F", one row per 16 addresses up to
// TableMaxAddr with its address ("01F0H") in column 0, sizes and centring, cells editable.
// Reports as "modMemDat->SetGridMemDat".
void SetGridMemDat(AppContext& ctx, Grid& grid);
void buildMemDatGrid(AppContext& ctx, Grid& grid);

// Fills the grid from the image, 0 ... TableMaxAddr: every cell black, then a cell whose
// text differed from its image byte turns red. Empty cells (never filled) mark nothing.
// The rows follow TableMaxAddr when it changed since the grid was built. Returns the
// addresses marked red, for the window to bring into view. The current cell stays where
// it was. Reports as "modMemDat->TableFreDat".
std::vector<int> TableFreDat(AppContext& ctx, Grid& grid);
// The fill itself, without the log, the redraw and the current cell: appends the addresses
// it marks to changed.
void fillGridFromImage(AppContext& ctx, Grid& grid, std::vector<int>& changed);

// cmdSetDefCol_Click: every data cell's text black again.
void SetDefCol(Grid& grid);

// Writes the byte the user typed into data cell (row, col) back into the image; no other
// cell is read, so a grid left from an earlier image writes nothing of it. An empty cell
// leaves its image byte as it is. A cell that is no byte (above FF, or not hex) is refused:
// it shows its image byte again and the refusal is logged under "frmMemDat->GridDataTemp".
void GridDataTemp(AppContext& ctx, Grid& grid, int row, int col);
void writeBackCell(AppContext& ctx, Grid& grid, int row, int col);

// The tooltip of a data cell (row, col >= 1): selects the cell and, when it holds a byte,
// returns its address, base-2 digits, bit display and decimal value. Empty for header
// cells and empty cells. Reports as "frmMemDat->CellTipHint".
QString CellTipHint(AppContext& ctx, Grid& grid, int lngRow, int lngCol);
QString byteTip(Grid& grid, int row, int col);

// Hex text to base-2 text, four digits per hex digit; other characters are dropped.
QString H_To_B(const QString& hex);
// Base-2 text to its value; raises 13 for a character other than 0 and 1, 6 above 7FFF.
int16_t B_To_D(const QString& binary);
// "B7:1 B6:0 B5:1 B4:0   B3:0 B2:1 B1:0 B0:1 " for "10100101".
QString B_To_BitShow(const QString& strBinary);
// A hex text of up to four digits as its digit values, least significant first, missing
// digits 0; raises 13 for a character that is no hex digit, 6 for more than four digits.
std::array<int, 4> SeparateChar(const QString& strChar);

// The number bases of the part-fill dialog's cboFillData, in list order ("H", "D", "B").
enum PartFillBase : int { PartFillHex = 0, PartFillDec = 1, PartFillBin = 2 };

// The fill value of txtFillData in the chosen base; above 255 becomes 255. An empty text
// (or a hex text without a hex digit) raises 13, a negative one 6.
uint8_t PartFillValue(const QString& text, PartFillBase base);
// An address box of the part-fill dialog: hex text, empty counts as 0; raises 13 or 6.
int16_t PartFillAddress(const QString& text);

// frmPartFill's cmdFillData_Click: every address from start to end (inclusive; nothing
// when start is above end) gets the value in the image and its hex text (no leading zero)
// in the grid. Reports as "frmPartFill->cmdFillData_Click".
void PartFillData(AppContext& ctx, Grid& grid, const QString& value, PartFillBase base, const QString& startAddr,
                  const QString& endAddr);
void fillRange(AppContext& ctx, Grid& grid, const QString& value, PartFillBase base, const QString& startAddr,
               const QString& endAddr);

// What is typed into a cell elsewhere when the viewer is filled: the Fill Grid button
// finishes it first; the timer's tick leaves it being typed.
enum class PendingEdit { Finish, Leave };
// The image brought up to date before a fill: the tables encoded into it and the
// programming date stamped, as a write would send it.
void prepareImageForViewer(AppContext& ctx, PendingEdit pending);

}  // namespace k52
