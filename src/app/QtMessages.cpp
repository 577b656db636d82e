// Message boxes, beep and decimal separator of the viewer.
#include "app/QtMessages.h"

#include <QApplication>
#include <QGuiApplication>
#include <QLocale>
#include <QMessageBox>
#include <QScreen>

#include "image/TextEncoding.h"

namespace {

QMessageBox::Icon IconOf(TMsgDlgType kind) {
  switch (kind) {
    case TMsgDlgType::mtWarning:
      return QMessageBox::Warning;
    case TMsgDlgType::mtError:
      return QMessageBox::Critical;
    case TMsgDlgType::mtInformation:
      return QMessageBox::Information;
    case TMsgDlgType::mtConfirmation:
      return QMessageBox::Question;
    case TMsgDlgType::mtCustom:
      break;
  }
  return QMessageBox::NoIcon;
}

QString TitleOf(TMsgDlgType kind, const std::string& title) {
  if (!title.empty()) return QString::fromStdString(DisplayText(title));
  switch (kind) {
    case TMsgDlgType::mtWarning:
      return QStringLiteral("Warning");
    case TMsgDlgType::mtError:
      return QStringLiteral("Error");
    case TMsgDlgType::mtConfirmation:
      return QStringLiteral("Confirm");
    default:
      break;
  }
  const QString app = QCoreApplication::applicationName();
  return app.isEmpty() ? QStringLiteral("tarnisk") : app;
}

QMessageBox::StandardButtons ButtonsOf(unsigned buttons) {
  QMessageBox::StandardButtons b;
  if (buttons & mbYes) b |= QMessageBox::Yes;
  if (buttons & mbNo) b |= QMessageBox::No;
  if (buttons & mbOK) b |= QMessageBox::Ok;
  if (buttons & mbCancel) b |= QMessageBox::Cancel;
  if (b == QMessageBox::StandardButtons()) b = QMessageBox::Ok;
  return b;
}

TModalResult ResultOf(int button) {
  switch (button) {
    case QMessageBox::Yes:
      return TModalResult::mrYes;
    case QMessageBox::No:
      return TModalResult::mrNo;
    case QMessageBox::Ok:
      return TModalResult::mrOK;
    case QMessageBox::Cancel:
      return TModalResult::mrCancel;
    default:
      return TModalResult::mrNone;
  }
}

// Message texts break lines with CR (the roughness text) or CR LF; a message box
// breaks them only at LF.
QString BoxText(const std::string& text) {
  QString t = QString::fromStdString(DisplayText(text));
  t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  t.replace(QChar('\r'), QChar('\n'));
  return t;
}

}  // namespace

QPoint MessageDlgAtPosition(int mainLeft, int screenHeight) {
  return QPoint(mainLeft + 200, screenHeight / 2 - 100);
}

QWidget* QtMessages::Owner() const {
  // A window that stays on top (a palette editor) lies above the main window and every
  // box the main window owns: while the user works in it, its boxes belong to it, so
  // they open above it instead of hidden beneath it.
  QWidget* active = QApplication::activeWindow();
  if (active && active != mainWindow_ && active->isVisible() &&
      active->windowFlags().testFlag(Qt::WindowStaysOnTopHint))
    return active;
  return mainWindow_;
}

void QtMessages::ShowMessage(const std::string& text, TMsgDlgType kind, const std::string& title) {
  QMessageBox box(IconOf(kind), TitleOf(kind, title), BoxText(text), QMessageBox::Ok, Owner());
  box.exec();
}

void QtMessages::ShowMessageAt(const std::string& text, TMsgDlgType kind) {
  MessageDlgAt(text, kind, mbOK);
}

TModalResult QtMessages::Ask(const std::string& text, TMsgDlgType kind, unsigned buttons,
                             bool atDialogPosition) {
  if (atDialogPosition) return MessageDlgAt(text, kind, buttons);
  QMessageBox box(IconOf(kind), TitleOf(kind, {}), BoxText(text), ButtonsOf(buttons), Owner());
  return ResultOf(box.exec());
}

TModalResult QtMessages::MessageDlgAt(const std::string& text, TMsgDlgType kind, unsigned buttons) {
  QMessageBox box(IconOf(kind), TitleOf(kind, {}), BoxText(text), ButtonsOf(buttons), Owner());
  const QScreen* screen = mainWindow_ ? mainWindow_->screen() : QGuiApplication::primaryScreen();
  const int screenHeight = screen ? screen->geometry().height() : 0;
  const int left = mainWindow_ ? mainWindow_->x() : 0;
  // Lay the box out first so that the move is not undone by centring on show.
  box.ensurePolished();
  box.adjustSize();
  box.move(MessageDlgAtPosition(left, screenHeight));
  return ResultOf(box.exec());
}

void QtMessages::Beep() {
  QApplication::beep();
}

char QtMessages::DecimalSeparator() const {
  const QString point = QLocale().decimalPoint();
  return point.size() == 1 && point.at(0).unicode() < 128 ? point.at(0).toLatin1() : '.';
}
