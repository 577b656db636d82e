// TAboutBox: icon, program name and version; no system menu, no minimise/maximise.
#include "app/TAboutBox.h"

#include <QApplication>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>

TAboutBox::TAboutBox(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
  setObjectName("AboutBox");
  setAttribute(Qt::WA_DeleteOnClose);
  setModal(false);
  setWindowTitle("About");
  auto* icon = new QLabel(this);
  icon->setPixmap(QApplication::style()->standardIcon(QStyle::SP_MessageBoxInformation).pixmap(32));
  icon->setAlignment(Qt::AlignTop | Qt::AlignHCenter);
  auto* name = new QLabel("tarnisk", this);
  name->setObjectName("NameLabel");
  QFont f = name->font();
  f.setBold(true);
  f.setPointSize(f.pointSize() + 4);
  name->setFont(f);
  auto* text = new QLabel("Scanning probe microscopy\nimage viewer", this);
  text->setObjectName("TextLabel");
  auto* version = new QLabel("ver. 1.02b", this);
  version->setObjectName("VersionLabel");
  OKbtn = new QPushButton("OK", this);
  OKbtn->setObjectName("OKbtn");
  OKbtn->setMinimumSize(75, 25);
  connect(OKbtn, &QPushButton::clicked, this, &QDialog::close);

  // A layout gives every text the room it needs at the current font; the box is
  // never smaller than its design size 238 x 185.
  auto* grid = new QGridLayout(this);
  grid->setContentsMargins(16, 16, 16, 16);
  grid->setHorizontalSpacing(16);
  grid->addWidget(icon, 0, 0, 3, 1);
  grid->addWidget(name, 0, 1);
  grid->addWidget(text, 1, 1);
  grid->addWidget(version, 2, 1);
  grid->setRowStretch(3, 1);
  grid->addWidget(OKbtn, 4, 0, 1, 2, Qt::AlignHCenter);
  grid->setSizeConstraint(QLayout::SetMinimumSize);
  setMinimumSize(238, 185);
  resize(minimumSizeHint().expandedTo(QSize(238, 185)));
}
