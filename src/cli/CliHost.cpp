// Messages and the image list of tarnisk-cli.
#include "cli/CliHost.h"

#include <algorithm>
#include <iostream>

#include "image/TextEncoding.h"

std::string OneLine(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\r' || c == '\n') {
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      out += " / ";
    } else {
      out += c;
    }
  }
  return out;
}

void CliMessages::Say(const std::string& text) {
  (err_ ? *err_ : std::cerr) << "tarnisk-cli: " << File << ": " << OneLine(DisplayText(text))
                             << std::endl;
}

void CliMessages::ShowMessage(const std::string& text, TMsgDlgType, const std::string&) {
  ++Count;
  Say(text);
}

TModalResult CliMessages::Ask(const std::string& text, TMsgDlgType, unsigned buttons, bool) {
  Say(text);
  // The only question while opening is whether to read spectroscopy data.
  const auto offered = [&](TModalResult r) {
    switch (r) {
      case TModalResult::mrYes:
        return (buttons & mbYes) != 0;
      case TModalResult::mrNo:
        return (buttons & mbNo) != 0;
      case TModalResult::mrCancel:
        return (buttons & mbCancel) != 0;
      case TModalResult::mrOK:
        return (buttons & mbOK) != 0;
      default:
        return false;
    }
  };
  if (offered(spectroscopy_)) return spectroscopy_;
  if (buttons & mbYes) return TModalResult::mrYes;
  if (buttons & mbOK) return TModalResult::mrOK;
  if (buttons & mbNo) return TModalResult::mrNo;
  return TModalResult::mrCancel;
}

TImageDoc& CliHost::NewImage(const std::string& name) {
  if (Images.size() + pending_.size() >= 16) {
    // The file's further images are not read.
    messages_.ShowDataLoss("Too many Data!", TMsgDlgType::mtInformation);
    throw TooManyData();
  }
  auto doc = std::make_unique<TImageDoc>(&messages_);
  doc->InitWindow(static_cast<int>(Images.size() + pending_.size()), name);
  pending_.push_back(std::move(doc));
  return *pending_.back();
}

void CliHost::ImageReady(TImageDoc& doc) {
  doc.Render(messages_.DecimalSeparator());
  auto it = std::find_if(pending_.begin(), pending_.end(),
                         [&](const auto& p) { return p.get() == &doc; });
  if (it == pending_.end()) return;
  Images.push_back(std::move(*it));
  pending_.erase(it);
}

void CliHost::DiscardImage(TImageDoc& doc) {
  auto it = std::find_if(pending_.begin(), pending_.end(),
                         [&](const auto& p) { return p.get() == &doc; });
  if (it == pending_.end()) return;
  pending_.erase(it);
  ++Discarded;
}

void CliHost::Finish() {
  for (auto& doc : pending_) {
    if (doc->HasImage()) {
      doc->Render(messages_.DecimalSeparator());
      Images.push_back(std::move(doc));
    } else {
      ++Discarded;
    }
  }
  pending_.clear();
}
