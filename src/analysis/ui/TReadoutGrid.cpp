// TReadoutGrid: sizes and owner-drawn cells.
#include "analysis/ui/TReadoutGrid.h"

#include <QPainter>

TReadoutGrid::TReadoutGrid(QWidget* parent) : QWidget(parent) {
  setObjectName("StringGrid1");
}

void TReadoutGrid::SetLabels(const std::array<std::string, kReadoutRows>& labels) {
  for (int r = 0; r < kReadoutRows; ++r) labels_[r] = QString::fromStdString(labels[r]);
  update();
}

int TReadoutGrid::RowHeight() const {
  return std::max(kRowHeight, fontMetrics().height() + 3);
}

void TReadoutGrid::SetValues(const std::array<std::string, kReadoutRows>& values) {
  for (int r = 0; r < kReadoutRows; ++r) values_[r] = QString::fromStdString(values[r]);
  update();
}

QString TReadoutGrid::Cell(int column, int row) const {
  if (row < 0 || row >= kReadoutRows) return {};
  return column == 0 ? labels_[row] : values_[row];
}

int TReadoutGrid::ColumnWidth(int column) const {
  // Column 0 as wide as its widest label (at the current font) plus 4.
  int widest = 0;
  for (const QString& l : labels_) widest = std::max(widest, fontMetrics().horizontalAdvance(l));
  const int w0 = widest + 4;
  return column == 0 ? w0 : width() - w0 - 3;
}

void TReadoutGrid::StringGrid1DrawCell(QPainter& p, int column, int row, const QRect& rect) {
  QColor ground = palette().color(QPalette::Base);
  switch (ReadoutCellColour(column, row)) {
    case TReadoutColour::Red:
      ground = QColor(255, 0, 0);
      break;
    case TReadoutColour::Lime:
      ground = QColor(0, 255, 0);
      break;
    case TReadoutColour::ButtonFace:
      ground = palette().color(QPalette::Button);
      break;
    case TReadoutColour::Window:
      break;
  }
  p.fillRect(rect, ground);
  p.setPen(Qt::black);
  // The text 2 pixels right of and below the cell's corner, cut at the cell's edge.
  p.save();
  p.setClipRect(rect);
  p.drawText(rect.adjusted(2, 2, 0, 0), Qt::AlignLeft | Qt::AlignTop, Cell(column, row));
  p.restore();
}

void TReadoutGrid::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), palette().color(QPalette::Window));
  // One-pixel grid lines between the cells, as a string grid draws them.
  const int w0 = ColumnWidth(0);
  const int w1 = std::max(0, ColumnWidth(1));
  const int h = RowHeight();
  for (int r = 0; r < kReadoutRows; ++r) {
    const int top = r * (h + 1);
    StringGrid1DrawCell(p, 0, r, QRect(0, top, w0, h));
    StringGrid1DrawCell(p, 1, r, QRect(w0 + 1, top, w1, h));
  }
}
