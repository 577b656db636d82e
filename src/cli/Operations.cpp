// Operations of `process --op`. Each one works on the image as the viewer's command
// does and leaves it rendered, so minimum and maximum are current for the next.
#include "cli/Operations.h"

#include "cli/CliHost.h"
#include "cli/CliOptions.h"
#include "cli/OpsFft.h"
#include "cli/OpsPalette.h"
#include "cli/OpsSphere.h"
#include "cli/OpsWorkbench.h"
#include "formats/OpenFile.h"
#include "image/NumberFormat.h"
#include "image/TextEncoding.h"
#include "process/Arithmetic.h"
#include "process/Rescale.h"

[[noreturn]] void MalformedOperation(const std::string& text) {
  throw CliUsageError("malformed operation: " + text);
}

std::vector<std::string> SplitArgs(const std::string& text, char by) {
  std::vector<std::string> parts;
  size_t start = 0;
  for (;;) {
    const size_t at = text.find(by, start);
    parts.push_back(text.substr(start, at == std::string::npos ? std::string::npos : at - start));
    if (at == std::string::npos) return parts;
    start = at + 1;
  }
}

namespace {

// invert: Process > Invers.
TCliApply ParseInvert(const std::string&, const std::string&) {
  return [](TImageDoc& doc, int, TCliOpContext&) {
    InvertPicture(*doc.Picture);
    return true;
  };
}

// rescale:X,Y,Z[,XUNIT,YUNIT,ZUNIT]: the rescale dialog filled from the image, the
// new values typed in, then OK. The numbers are written with a point, since the comma
// separates the fields; like the dialog's edits they must be finite in single
// precision (a range of 1e39 could not be saved and read again).
TCliApply ParseRescale(const std::string& args, const std::string& text) {
  std::vector<std::string> fields = SplitArgs(args, ',');
  if (fields.size() != 3 && fields.size() != 6) MalformedOperation(text);
  for (int i = 0; i < 3; ++i) {
    TNumberEdit edit(fields[i], TEditState::White);
    if (!edit.AcceptSingle('.')) MalformedOperation(text);
  }
  return [fields](TImageDoc& doc, int, TCliOpContext& ctx) {
    TAxesModel dialog;
    dialog.FormShow(*doc.Picture, ctx.Sep);
    dialog.Edit1.Text = fields[0];
    dialog.Edit2.Text = fields[1];
    dialog.Edit3.Text = fields[2];
    if (fields.size() == 6) {
      // As typed into the dialog: in the byte encoding of texts read from files.
      dialog.Edit4 = FileText(fields[3]);
      dialog.Edit5 = FileText(fields[4]);
      dialog.Edit6 = FileText(fields[5]);
    }
    return dialog.BitBtn2Click(doc.Picture.get(), ctx.Msgs, ctx.Sep) == TAxesOkResult::Applied;
  };
}

bool Arith(char op, const std::string& file2, int image2, TImageDoc& doc, TCliOpContext& ctx) {
  CliMessages& msgs = ctx.Msgs;
  // The second operand is opened like any input file; its messages name it.
  const std::string current = msgs.File;
  msgs.File = file2;
  CliHost host(msgs);
  OpenFile(file2, host);
  host.Finish();
  msgs.File = current;
  if (image2 > static_cast<int>(host.Images.size())) {
    msgs.Say("arith: " + file2 + " has no image " + std::to_string(image2));
    return false;
  }
  const TImageDoc& second = *host.Images[static_cast<size_t>(image2) - 1];
  TVKMPicture result(&msgs);
  TBitmap8 image3;
  const TArithOutcome outcome =
      ComputeArithmetic(doc.Picture.get(), second.Picture.get(), std::string(" ") + op, result,
                        image3, msgs, ctx.Sep);
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

// FILE2[#N]: "#" and digits at the very end give the image number; any other "#" is
// part of the file name ("run#a.txt"). A name that itself ends in "#" and digits is
// written with the number after it ("scan#2.txt" is fine, "scan#2" is "scan#2#1").
// `number` is empty when none is given.
void SplitImageNumber(const std::string& text, std::string& file, std::string& number) {
  const size_t hash = text.rfind('#');
  if (hash != std::string::npos && hash + 1 < text.size() && AllDigits(text.substr(hash + 1))) {
    file = text.substr(0, hash);
    number = text.substr(hash + 1);
  } else {
    file = text;
    number.clear();
  }
}

// arith:OP:FILE2[#N] with OP one of + - * /. The file name is taken as it stands, so a
// name that ends in "*2" is no repetition.
TCliApply ParseArith(const std::string& args, const std::string& text) {
  if (args.size() < 3 || args[1] != ':' || std::string("+-*/").find(args[0]) == std::string::npos)
    MalformedOperation(text);
  const char op = args[0];
  std::string file2, n;
  SplitImageNumber(args.substr(2), file2, n);
  int image2 = 1;
  if (!n.empty()) {
    if (n.size() > 3 || std::stoi(n) < 1) MalformedOperation(text);
    image2 = std::stoi(n);
  }
  if (file2.empty()) MalformedOperation(text);
  return [op, file2, image2](TImageDoc& doc, int, TCliOpContext& ctx) {
    return Arith(op, file2, image2, doc, ctx);
  };
}

// The second operand's file of "OP:FILE2[#N]".
std::string ArithFile(const std::string& args) {
  std::string file, number;
  SplitImageNumber(args.size() > 2 ? args.substr(2) : std::string(), file, number);
  return file;
}

std::string WholeArgs(const std::string& args) {
  return args;
}

// The row whose name and argument form fit `text`, or null; `args` receives the text
// after "name:".
const TCliOpRow* FindRow(const std::vector<TCliOpRow>& table, const std::string& text,
                         std::string& args) {
  for (const TCliOpRow& row : table) {
    const std::string name = row.Name;
    if (row.Args != TCliOpArgs::Required && text == name) {
      args.clear();
      return &row;
    }
    if (row.Args != TCliOpArgs::None && text.size() > name.size() &&
        text.compare(0, name.size(), name) == 0 && text[name.size()] == ':') {
      args = text.substr(name.size() + 1);
      return &row;
    }
  }
  return nullptr;
}

}  // namespace

const std::vector<TCliOpRow>& CliOperationTable() {
  static const std::vector<TCliOpRow> table = {
      {"level", TCliOpArgs::Required, true, ParseLevelOp},
      {"filter", TCliOpArgs::Required, true, ParseFilterOp},
      {"badpoints", TCliOpArgs::Required, true, ParseBadPointsOp},
      {"sphere", TCliOpArgs::Required, true, ParseSphereOp},
      {"invert", TCliOpArgs::None, false, ParseInvert},
      {"rescale", TCliOpArgs::Required, false, ParseRescale},
      {"arith", TCliOpArgs::Required, false, ParseArith, ArithFile},
      {"palette", TCliOpArgs::Required, false, ParsePaletteOp, WholeArgs},
      {"fft", TCliOpArgs::Optional, true, ParseFftOp},
      {"clip", TCliOpArgs::Required, true, ParseClipOp},
      {"crop", TCliOpArgs::Required, true, ParseCropOp},
  };
  return table;
}

TCliOperation ParseOperation(const std::string& text) {
  return ParseOperation(text, CliOperationTable());
}

TCliOperation ParseOperation(const std::string& text, const std::vector<TCliOpRow>& table) {
  TCliOperation op;
  op.Text = text;
  std::string args;
  const TCliOpRow* whole = FindRow(table, text, args);
  // "*K" with K digits at the very end: press "do" K times. A row that takes the
  // whole text and cannot repeat (arith's file name, rescale's numbers) reads the
  // suffix as part of its arguments.
  const size_t star = text.rfind('*');
  const bool suffix = star != std::string::npos && AllDigits(text.substr(star + 1));
  if (suffix && !(whole && !whole->Repeatable)) {
    const std::string k = text.substr(star + 1);
    if (k.size() > 6 || std::stoi(k) < 1) MalformedOperation(text);
    const TCliOpRow* row = FindRow(table, text.substr(0, star), args);
    if (!row) throw CliUsageError("unknown operation: " + text);
    if (!row->Repeatable) MalformedOperation(text);
    op.Row = row;
    op.Repeat = std::stoi(k);
  } else {
    if (!whole) throw CliUsageError("unknown operation: " + text);
    op.Row = whole;
  }
  op.Apply = op.Row->Parse(args, text);
  if (op.Row->InputFile) op.InputFile = op.Row->InputFile(args);
  return op;
}

bool ApplyOperation(const TCliOperation& op, TImageDoc& doc, TCliOpContext& ctx) {
  if (!op.Apply || !doc.HasImage()) return false;
  const bool ok = op.Apply(doc, op.Repeat, ctx);
  doc.Render(ctx.Sep);
  return ok;
}
