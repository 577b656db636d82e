// Operations of `process --op`. Each one works on the image as the viewer's command
// does and leaves it rendered, so minimum and maximum are current for the next.
#include "cli/Operations.h"

#include "cli/CliHost.h"
#include "cli/CliOptions.h"
#include "formats/OpenFile.h"
#include "image/NumberFormat.h"
#include "process/Arithmetic.h"
#include "process/Rescale.h"

namespace {

enum class TOpKind { Invert, Rescale, Arith };

bool KnownOperation(const std::string& name, TOpKind& kind) {
  if (name == "invert") {
    kind = TOpKind::Invert;
    return true;
  }
  if (name.rfind("rescale:", 0) == 0) {
    kind = TOpKind::Rescale;
    return true;
  }
  if (name.rfind("arith:", 0) == 0) {
    kind = TOpKind::Arith;
    return true;
  }
  return false;
}

std::vector<std::string> Split(const std::string& s, char by) {
  std::vector<std::string> parts;
  size_t start = 0;
  for (;;) {
    const size_t at = s.find(by, start);
    parts.push_back(s.substr(start, at == std::string::npos ? std::string::npos : at - start));
    if (at == std::string::npos) return parts;
    start = at + 1;
  }
}

// rescale:X,Y,Z[,XUNIT,YUNIT,ZUNIT]. The numbers are written with a point, since the
// comma separates the fields.
void ParseRescale(TCliOperation& op) {
  op.Args = Split(op.Name.substr(8), ',');
  if (op.Args.size() != 3 && op.Args.size() != 6)
    throw CliUsageError("malformed operation: " + op.Text);
  for (int i = 0; i < 3; ++i) {
    double v;
    if (!ParseNumber(op.Args[i], v, '.')) throw CliUsageError("malformed operation: " + op.Text);
  }
}

// arith:OP:FILE2[#N] with OP one of + - * /.
void ParseArith(TCliOperation& op) {
  const std::string rest = op.Name.substr(6);
  if (rest.size() < 3 || rest[1] != ':' || std::string("+-*/").find(rest[0]) == std::string::npos)
    throw CliUsageError("malformed operation: " + op.Text);
  op.Op = rest[0];
  op.File2 = rest.substr(2);
  const size_t hash = op.File2.rfind('#');
  if (hash != std::string::npos) {
    const std::string n = op.File2.substr(hash + 1);
    if (!AllDigits(n) || n.size() > 3 || std::stoi(n) < 1)
      throw CliUsageError("malformed operation: " + op.Text);
    op.Image2 = std::stoi(n);
    op.File2 = op.File2.substr(0, hash);
  }
  if (op.File2.empty()) throw CliUsageError("malformed operation: " + op.Text);
}

bool Rescale(const TCliOperation& op, TImageDoc& doc, Messages& msgs, char sep) {
  // The dialog filled from the image, the new values typed in, then OK.
  TAxesModel dialog;
  dialog.FormShow(*doc.Picture, sep);
  dialog.Edit1.Text = op.Args[0];
  dialog.Edit2.Text = op.Args[1];
  dialog.Edit3.Text = op.Args[2];
  if (op.Args.size() == 6) {
    dialog.Edit4 = op.Args[3];
    dialog.Edit5 = op.Args[4];
    dialog.Edit6 = op.Args[5];
  }
  return dialog.BitBtn2Click(doc.Picture.get(), msgs, sep) == TAxesOkResult::Applied;
}

bool Arith(const TCliOperation& op, TImageDoc& doc, CliMessages& msgs, char sep) {
  // The second operand is opened like any input file; its messages name it.
  const std::string current = msgs.File;
  msgs.File = op.File2;
  CliHost host(msgs);
  OpenFile(op.File2, host);
  host.Finish();
  msgs.File = current;
  if (op.Image2 > static_cast<int>(host.Images.size())) {
    msgs.Say("arith: " + op.File2 + " has no image " + std::to_string(op.Image2));
    return false;
  }
  const TImageDoc& second = *host.Images[static_cast<size_t>(op.Image2) - 1];
  TVKMPicture result(&msgs);
  TBitmap8 image3;
  const TArithOutcome outcome = ComputeArithmetic(
      doc.Picture.get(), second.Picture.get(), std::string(" ") + op.Op, result, image3, msgs, sep);
  if (!outcome.Computed()) return false;
  // "Use": a new "Calculus" image with the first operand's parameters replaces it.
  TImageDoc calculus(&msgs);
  if (!MakeCalculusDoc(calculus, doc.Index, result, &doc)) return false;
  doc.InitWindow(doc.Index, calculus.ChannelName);
  doc.ChannelCaption.clear();
  doc.InfoText = std::move(calculus.InfoText);
  doc.Picture = std::move(calculus.Picture);
  doc.Image1 = TBitmap8();
  return true;
}

}  // namespace

TCliOperation ParseOperation(const std::string& text) {
  TCliOperation op;
  op.Text = text;
  op.Name = text;
  // "*K" with K digits at the very end: press "do" K times. Only workbench
  // operations have a "do" button; none of the operations here has one.
  const size_t star = text.rfind('*');
  bool hasRepeat = false;
  if (star != std::string::npos) {
    const std::string k = text.substr(star + 1);
    if (AllDigits(k) && text.rfind("arith:", 0) != 0) {
      if (k.size() > 6 || std::stoi(k) < 1) throw CliUsageError("malformed operation: " + text);
      op.Repeat = std::stoi(k);
      op.Name = text.substr(0, star);
      hasRepeat = true;
    }
  }
  TOpKind kind;
  if (!KnownOperation(op.Name, kind)) throw CliUsageError("unknown operation: " + text);
  if (hasRepeat) throw CliUsageError("malformed operation: " + text);
  if (kind == TOpKind::Rescale) ParseRescale(op);
  if (kind == TOpKind::Arith) ParseArith(op);
  return op;
}

bool ApplyOperation(const TCliOperation& op, TImageDoc& doc, CliMessages& msgs, char sep) {
  TOpKind kind;
  if (!KnownOperation(op.Name, kind) || !doc.HasImage()) return false;
  bool ok = true;
  switch (kind) {
    case TOpKind::Invert:
      InvertPicture(*doc.Picture);
      break;
    case TOpKind::Rescale:
      ok = Rescale(op, doc, msgs, sep);
      break;
    case TOpKind::Arith:
      ok = Arith(op, doc, msgs, sep);
      break;
  }
  doc.Render(sep);
  return ok;
}
