// Message boxes shown by the viewer: texts, titles, buttons and answers.
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include "app/QtMessages.h"

namespace {
// Reads the next modal message box when it appears and presses `button` on it.
void AnswerNextBox(QString* text, QString* title, QMessageBox::StandardButton button) {
  QTimer::singleShot(0, [=] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box) return;
    *text = box->text();
    *title = box->windowTitle();
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
};

QTEST_MAIN(TestQtMessages)
#include "tst_qtmessages.moc"
