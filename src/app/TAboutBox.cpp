// TAboutBox: icon, program name and version; no system menu, no minimise/maximise.
#include "app/TAboutBox.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QStyle>

TAboutBox::TAboutBox(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
  setObjectName("AboutBox");
  setAttribute(Qt::WA_DeleteOnClose);
  setModal(false);
  setWindowTitle("About");
  setFixedSize(238, 185);
  auto* icon = new QLabel(this);
  icon->setPixmap(QApplication::style()->standardIcon(QStyle::SP_MessageBoxInformation).pixmap(32));
  icon->setGeometry(16, 16, 40, 40);
  auto* name = new QLabel("tarnisk", this);
  QFont f = name->font();
  f.setBold(true);
  f.setPointSize(f.pointSize() + 4);
  name->setFont(f);
  name->setGeometry(72, 16, 150, 28);
  auto* text = new QLabel("Scanning probe microscopy\nimage viewer", this);
  text->setGeometry(72, 48, 160, 40);
  auto* version = new QLabel("ver. 1.02b", this);
  version->setObjectName("VersionLabel");
  version->setGeometry(72, 96, 150, 20);
  OKbtn = new QPushButton("OK", this);
  OKbtn->setObjectName("OKbtn");
  OKbtn->setGeometry(81, 140, 75, 25);
  connect(OKbtn, &QPushButton::clicked, this, &QDialog::close);
}
