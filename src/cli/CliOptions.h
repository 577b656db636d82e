// The command line of tarnisk-cli: commands, options and their checks. Everything
// that is malformed is refused here, before any file is opened.
#pragma once

#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "cli/Operations.h"
#include "cli/ProfileOutputs.h"
#include "formats/NativeWriter.h"
#include "image/Messages.h"

// Bad usage: exit status 2 with this one-line reason and a pointer to --help.
class CliUsageError : public std::runtime_error {
 public:
  CliUsageError(const std::string& reason, const std::string& command = {})
      : std::runtime_error(reason), Command(command) {}
  std::string Command;  // the command whose help the pointer names, or empty
};

enum class TCliCommand { Info, Export, Process, Convert };

// What --to of convert writes.
enum class TConvertTarget { Ascii, NativeSin, NativeInt, Bmp, Png };

struct TCliOptions {
  TCliCommand Command = TCliCommand::Info;
  std::vector<std::string> Files;
  // The options given so far (each may be given once, --op many times).
  std::set<std::string> GivenOptions;

  // --image: nullopt = every image; otherwise the 1-based number.
  std::optional<int> Image;
  std::optional<char> DecimalPoint;
  TModalResult Spectroscopy = TModalResult::mrYes;
  bool Quiet = false;
  bool Text = false;  // info --text

  std::string Out;     // --out PATH (export)
  std::string OutDir;  // --out-dir DIR

  std::vector<TCliOperation> Ops;

  // process outputs; an empty path means "not asked for"
  std::string Ascii;
  std::string Native;
  std::optional<TNativeKind> Kind;
  std::string Bmp;
  std::string View;
  bool Stats = false;
  std::string Palette;  // --palette PATH: the colour table as a palette file

  // the composed view
  int ViewW = 0;  // 0: the default for the chosen colour bar setting
  int ViewH = 0;
  bool ZScale = false;
  bool ZeroMax = false;
  bool XYLabel = false;

  // --profile LINE PATH and --s3d G,S PATH, in the order given.
  struct TProfileRequest {
    TProfileChoice Choice;
    std::string Path;
  };
  struct TReliefRequest {
    TReliefChoice Choice;
    std::string Path;
  };
  std::vector<TProfileRequest> Profiles;
  std::vector<TReliefRequest> Reliefs;

  std::optional<TConvertTarget> To;

  // More than one image may be chosen: several files, or every image of one.
  bool SeveralImages() const { return Files.size() > 1 || !Image.has_value(); }
  bool HasFileOutputs() const {
    return !Ascii.empty() || !Native.empty() || !Bmp.empty() || !View.empty() || !Palette.empty() ||
           !Profiles.empty() || !Reliefs.empty();
  }
};

// The outcome of reading the command line.
struct TCliParse {
  enum class Action { Run, Help, Version } What = Action::Run;
  std::optional<TCliCommand> HelpFor;  // COMMAND --help
  TCliOptions Options;
};

// Throws CliUsageError for bad usage.
TCliParse ParseCommandLine(const std::vector<std::string>& args);

const char* CommandName(TCliCommand command);

// True for a non-empty text of decimal digits only: the numbers of the command line.
bool AllDigits(const std::string& s);
