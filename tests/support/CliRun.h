// Runs the built tarnisk-cli as a program, in the C locale, and collects its exit
// status and both output streams.
#pragma once

#include <QByteArray>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>

struct TCliResult {
  int exit = -1;  // -1 also when the program crashed or did not end within two minutes
  QByteArray out;
  QByteArray err;
};

inline TCliResult RunCli(const QStringList& args) {
  QProcess p;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("LC_ALL", "C");
  p.setProcessEnvironment(env);
  p.start(TARNISK_CLI_PATH, args);
  if (!p.waitForFinished(120000)) return {};
  return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, p.readAllStandardOutput(),
          p.readAllStandardError()};
}
