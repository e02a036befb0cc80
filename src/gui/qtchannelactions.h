#pragma once
// The channel grid's row commands as actions: the clipboard (cut, copy, paste), select all,
// delete the selected rows, insert an empty row, move rows up and down, sort by RX
// frequency or name. The channel pop-up menu and the main window's Edit menu show the same
// actions; their keys work while the grid has the focus. Each command that changes the
// table is one step of the undo history.

#include <QList>
#include <QObject>
#include <vector>

class QAction;
class QMimeData;

namespace k52 {

struct AppContext;
class QtGrid;

// The clipboard's format of the program's own (every field, lossless).
inline constexpr const char* kChannelMimeType = "application/x-k52-channels";

class QtChannelActions final : public QObject {
  Q_OBJECT
 public:
  QtChannelActions(AppContext& ctx, QtGrid* grid);

  // In menu order; nullptr stands for a separator.
  const QList<QAction*>& actions() const { return actions_; }
  QAction* action(const QString& name) const;
  // Captions from the language table.
  void setCaptions();

  // The rows the commands act on: every row with a selected cell, else the current row.
  std::vector<int> selectedRows() const;
  void selectRows(const std::vector<int>& rows);

  void copy();
  void cut();
  void paste();
  void deleteSelected();
  void insertRow();
  void moveSelected(int delta);
  void sortBy(int key);

 private:
  QAction* add(const char* name, int text, const QList<QKeySequence>& keys, void (QtChannelActions::*fn)());
  bool locked() const;

  AppContext& ctx_;
  QtGrid* grid_;
  QList<QAction*> actions_;
};

}  // namespace k52
