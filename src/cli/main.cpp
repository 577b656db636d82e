// tarnisk-cli: the viewer's readers, writers and rendering driven from a shell.
#include <QGuiApplication>
#include <QLocale>
#include <clocale>
#include <csignal>
#include <cstdlib>
#include <iostream>
#include <string>

#include "cli/CliOptions.h"
#include "cli/Commands.h"
#include "cli/Help.h"
#include "image/ImageDecoder.h"
#include "qtgui/QtImageDecoder.h"

namespace {

// Qt's own diagnostics (missing runtime folders, font fallbacks) are not messages of
// this program: stderr carries only the program's lines.
void QuietQtMessages(QtMsgType type, const QMessageLogContext&, const QString& text) {
  // One write per line: files of a batch that run at the same time may report here,
  // and their lines must not run into each other or into the batch's ordered output.
  if (type == QtFatalMsg || type == QtCriticalMsg) {
    const std::string line = "tarnisk-cli: " + text.toLocal8Bit().toStdString() + "\n";
    std::cerr.write(line.data(), static_cast<std::streamsize>(line.size()));
    std::cerr.flush();
  }
}

char LocaleDecimalPoint() {
  const QString point = QLocale::system().decimalPoint();
  if (point.size() == 1 && point[0].unicode() < 128) return static_cast<char>(point[0].unicode());
  return '.';
}

}  // namespace

int main(int argc, char** argv) {
  // A reader that closes the pipe early (| head) makes the next write fail, which is
  // said and gives exit status 1, instead of ending the program by a signal.
  std::signal(SIGPIPE, SIG_IGN);
  const std::vector<std::string> args(argv + 1, argv + argc);
  TCliParse parse;
  try {
    parse = ParseCommandLine(args);
  } catch (const CliUsageError& e) {
    std::cerr << "tarnisk-cli: " << e.what() << "\n";
    if (e.Command.empty())
      std::cerr << "Try 'tarnisk-cli --help' for more information.\n";
    else
      std::cerr << "Try 'tarnisk-cli " << e.Command << " --help' for more information.\n";
    return 2;
  }
  switch (parse.What) {
    case TCliParse::Action::Help:
    case TCliParse::Action::Version: {
      const std::string text = parse.What == TCliParse::Action::Version ? VersionText()
                               : parse.HelpFor ? CommandHelp(*parse.HelpFor)
                                               : GeneralHelp();
      if (WriteStandardOutput(text)) return 0;
      std::cerr << "tarnisk-cli: cannot write to standard output\n";
      return 1;
    }
    case TCliParse::Action::Run:
      break;
  }
  // No window is ever shown: fonts and painting work without a display. Qt sees no
  // arguments, so that file names are never taken for Qt options.
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  qInstallMessageHandler(QuietQtMessages);
  int qtArgc = 1;
  char* qtArgv[] = {argv[0], nullptr};
  QGuiApplication app(qtArgc, qtArgv);
  // Qt sets the C locale from the environment; numbers in files are read and
  // written with our own separator rules, never the C library's.
  std::setlocale(LC_NUMERIC, "C");
  // Bitmaps of every depth and compression are decoded by the platform.
  static QtImageDecoder decoder;
  SetImageDecoder(&decoder);
  const TCliOptions& o = parse.Options;
  const char sep = o.DecimalPoint ? *o.DecimalPoint : LocaleDecimalPoint();
  try {
    return RunCommand(o, sep);
  } catch (const std::exception& e) {
    std::cerr << "tarnisk-cli: " << e.what() << std::endl;
    return 1;
  }
}
