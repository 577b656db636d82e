// The commands of tarnisk-cli. Each file is opened as the viewer opens it, into a
// list of images; the chosen images are then reported, exported or processed.
#include "cli/Commands.h"

#include <unistd.h>

#include <QFile>
#include <QFont>
#include <QString>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <set>

#include "analysis/ProfileReadouts.h"
#include "analysis/Relief3D.h"
#include "analysis/Roughness.h"
#include "cli/Batch.h"
#include "cli/CliHost.h"
#include "cli/CliProgress.h"
#include "cli/OutputGuard.h"
#include "formats/AsciiExport.h"
#include "formats/NativeWriter.h"
#include "formats/OpenFile.h"
#include "image/FileNames.h"
#include "image/NumberFormat.h"
#include "image/TextEncoding.h"
#include "palette/Palette.h"
#include "qtgui/ViewPainter.h"
#include "settings/SettingsKeys.h"

namespace {

bool Interactive(const TCliOptions& o) {
  return !o.Quiet && ::isatty(STDERR_FILENO);
}

// The window font of a new image window: the settings file's default font.
QFont WindowFont() {
  QFont font(QString::fromLatin1(settings::kDefaultFontName));
  font.setPointSize(settings::kDefaultFontSize);
  font.setStyleHint(QFont::SansSerif);
  return font;
}

class ImageRun {
 public:
  // `out` takes what goes to standard output; `err` the progress lines, shown only
  // when `liveProgress` (the run writes straight to a terminal).
  ImageRun(const TCliOptions& o, CliMessages& msgs, const std::string& file, char sep,
           std::ostream& out, std::ostream& err, bool liveProgress)
      : o_(o),
        msgs_(msgs),
        file_(file),
        sep_(sep),
        out_(out),
        err_(err),
        progressShown_(liveProgress && ProgressShown(o.Quiet)) {}

  // Runs the command on image n (1-based) of `count`; false when something failed.
  bool Run(TImageDoc& doc, int n, int count) {
    switch (o_.Command) {
      case TCliCommand::Info:
        return Info(doc, n);
      case TCliCommand::Export:
        return Export(doc, n, count);
      case TCliCommand::Process:
        return Process(doc, n, count);
      case TCliCommand::Convert:
        return Convert(doc, n, count);
    }
    return false;
  }

 private:
  const TCliOptions& o_;
  CliMessages& msgs_;
  const std::string& file_;
  char sep_;
  std::ostream& out_;
  std::ostream& err_;
  bool progressShown_;
  bool toldStdout_ = false;

  std::string G(double v) const { return FormatGeneral(v, sep_); }

  bool Info(const TImageDoc& doc, int n) {
    const TVKMPicture& p = *doc.Picture;
    const TScanPara& s = p.ScanPara;
    std::string t;
    t += "image: " + std::to_string(n) + "\n";
    t += "title: " + DisplayText(doc.Caption) + "\n";
    t += "columns: " + std::to_string(p.Columns) + "\n";
    t += "rows: " + std::to_string(p.Rows) + "\n";
    t += "xPixel: " + std::to_string(s.xPixel) + "\n";
    t += "yPixel: " + std::to_string(s.yPixel) + "\n";
    t += "XScanRange: " + G(s.XScanRange) + "\n";
    t += "YScanRange: " + G(s.YScanRange) + "\n";
    t += "XPhysUnit: " + DisplayText(s.XPhysUnit) + "\n";
    t += "YPhysUnit: " + DisplayText(s.YPhysUnit) + "\n";
    t += "PhysUnit: " + DisplayText(s.PhysUnit) + "\n";
    t += "Scale: " + G(s.Scale) + "\n";
    t += "min: " + G(p.Min) + "\n";
    t += "max: " + G(p.Max) + "\n";
    if (o_.Text)
      for (const std::string& line : doc.InfoText) t += "| " + DisplayText(line) + "\n";
    t += "\n";
    return StandardOutput(t);
  }

  // Text on standard output, checked like a file: a write that fails (a full
  // device, a closed pipe) is said once and fails the image.
  bool StandardOutput(const std::string& text) {
    out_.write(text.data(), static_cast<std::streamsize>(text.size()));
    out_.flush();
    if (!out_) {
      if (!toldStdout_) msgs_.Say("cannot write to standard output");
      toldStdout_ = true;
      return false;
    }
    return true;
  }

  // False, with the reason said, when `path` is a file this run reads or has written.
  bool MayWrite(const std::string& path) {
    const std::string refusal = output_guard::Refusal(path);
    if (refusal.empty()) return true;
    msgs_.Say(refusal);
    return false;
  }

  bool Written(bool ok, const std::string& path) {
    if (!ok) {
      msgs_.Say("cannot write " + path);
      return false;
    }
    output_guard::Written(path);
    if (Interactive(o_)) msgs_.Say("wrote " + path);
    return true;
  }

  bool Export(const TImageDoc& doc, int n, int count) {
    const std::string path = OutputPath(o_.OutDir, file_, n, count, "dat", o_.Out);
    if (path.empty()) {
      return StandardOutput(AsciiExportText(*doc.Picture, sep_));
    }
    if (!MayWrite(path)) return false;
    return Written(WriteAsciiExport(*doc.Picture, path, sep_), path);
  }

  // With --out-dir the output's own PATH gives only the extension.
  std::string Target(const std::string& path, int n, int count, const char* fallbackExt) {
    std::string ext = FilePartExtension(path);
    if (ext.empty()) ext = fallbackExt;
    return OutputPath(o_.OutDir, file_, n, count, ext, path);
  }

  bool Native(TImageDoc& doc, const std::string& path, TNativeKind kind) {
    // The writer says "File exists! Abort!" and the like itself; the data file it
    // replaces without asking must not be one this run reads or wrote.
    const TNativeSaveNames names = NativeSaveNames(path, kind);
    if (!MayWrite(names.DataFile)) return false;
    if (!WriteNativeFiles(doc, path, kind, msgs_)) return false;
    output_guard::Written(names.ParamFile);
    output_guard::Written(names.DataFile);
    if (Interactive(o_)) msgs_.Say("wrote " + path);
    return true;
  }

  bool PaletteFile(const TImageDoc& doc, const std::string& path) {
    // The palette writer says "Cannot write file ..." itself.
    if (!MayWrite(path)) return false;
    if (!SaveColourTable(doc.Picture->ColourTable, path, msgs_)) return false;
    output_guard::Written(path);
    if (Interactive(o_)) msgs_.Say("wrote " + path);
    return true;
  }

  bool View(TImageDoc& doc, const std::string& path) {
    TViewOptions v;
    v.ZScale = o_.ZScale;
    v.ZeroMax = o_.ZeroMax;
    v.XYLabel = o_.XYLabel;
    const int w = o_.ViewW > 0 ? o_.ViewW : (o_.ZScale ? 450 : 300);
    const int h = o_.ViewH > 0 ? o_.ViewH : 300;
    if (!MayWrite(path)) return false;
    QString error;
    if (!WriteComposedView(path, doc, v, w, h, WindowFont(), sep_, &error)) {
      msgs_.Say(error.toStdString());
      return false;
    }
    output_guard::Written(path);
    if (Interactive(o_)) msgs_.Say("wrote " + path);
    return true;
  }

  bool Process(TImageDoc& doc, int n, int count) {
    CliProgress progress(err_, progressShown_, file_);
    TCliOpContext ctx{msgs_, sep_, progress};
    for (const TCliOperation& op : o_.Ops)
      if (!ApplyOperation(op, doc, ctx)) {
        msgs_.Say("operation " + op.Text + " refused; no output written for image " +
                  std::to_string(n));
        return false;
      }
    bool ok = true;
    if (!o_.Ascii.empty()) {
      const std::string path = Target(o_.Ascii, n, count, "dat");
      ok = MayWrite(path) && Written(WriteAsciiExport(*doc.Picture, path, sep_), path) && ok;
    }
    if (!o_.Native.empty()) ok = Native(doc, Target(o_.Native, n, count, "txt"), *o_.Kind) && ok;
    if (!o_.Bmp.empty()) {
      const std::string path = Target(o_.Bmp, n, count, "bmp");
      ok = MayWrite(path) && Written(WriteBitmapFile(doc.Image1, path), path) && ok;
    }
    if (!o_.View.empty()) ok = View(doc, Target(o_.View, n, count, "png")) && ok;
    if (!o_.Palette.empty()) ok = PaletteFile(doc, Target(o_.Palette, n, count, "PAL")) && ok;
    for (const auto& r : o_.Profiles) ok = Profile(doc, r, n, count) && ok;
    for (const auto& r : o_.Reliefs) ok = Relief(doc, r, n, count) && ok;
    if (o_.Stats) {
      // The text of the box, its carriage return printed as a line break.
      if (auto text = RoughnessMessage(doc.Picture.get(), sep_)) {
        std::string out;
        for (char c : *text) out += c == '\r' ? '\n' : c;
        ok = StandardOutput(out + "\n") && ok;
      } else {
        // The viewer shows nothing then; a script reading the blocks in order must not
        // take the next image's block for this one's.
        msgs_.Say("no roughness for image " + std::to_string(n) +
                  ": its values give none (no values, or a value that is no number)");
        ok = false;
      }
    }
    return ok;
  }

  // The profile window's Save file for one --profile request.
  bool Profile(const TImageDoc& doc, const TCliOptions::TProfileRequest& r, int n, int count) {
    TLineProfileModel model;
    CliProgress progress(err_, progressShown_, file_ + ": profile");
    RunProfileChoice(r.Choice, *doc.Picture, sep_, model, &progress);
    const std::string path = Target(r.Path, n, count, "dat");
    const std::string text = ProfileFileText(model.Profile, model.Step);
    if (!MayWrite(path)) return false;
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    f.write(text.data(), static_cast<std::streamsize>(text.size()));
    f.close();
    return Written(static_cast<bool>(f), path);
  }

  // The 3D view's bitmap B for one --s3d request.
  bool Relief(const TImageDoc& doc, const TCliOptions::TReliefRequest& r, int n, int count) {
    const TReliefParams params = ReliefParams(r.Choice.Gain, r.Choice.Shift);
    TBitmap8 B;
    const std::string path = Target(r.Path, n, count, "bmp");
    if (!DrawRelief(*doc.Picture, params.Gain, params.Shift, B)) {
      msgs_.Say("no values to draw in 3D");
      return false;
    }
    return MayWrite(path) && Written(WriteBitmapFile(B, path), path);
  }

  bool Convert(TImageDoc& doc, int n, int count) {
    switch (*o_.To) {
      case TConvertTarget::Ascii: {
        const std::string path = OutputPath(o_.OutDir, file_, n, count, "dat", {});
        return MayWrite(path) && Written(WriteAsciiExport(*doc.Picture, path, sep_), path);
      }
      case TConvertTarget::NativeSin:
        return Native(doc, OutputPath(o_.OutDir, file_, n, count, "txt", {}), TNativeKind::Sin);
      case TConvertTarget::NativeInt:
        return Native(doc, OutputPath(o_.OutDir, file_, n, count, "txt", {}), TNativeKind::Int);
      case TConvertTarget::Bmp: {
        const std::string path = OutputPath(o_.OutDir, file_, n, count, "bmp", {});
        return MayWrite(path) && Written(WriteBitmapFile(doc.Image1, path), path);
      }
      case TConvertTarget::Png:
        return View(doc, OutputPath(o_.OutDir, file_, n, count, "png", {}));
    }
    return false;
  }
};

}  // namespace

bool WriteStandardOutput(const std::string& text) {
  if (!std::cout) return false;
  std::cout.write(text.data(), static_cast<std::streamsize>(text.size()));
  std::cout.flush();
  return static_cast<bool>(std::cout);
}

std::string InputBaseName(const std::string& path) {
  std::string name = FileNamePart(path);
  // A name that begins with its only "." (".hidden") keeps it.
  const size_t dot = name.rfind('.');
  if (dot != std::string::npos && dot > 0) name.resize(dot);
  return name;
}

std::string OutputPath(const std::string& outDir, const std::string& inputFile, int n, int count,
                       const std::string& ext, const std::string& explicitPath) {
  if (outDir.empty()) return explicitPath;
  std::string path = outDir;
  if (path.back() != '/') path += '/';
  path += InputBaseName(inputFile);
  if (count > 1) {
    path += '_';
    path += std::to_string(n);
  }
  if (!ext.empty()) path += "." + ext;
  return path;
}

namespace {

// One file of the command: opened, then the chosen images run. Returns 0 or 1.
int RunFile(const TCliOptions& o, const std::string& file, char sep, std::ostream& out,
            std::ostream& err, bool liveProgress) {
  CliMessages msgs(sep, o.Spectroscopy, &err);
  msgs.File = file;
  CliHost host(msgs);
  try {
    OpenFile(file, host);
  } catch (const TooManyData&) {
    // Said as "Too many Data!" already; the images opened so far stay.
  } catch (const std::exception& e) {
    msgs.Say(e.what());
  }
  host.Finish();
  const int count = static_cast<int>(host.Images.size());
  if (count == 0) {
    // The reader has said why; a file that yields nothing is a failed file.
    if (msgs.Count == 0) msgs.Say("no image could be read");
    return 1;
  }
  int status = host.Discarded > 0 ? 1 : 0;
  int first = 1, last = count;
  if (o.Image) {
    if (*o.Image > count) {
      msgs.Say("there is no image " + std::to_string(*o.Image) + " (the file holds " +
               std::to_string(count) + ")");
      return 1;
    }
    first = last = *o.Image;
  }
  ImageRun run(o, msgs, file, sep, out, err, liveProgress);
  for (int n = first; n <= last; ++n)
    if (!run.Run(*host.Images[n - 1], n, count)) status = 1;
  // A file read only partly (a message said data were lost or set to 0) is a file
  // that could not be read, although its images were still worked on and written.
  if (msgs.DataLossCount() > 0) status = 1;
  return status;
}

// The name an output of `path`'s file starts with, with every trailing "_<n>" taken
// off: "scan_2" and "scan" share it, since image 2 of "scan" is written as "scan_2".
std::string OutputStem(const std::string& path) {
  std::string stem = InputBaseName(path);
  for (;;) {
    const size_t cut = stem.rfind('_');
    if (cut == std::string::npos || cut + 1 == stem.size() ||
        stem.find_first_not_of("0123456789", cut + 1) != std::string::npos)
      return stem;
    stem.resize(cut);
  }
}

}  // namespace

bool FilesRunApart(const TCliOptions& o) {
  if (o.OutDir.empty()) return true;  // several files then write nothing but stdout
  std::set<std::string> stems;
  for (const std::string& f : o.Files)
    if (!stems.insert(OutputStem(f)).second) return false;
  for (const TCliOperation& op : o.Ops)
    if (!op.InputFile.empty() && stems.count(OutputStem(op.InputFile))) return false;
  return true;
}

int RunCommand(const TCliOptions& o, char sep) {
  output_guard::Start();
  if (!o.OutDir.empty()) {
    // The output folder is made when it does not exist yet.
    std::error_code error;
    std::filesystem::create_directories(o.OutDir, error);
    if (!std::filesystem::is_directory(o.OutDir, error)) {
      std::cerr << "tarnisk-cli: cannot make the output folder " << o.OutDir << std::endl;
      return 1;
    }
  }
  const size_t files = o.Files.size();
  // Files are independent: a batch uses every processor, and their outputs and
  // messages come in the order of the files as if they had run one after another.
  const unsigned threads = files > 1 && FilesRunApart(o) ? UsableProcessors() : 1;
  const bool live = threads <= 1;
  return RunInOrder(
      files, threads,
      [&](size_t f, std::ostream& out, std::ostream& err) {
        return RunFile(o, o.Files[f], sep, out, err, live);
      },
      std::cout, std::cerr,
      [&](size_t f, std::ostream& err) {
        if (files > 1 && Interactive(o))
          err << "tarnisk-cli: [" << f + 1 << "/" << files << "] " << o.Files[f] << std::endl;
      },
      [&](size_t f, std::ostream& err) {
        err << "tarnisk-cli: " << o.Files[f] << ": cannot write to standard output" << std::endl;
      });
}
