// Platform services the core needs: message boxes, questions, the beep and the
// locale's decimal separator. The viewer implements them with Qt, the CLI writes
// to stderr, tests record what was said and answer questions from a script.
#pragma once

#include <string>

enum class TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };

// Button set of a question, as bit flags.
enum TMsgDlgButton : unsigned {
  mbYes = 1u << 0,
  mbNo = 1u << 1,
  mbOK = 1u << 2,
  mbCancel = 1u << 3,
};

// The button that closed a box.
enum class TModalResult { mrNone, mrOK, mrCancel, mrYes, mrNo };

class Messages {
 public:
  virtual ~Messages() = default;

  // A modal box with an OK button. `title` empty means the application title.
  virtual void ShowMessage(const std::string& text, TMsgDlgType kind = TMsgDlgType::mtInformation,
                           const std::string& title = {}) = 0;

  // A box with an OK button placed beside the main window (MessageDlgAt), as the
  // messages of an import that runs in phases are shown.
  virtual void ShowMessageAt(const std::string& text,
                             TMsgDlgType kind = TMsgDlgType::mtInformation) {
    ShowMessage(text, kind, {});
  }

  // A question with the given buttons; `atDialogPosition` places the box beside the
  // main window (MessageDlgAt) instead of the centre of the screen.
  virtual TModalResult Ask(const std::string& text, TMsgDlgType kind, unsigned buttons,
                           bool atDialogPosition) = 0;

  // The system beep.
  virtual void Beep() = 0;

  // The decimal separator of the user's locale.
  virtual char DecimalSeparator() const = 0;

  // A message saying that data of a file were lost or replaced by zeros (a file that
  // ends too early, a read error, a channel that is not read): shown like any other
  // (beside the main window when `atDialogPosition`) and counted, so that a batch run
  // can tell a file read only partly from one read whole.
  void ShowDataLoss(const std::string& text, TMsgDlgType kind, bool atDialogPosition = false) {
    ++dataLosses_;
    if (atDialogPosition)
      ShowMessageAt(text, kind);
    else
      ShowMessage(text, kind, {});
  }
  int DataLossCount() const { return dataLosses_; }

  // Data lost where the viewer shows no box (its open command ends quietly there):
  // counted all the same, and told only where there is no one watching (a batch run
  // writes it as a line).
  void NoteDataLoss(const std::string& text) {
    ++dataLosses_;
    Note(text);
  }

 protected:
  // A line for a record of the run; the viewer keeps none.
  virtual void Note(const std::string& /*text*/) {}

 private:
  int dataLosses_ = 0;
};

// Used where no platform is attached: says nothing, answers every question with the
// first offered button, uses '.' as separator.
class SilentMessages : public Messages {
 public:
  explicit SilentMessages(char separator = '.') : separator_(separator) {}
  void ShowMessage(const std::string&, TMsgDlgType, const std::string&) override {}
  TModalResult Ask(const std::string&, TMsgDlgType, unsigned buttons, bool) override;
  void Beep() override {}
  char DecimalSeparator() const override { return separator_; }

 private:
  char separator_;
};

// The process-wide default used by objects created without an explicit Messages.
Messages& DefaultMessages();
void SetDefaultMessages(Messages* messages);
