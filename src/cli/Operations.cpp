// Operations of `process --op`. Each one works on the image as the viewer's command
// does and leaves it rendered, so minimum and maximum are current for the next.
#include "cli/Operations.h"

#include <cctype>

#include "cli/CliOptions.h"
#include "process/Arithmetic.h"

namespace {

enum class TOpKind { Invert };

bool KnownOperation(const std::string& name, TOpKind& kind) {
  if (name == "invert") {
    kind = TOpKind::Invert;
    return true;
  }
  return false;
}

// Operations that a single command performs once and have no "do" to press.
bool TakesRepeat(TOpKind kind) {
  return kind != TOpKind::Invert;
}

}  // namespace

TCliOperation ParseOperation(const std::string& text) {
  TCliOperation op;
  op.Text = text;
  op.Name = text;
  // "*K" with K digits at the very end: press "do" K times.
  const size_t star = text.rfind('*');
  bool hasRepeat = false;
  if (star != std::string::npos && star + 1 < text.size()) {
    bool digits = true;
    for (size_t i = star + 1; i < text.size(); ++i)
      digits = digits && std::isdigit(static_cast<unsigned char>(text[i]));
    if (digits) {
      const std::string k = text.substr(star + 1);
      if (k.size() > 6 || std::stoi(k) < 1) throw CliUsageError("malformed operation: " + text);
      op.Repeat = std::stoi(k);
      op.Name = text.substr(0, star);
      hasRepeat = true;
    }
  }
  TOpKind kind;
  if (!KnownOperation(op.Name, kind)) throw CliUsageError("unknown operation: " + text);
  if (hasRepeat && !TakesRepeat(kind)) throw CliUsageError("malformed operation: " + text);
  return op;
}

bool ApplyOperation(const TCliOperation& op, TImageDoc& doc, Messages& /*msgs*/, char sep) {
  TOpKind kind;
  if (!KnownOperation(op.Name, kind) || !doc.HasImage()) return false;
  switch (kind) {
    case TOpKind::Invert:
      InvertPicture(*doc.Picture);
      break;
  }
  doc.Render(sep);
  return true;
}
