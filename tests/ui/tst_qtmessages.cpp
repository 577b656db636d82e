// Message boxes shown by the viewer: texts, titles, buttons and answers.
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include "app/QtMessages.h"

namespace {
// Reads the next modal message box when it appears and presses `button` on it.
void AnswerNextBox(QString* text, QString* title, QMessageBox::StandardButton button,
                   QWidget** owner = nullptr) {
  QTimer::singleShot(0, [=] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box) return;
    *text = box->text();
    *title = box->windowTitle();
    if (owner) *owner = box->parentWidget();
    if (QAbstractButton* b = box->button(button)) b->click();
  });
}
}  // namespace

class TestQtMessages : public QObject {
  Q_OBJECT
 private slots:
  void carriageReturnsBreakLines() {
    QtMessages m;
    QString text, title;
    AnswerNextBox(&text, &title, QMessageBox::Ok);
    m.ShowMessage("Mean = 2.5\rStD  = 1.1", TMsgDlgType::mtInformation);
    QCOMPARE(text, QString("Mean = 2.5\nStD  = 1.1"));
    AnswerNextBox(&text, &title, QMessageBox::Ok);
    m.ShowMessage("a\r\nb", TMsgDlgType::mtInformation);
    QCOMPARE(text, QString("a\nb"));
  }
  void errorBoxWithItsOwnTitle() {
    QtMessages m;
    QString text, title;
    AnswerNextBox(&text, &title, QMessageBox::Ok);
    m.ShowMessage("Unknown file type", TMsgDlgType::mtError, "Error");
    QCOMPARE(text, QString("Unknown file type"));
    QCOMPARE(title, QString("Error"));
  }
  void questionReturnsThePressedButton() {
    QtMessages m;
    QString text, title;
    AnswerNextBox(&text, &title, QMessageBox::No);
    QCOMPARE(m.Ask("Read?", TMsgDlgType::mtConfirmation, mbYes | mbNo | mbCancel, true),
             TModalResult::mrNo);
    AnswerNextBox(&text, &title, QMessageBox::Cancel);
    QCOMPARE(m.Ask("Read?", TMsgDlgType::mtConfirmation, mbYes | mbNo | mbCancel, false),
             TModalResult::mrCancel);
  }
  void boxesOpenAboveAStaysOnTopWindowInUse() {
    QWidget main;
    main.resize(400, 300);
    main.show();
    QtMessages m(&main);
    QString text, title;
    QWidget* owner = nullptr;
    AnswerNextBox(&text, &title, QMessageBox::Ok, &owner);
    m.ShowMessage("a", TMsgDlgType::mtInformation);
    QCOMPARE(owner, &main);
    // A window that stays on top of the main window, in use: its boxes belong to it.
    QWidget editor(&main, Qt::Window | Qt::WindowStaysOnTopHint);
    editor.resize(200, 200);
    editor.show();
    editor.activateWindow();
    QTRY_COMPARE(QApplication::activeWindow(), &editor);
    AnswerNextBox(&text, &title, QMessageBox::Yes, &owner);
    QCOMPARE(m.Ask("b?", TMsgDlgType::mtConfirmation, mbYes | mbNo, false), TModalResult::mrYes);
    QCOMPARE(owner, &editor);
    editor.activateWindow();  // the test platform does not hand activation back itself
    QTRY_COMPARE(QApplication::activeWindow(), &editor);
    AnswerNextBox(&text, &title, QMessageBox::Ok, &owner);
    m.ShowMessageAt("c", TMsgDlgType::mtError);
    QCOMPARE(owner, &editor);
    // Back in the main window, the main window owns them again.
    main.activateWindow();
    QTRY_COMPARE(QApplication::activeWindow(), &main);
    AnswerNextBox(&text, &title, QMessageBox::Ok, &owner);
    m.ShowMessage("d", TMsgDlgType::mtInformation);
    QCOMPARE(owner, &main);
  }
};

QTEST_MAIN(TestQtMessages)
#include "tst_qtmessages.moc"
