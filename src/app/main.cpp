// tarnisk: the viewer's entry point.
#include <QApplication>

#include "app/QtMessages.h"
#include "app/TMainForm.h"
#include "image/ImageDecoder.h"
#include "image/Messages.h"
#include "qtgui/QtImageDecoder.h"

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("tarnisk"));

  QtMessages messages;
  SetDefaultMessages(&messages);
  // Bitmaps of every depth and compression are decoded by the platform.
  QtImageDecoder decoder;
  SetImageDecoder(&decoder);
  int result = 0;
  {
    TMainForm mainForm(&messages);
    messages.SetMainWindow(&mainForm);
    mainForm.show();
    mainForm.OpenFromCommandLine(QApplication::arguments());
    result = QApplication::exec();
  }
  SetImageDecoder(nullptr);
  SetDefaultMessages(nullptr);
  return result;
}
