// The viewer's Messages: Qt message boxes (optionally at the fixed place beside the
// main window), the system beep and the locale's decimal separator.
#pragma once

#include <QPoint>
#include <QPointer>
#include <QWidget>

#include "image/Messages.h"

// Top-left corner of a positioned message box: x = the main window's Left + 200,
// y = screen height div 2 - 100 (screen coordinates).
QPoint MessageDlgAtPosition(int mainLeft, int screenHeight);

class QtMessages : public Messages {
 public:
  explicit QtMessages(QWidget* mainWindow = nullptr) : mainWindow_(mainWindow) {}

  void SetMainWindow(QWidget* mainWindow) { mainWindow_ = mainWindow; }

  void ShowMessage(const std::string& text, TMsgDlgType kind = TMsgDlgType::mtInformation,
                   const std::string& title = {}) override;
  void ShowMessageAt(const std::string& text, TMsgDlgType kind) override;
  TModalResult Ask(const std::string& text, TMsgDlgType kind, unsigned buttons,
                   bool atDialogPosition) override;
  void Beep() override;
  char DecimalSeparator() const override;

  // A message box with the given buttons placed at MessageDlgAtPosition.
  TModalResult MessageDlgAt(const std::string& text, TMsgDlgType kind, unsigned buttons);

 private:
  // The window a box belongs to: the main window, or the stays-on-top window in use.
  QWidget* Owner() const;

  QPointer<QWidget> mainWindow_;
};
