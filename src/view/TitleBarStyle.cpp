// Title bars elided in the middle.
#include "view/TitleBarStyle.h"

#include <QStyleOptionTitleBar>
#include <QWidget>

void TTitleBarStyle::drawComplexControl(ComplexControl control, const QStyleOptionComplex* option,
                                        QPainter* painter, const QWidget* widget) const {
  const auto* bar = qstyleoption_cast<const QStyleOptionTitleBar*>(option);
  if (control != CC_TitleBar || !bar || !widget) {
    QProxyStyle::drawComplexControl(control, option, painter, widget);
    return;
  }
  // The option arrives with the title already cut at its end; cut the whole title
  // in the middle instead, to the width the label has.
  QStyleOptionTitleBar own = *bar;
  own.text = widget->windowTitle();
  // Styles keep a margin inside the label (and cut again at its end when the text
  // does not fit), so the text is made to fit a little less than the whole label.
  const int width = subControlRect(CC_TitleBar, &own, SC_TitleBarLabel, widget).width() - 16;
  own.text = own.fontMetrics.elidedText(widget->windowTitle(), Qt::ElideMiddle, width);
  lastTitle_ = own.text;
  QProxyStyle::drawComplexControl(control, &own, painter, widget);
}
