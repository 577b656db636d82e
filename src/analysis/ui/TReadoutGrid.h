// The read-out grid of the profile window: 2 columns x 11 rows of 16 pixels, labels in
// column 0 on red, lime or button-face ground, the cursor values in column 1 on the
// window colour.
#pragma once

#include <QWidget>
#include <array>
#include <string>

#include "analysis/ProfileReadouts.h"

class TReadoutGrid : public QWidget {
  Q_OBJECT
 public:
  // Rows are 16 pixels high, or as high as the font needs.
  static constexpr int kRowHeight = 16;
  int RowHeight() const;
  // The height of all 11 rows with the lines between them.
  int GridHeight() const { return kReadoutRows * (RowHeight() + 1); }

  explicit TReadoutGrid(QWidget* parent = nullptr);

  // Column 0's texts; column 0 becomes as wide as its widest label plus 4, column 1 gets
  // the rest (grid width - column 0 width - 3).
  void SetLabels(const std::array<std::string, kReadoutRows>& labels);
  void SetValues(const std::array<std::string, kReadoutRows>& values);

  QString Cell(int column, int row) const;
  int ColumnWidth(int column) const;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  void StringGrid1DrawCell(QPainter& p, int column, int row, const QRect& rect);

  std::array<QString, kReadoutRows> labels_;
  std::array<QString, kReadoutRows> values_;
};
