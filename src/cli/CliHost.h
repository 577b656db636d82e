// The CLI's side of opening files: message boxes become stderr lines, and the
// images a file yields are kept in a list, like the viewer's windows.
#pragma once

#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "image/DocumentHost.h"
#include "image/Messages.h"
#include "image/TImageDoc.h"

// Writes every box as one line "tarnisk-cli: FILE: TEXT" on stderr (line breaks as
// " / ") and answers the Omicron spectroscopy question from --spectroscopy.
class CliMessages : public Messages {
 public:
  // `err` receives the lines (standard error when null).
  CliMessages(char separator, TModalResult spectroscopyAnswer, std::ostream* err = nullptr)
      : separator_(separator), spectroscopy_(spectroscopyAnswer), err_(err) {}

  std::string File;  // the file being worked on, named in every line
  int Count = 0;     // boxes shown so far (questions not counted)

  void ShowMessage(const std::string& text, TMsgDlgType kind, const std::string& title) override;
  TModalResult Ask(const std::string& text, TMsgDlgType kind, unsigned buttons,
                   bool atDialogPosition) override;
  void Beep() override {}
  char DecimalSeparator() const override { return separator_; }

  // A line of the CLI's own about the current file.
  void Say(const std::string& text);

 protected:
  void Note(const std::string& text) override { Say(text); }

 private:
  char separator_;
  TModalResult spectroscopy_;
  std::ostream* err_;
};

// One line of text for stderr: CR LF, CR and LF become " / ".
std::string OneLine(const std::string& text);

// The images of one open command. At most 16, like the viewer's child windows.
class CliHost : public TDocumentHost {
 public:
  explicit CliHost(CliMessages& messages) : messages_(messages) {}

  Messages& Msgs() override { return messages_; }
  TImageDoc& NewImage(const std::string& name) override;
  void ImageReady(TImageDoc& doc) override;
  void DiscardImage(TImageDoc& doc) override;
  // After the open command: an image the opener left neither ready nor discarded
  // is kept when it has a matrix (rendered) and counted as discarded otherwise.
  void Finish();

  std::vector<std::unique_ptr<TImageDoc>> Images;  // ready images, in the order opened
  int Discarded = 0;                               // images a reader failed on

 private:
  CliMessages& messages_;
  std::vector<std::unique_ptr<TImageDoc>> pending_;
};
