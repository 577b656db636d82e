// Reading the command line of tarnisk-cli.
#include "cli/CliOptions.h"

#include <algorithm>
#include <cctype>
#include <set>

#include "image/FileNames.h"

bool AllDigits(const std::string& s) {
  return !s.empty() &&
         std::all_of(s.begin(), s.end(), [](unsigned char c) { return std::isdigit(c) != 0; });
}

namespace {

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

// A positive number of at most 5 digits.
int SizeNumber(const std::string& s, const std::string& whole, const std::string& option,
               TCliCommand command) {
  if (!AllDigits(s) || s.size() > 5 || std::stoi(s) < 1)
    throw CliUsageError("malformed " + option + " value: " + whole + " (WxH)",
                        CommandName(command));
  return std::stoi(s);
}

// The options each command takes, and which of them take a value.
const std::set<std::string> kWithValue = {
    "--image",  "--decimal-point", "--spectroscopy", "--out",  "--out-dir",   "--op", "--ascii",
    "--native", "--kind",          "--bmp",          "--view", "--view-size", "--to", "--palette"};

std::set<std::string> OptionsOf(TCliCommand command) {
  std::set<std::string> common = {"--image", "--decimal-point", "--spectroscopy", "--quiet"};
  const std::set<std::string> view = {"--view-size", "--zscale", "--zero-max", "--xy-label"};
  switch (command) {
    case TCliCommand::Info:
      common.insert("--text");
      break;
    case TCliCommand::Export:
      common.insert({"--out", "--out-dir"});
      break;
    case TCliCommand::Process:
      common.insert({"--op", "--ascii", "--native", "--kind", "--bmp", "--view", "--stats",
                     "--profile", "--s3d", "--out-dir", "--palette"});
      common.insert(view.begin(), view.end());
      break;
    case TCliCommand::Convert:
      common.insert({"--to", "--out-dir"});
      common.insert(view.begin(), view.end());
      break;
  }
  return common;
}

std::optional<TCliCommand> CommandOf(const std::string& name) {
  if (name == "info") return TCliCommand::Info;
  if (name == "export") return TCliCommand::Export;
  if (name == "process") return TCliCommand::Process;
  if (name == "convert") return TCliCommand::Convert;
  return std::nullopt;
}

void SetOption(TCliOptions& o, const std::string& name, const std::string& value) {
  const TCliCommand cmd = o.Command;
  const auto bad = [&](const std::string& why) { throw CliUsageError(why, CommandName(cmd)); };
  // Each of these options names one thing: given twice, all but the last would be
  // dropped without a word (an output never written). Operations, --profile and --s3d
  // may repeat.
  if (name != "--op" && !o.GivenOptions.insert(name).second)
    bad(name + " is given more than once (--op, --profile and --s3d may repeat)");
  if (name == "--image") {
    if (value == "all")
      o.Image.reset();
    else if (AllDigits(value) && value.size() <= 5 && std::stoi(value) >= 1)
      o.Image = std::stoi(value);
    else
      bad("malformed --image value: " + value + " (a number from 1, or all)");
  } else if (name == "--decimal-point") {
    // Only the two separators every reader of numbers takes: any other character
    // would make numbers that no file of this program reads back ("1x5", "125").
    if (value != "." && value != ",")
      bad("malformed --decimal-point value: '" + value + "' (. or ,)");
    o.DecimalPoint = value[0];
  } else if (name == "--spectroscopy") {
    if (value == "yes")
      o.Spectroscopy = TModalResult::mrYes;
    else if (value == "no")
      o.Spectroscopy = TModalResult::mrNo;
    else if (value == "cancel")
      o.Spectroscopy = TModalResult::mrCancel;
    else
      bad("malformed --spectroscopy value: " + value + " (yes, no or cancel)");
  } else if (name == "--out") {
    o.Out = value;
  } else if (name == "--out-dir") {
    if (value.empty()) bad("--out-dir needs a folder name");
    o.OutDir = value;
  } else if (name == "--op") {
    o.Ops.push_back(ParseOperation(value));
  } else if (name == "--ascii") {
    o.Ascii = value;
  } else if (name == "--native") {
    o.Native = value;
  } else if (name == "--kind") {
    if (value == "sin")
      o.Kind = TNativeKind::Sin;
    else if (value == "int")
      o.Kind = TNativeKind::Int;
    else
      bad("malformed --kind value: " + value + " (sin or int)");
  } else if (name == "--bmp") {
    o.Bmp = value;
  } else if (name == "--palette") {
    o.Palette = value;
  } else if (name == "--view") {
    const std::string s = Lower(FilePartExtension(value));
    if (s != "png" && s != "svg") bad("--view writes .png or .svg files, not " + value);
    o.View = value;
  } else if (name == "--view-size") {
    const size_t x = Lower(value).find('x');
    if (x == std::string::npos) bad("malformed --view-size value: " + value + " (WxH)");
    o.ViewW = SizeNumber(value.substr(0, x), value, name, cmd);
    o.ViewH = SizeNumber(value.substr(x + 1), value, name, cmd);
    if (o.ViewW > 10000 || o.ViewH > 10000) bad("--view-size is at most 10000x10000: " + value);
  } else if (name == "--to") {
    if (value == "ascii")
      o.To = TConvertTarget::Ascii;
    else if (value == "native-sin")
      o.To = TConvertTarget::NativeSin;
    else if (value == "native-int")
      o.To = TConvertTarget::NativeInt;
    else if (value == "bmp")
      o.To = TConvertTarget::Bmp;
    else if (value == "png")
      o.To = TConvertTarget::Png;
    else
      bad("malformed --to value: " + value + " (ascii, native-sin, native-int, bmp or png)");
  }
}

void SetFlag(TCliOptions& o, const std::string& name) {
  if (name == "--quiet") o.Quiet = true;
  if (name == "--text") o.Text = true;
  if (name == "--stats") o.Stats = true;
  if (name == "--zscale") o.ZScale = true;
  if (name == "--zero-max") o.ZeroMax = true;
  if (name == "--xy-label") o.XYLabel = true;
}

void CheckCombination(TCliOptions& o) {
  const std::string cmd = CommandName(o.Command);
  const auto bad = [&](const std::string& why) { throw CliUsageError(why, cmd); };
  if (o.Files.empty()) bad("no input file");
  if (!o.Out.empty() && !o.OutDir.empty()) bad("give either --out or --out-dir, not both");
  switch (o.Command) {
    case TCliCommand::Info:
      break;
    case TCliCommand::Export:
      if (o.SeveralImages() && o.OutDir.empty())
        bad("several images are exported: give --out-dir DIR (or one file and --image N)");
      break;
    case TCliCommand::Process:
      if (!o.Native.empty() && !o.Kind) bad("--native needs --kind sin or --kind int");
      if (o.Kind && o.Native.empty()) bad("--kind belongs to --native PATH");
      if (o.SeveralImages() && o.HasFileOutputs() && o.OutDir.empty())
        bad("several images are written: give --out-dir DIR (or one file and --image N)");
      break;
    case TCliCommand::Convert:
      if (!o.To) bad("convert needs --to ascii|native-sin|native-int|bmp|png");
      if (o.OutDir.empty()) o.OutDir.assign(1, '.');
      break;
  }
}

}  // namespace

const char* CommandName(TCliCommand command) {
  switch (command) {
    case TCliCommand::Info:
      return "info";
    case TCliCommand::Export:
      return "export";
    case TCliCommand::Process:
      return "process";
    case TCliCommand::Convert:
      return "convert";
  }
  return "";
}

TCliParse ParseCommandLine(const std::vector<std::string>& args) {
  TCliParse parse;
  if (args.empty()) throw CliUsageError("no command given");
  const std::string& first = args[0];
  if (first == "--help" || first == "-h" || first == "help") {
    parse.What = TCliParse::Action::Help;
    if (first == "help" && args.size() > 1) parse.HelpFor = CommandOf(args[1]);
    return parse;
  }
  if (first == "--version") {
    parse.What = TCliParse::Action::Version;
    return parse;
  }
  const auto command = CommandOf(first);
  if (!command) {
    if (first.rfind("-", 0) == 0) throw CliUsageError("unknown option: " + first);
    throw CliUsageError("unknown command: " + first);
  }
  TCliOptions& o = parse.Options;
  o.Command = *command;
  // The default image: every image for info and convert, the first for the others.
  if (o.Command == TCliCommand::Export || o.Command == TCliCommand::Process) o.Image = 1;

  // COMMAND --help wins over everything else on the line.
  for (size_t i = 1; i < args.size() && args[i] != "--"; ++i)
    if (args[i] == "--help" || args[i] == "-h") {
      parse.What = TCliParse::Action::Help;
      parse.HelpFor = o.Command;
      return parse;
    }

  const std::set<std::string> allowed = OptionsOf(o.Command);
  bool filesOnly = false;
  for (size_t i = 1; i < args.size(); ++i) {
    std::string arg = args[i];
    if (filesOnly || arg.size() < 2 || arg[0] != '-') {
      o.Files.push_back(arg);
      continue;
    }
    if (arg == "--") {
      filesOnly = true;
      continue;
    }
    std::optional<std::string> inlineValue;
    const size_t eq = arg.find('=');
    if (arg.rfind("--", 0) == 0 && eq != std::string::npos) {
      inlineValue = arg.substr(eq + 1);
      arg = arg.substr(0, eq);
    }
    if (!allowed.count(arg)) {
      if (OptionsOf(TCliCommand::Process).count(arg) || OptionsOf(TCliCommand::Info).count(arg) ||
          OptionsOf(TCliCommand::Export).count(arg) || OptionsOf(TCliCommand::Convert).count(arg))
        throw CliUsageError(arg + " is not an option of " + CommandName(o.Command),
                            CommandName(o.Command));
      throw CliUsageError("unknown option: " + arg, CommandName(o.Command));
    }
    if (arg == "--profile" || arg == "--s3d") {
      // Two values: the profile line (also as --profile=LINE) and the path.
      std::string choice;
      if (inlineValue) {
        choice = *inlineValue;
      } else {
        if (i + 1 >= args.size())
          throw CliUsageError(arg + " needs a value and a PATH", CommandName(o.Command));
        choice = args[++i];
      }
      if (i + 1 >= args.size()) throw CliUsageError(arg + " needs a PATH", CommandName(o.Command));
      const std::string path = args[++i];
      if (arg == "--profile") {
        const auto p = ParseProfileChoice(choice);
        if (!p)
          throw CliUsageError("malformed --profile value: " + choice +
                                  " (row:N[:W], col:N[:W], any:X1,Y1,X2,Y2 or radial:ANGLE[:W])",
                              CommandName(o.Command));
        o.Profiles.push_back({*p, path});
      } else {
        const auto r = ParseReliefChoice(choice);
        if (!r)
          throw CliUsageError("malformed --s3d value: " + choice + " (G,S: two integers)",
                              CommandName(o.Command));
        o.Reliefs.push_back({*r, path});
      }
      continue;
    }
    if (kWithValue.count(arg)) {
      std::string value;
      if (inlineValue) {
        value = *inlineValue;
      } else {
        if (i + 1 >= args.size())
          throw CliUsageError(arg + " needs a value", CommandName(o.Command));
        value = args[++i];
      }
      try {
        SetOption(o, arg, value);
      } catch (const CliUsageError& e) {
        throw CliUsageError(e.what(), CommandName(o.Command));
      }
    } else {
      if (inlineValue) throw CliUsageError(arg + " takes no value", CommandName(o.Command));
      SetFlag(o, arg);
    }
  }
  CheckCombination(o);
  return parse;
}
