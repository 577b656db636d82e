// tarnisk: the viewer's entry point.
#include <QApplication>

#include "app/QtMessages.h"
#include "app/TMainForm.h"
#include "image/Messages.h"

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("tarnisk"));

  QtMessages messages;
  SetDefaultMessages(&messages);
  int result = 0;
  {
    TMainForm mainForm(&messages);
    messages.SetMainWindow(&mainForm);
    mainForm.show();
    mainForm.OpenFromCommandLine(QApplication::arguments());
    result = QApplication::exec();
  }
  SetDefaultMessages(nullptr);
  return result;
}
