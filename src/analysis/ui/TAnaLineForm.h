// The line profile window: a small copy of the image on which a row, a column, a free
// line or a ray is placed, the profile graph with two measuring cursors and their
// read-outs, and Save and Copy of the profile. The state and rules are those of
// TLineProfileModel; this window owns the controls, paints and keeps the settings.
#pragma once

#include <QImage>
#include <QMdiSubWindow>
#include <functional>

#include "analysis/LineProfile.h"
#include "image/Messages.h"
#include "image/NumberEdit.h"

class QCheckBox;
class QComboBox;
class QFileDialog;
class QFrame;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class TIniFile;
class TImageControl;
class TNumberEditKeys;
class TReadoutGrid;

class TAnaLineForm : public QMdiSubWindow {
  Q_OBJECT
 public:
  // `refresh` is the main window's Refresh command, run when the window closes.
  TAnaLineForm(TIniFile& settings, Messages& messages, std::function<void()> refresh,
               QWidget* parent = nullptr);
  ~TAnaLineForm() override;

  // The image (not owned; the image window that owns it destroys this window first).
  void SetPicture(const TVKMPicture* picture);

  TLineProfileModel& Model() { return model_; }
  bool Busy() const { return busy_; }

  QWidget* Form = nullptr;  // the client area the controls are placed on
  TImageControl* Image1 = nullptr;
  TImageControl* Image2 = nullptr;
  QComboBox* ComboBox1 = nullptr;
  QLineEdit* Edit1 = nullptr;  // width
  QLineEdit* Edit2 = nullptr;  // row, column or angle
  QLabel* Label1 = nullptr;    // distance unit, under the graph
  QLabel* Label2 = nullptr;    // "number" / "angle"
  QLabel* Label3 = nullptr;    // "width"
  QLabel* Label5 = nullptr;    // "0"
  QLabel* Label6 = nullptr;    // the profile length
  QLabel* Label7 = nullptr;    // maximum
  QLabel* Label8 = nullptr;    // value unit
  QLabel* Label9 = nullptr;    // minimum
  QFrame* Panel1 = nullptr;    // start marker of the free line
  QFrame* Panel2 = nullptr;    // end marker
  QCheckBox* CheckBox1 = nullptr;
  TReadoutGrid* StringGrid1 = nullptr;
  QPushButton* Button1 = nullptr;  // Copy
  QPushButton* SaveButton = nullptr;
  QPushButton* CancelButton = nullptr;
  QProgressBar* ProgressBar1 = nullptr;  // the radial preparation's progress

  TEditState Edit1State() const { return edit1_.State; }
  TEditState Edit2State() const { return edit2_.State; }

  // Handlers, as the controls call them.
  void ComboBox1Change();
  void Edit1Enter();
  void Edit2Enter();
  void Image1MouseDown(int x, int y);
  void Image1MouseMove(int x, int y);
  void Panel1MouseMove(QFrame* panel, int x, int y);
  void Image2MouseDown(int x, int y);
  void Image2MouseMove(int x, int y);
  void SaveButtonClick();
  // What Save does with the name the dialog gave: ".dat" appended to a name without a
  // ".", the file written, the folder kept in "Save"/"Path"; "Save not complete!" and
  // false when the file cannot be written.
  bool SaveTo(const std::string& chosenName);
  void CopyButtonClick();
  void CancelButtonClick();
  void FormResize();

 protected:
  void closeEvent(QCloseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void changeEvent(QEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void FormCreate();
  void FormDestroy();
  void LayoutLeftColumn();
  // Runs a change that may prepare a mode (hourglass, busy, progress), then shows.
  void Prepare(const std::function<void(Progress*)>& work);
  // The model's state into the controls; `graph` redraws the profile graph too.
  void ShowModel(bool graph = true);
  void DrawImage1();
  void DrawGraph();
  void DrawCrosses();
  void ShowLineAgain();

  TIniFile& settings_;
  Messages& messages_;
  std::function<void()> refresh_;
  TLineProfileModel model_;
  TNumberEdit edit1_, edit2_;
  TNumberEditKeys* edit1Keys_ = nullptr;
  TNumberEditKeys* edit2Keys_ = nullptr;
  QImage imageCopy_;      // the image stretched over Image1, without marker
  QImage graph_;          // the clean graph
  QImage graphSnapshot_;  // the graph the crosses are drawn on
  bool busy_ = false;
  bool comboConnected_ = false;
};
