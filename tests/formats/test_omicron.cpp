// Omicron import: parameter file parsing, the question, titles, data, damaged files
// and the instrument's own files.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>

#include "formats/Omicron.h"
#include "formats/OpenReaders.h"
#include "support/CollectingHost.h"
#include "support/TempDir.h"

namespace {

struct TopoChannel {
  std::string letter;
  std::string file;
  std::string resolution = "0.1";
};

struct SpectroChannel {
  std::string letter;
  std::string file;
  std::string resolution = "1";
  std::string points = "3";
  std::string x = "2";
  std::string y = "2";
};

std::string Key(const std::string& key, int width) {
  return key +
         std::string(static_cast<size_t>(std::max<int>(1, width - static_cast<int>(key.size()))),
                     ' ') +
         ": ";
}

// A parameter file in the later layout (key column 32 wide, scan description after
// byte 467) or, with `v21`, in the earlier one (key column 30 wide, scan description
// near the top).
std::string ParFile(const std::vector<TopoChannel>& topo,
                    const std::vector<SpectroChannel>& spectro, bool v21 = false,
                    const std::string& sizeX = "4", const std::string& sizeY = "3") {
  const int w = v21 ? 30 : 32;
  const std::string pad(static_cast<size_t>(w), ' ');
  std::string s =
      ";\n;               Omicron SPM Control.\n;           Parameter file for SPM data.\n;\n\n";
  s += Key("Version", w) + (v21 ? "V2.1\n" : "V2.2\n");
  if (!v21) {
    s += Key("Format", w) + "Binary\n" + Key("System", w) + "SCALA\n";
    while (s.size() < 520) s += ";\n";
  }
  s += ";\n; Scanner Area Description.\n;\n\n";
  s += Key("Field X Size in nm", w) + "100.000     ;[nm]\n";
  s += Key("Field Y Size in nm", w) + "75.000     ;[nm]\n";
  s += Key("Image Size in X", w) + sizeX + "\n";
  s += Key("Image Size in Y", w) + sizeY + "\n";
  s += Key("Increment X", w) + "25     ;[nm]\n";
  s += Key("Increment Y", w) + "25     ;[nm]\n";
  s += Key("Scan Angle", w) + "0.00000     ;[Degree]\n";
  s += Key("X Offset", w) + "0.00000     ;[nm]\n";
  s += Key("Y Offset", w) + "0.00000     ;[nm]\n\n";
  for (const TopoChannel& c : topo) {
    s += Key("Topographic Channel", w) + c.letter + "   ;Channel\n";
    s += pad + "Forward\n";
    s += pad + "-32767   ;Minimum raw value\n" + pad + "32767   ;Maximum raw value\n";
    s += pad + "-10.0   ;Minimum value in physical unit\n";
    s += pad + "10.0   ;Maximum value in physical unit\n";
    s += pad + c.resolution + "   ;Resolution\n" + pad + "nm   ;Physical unit\n";
    s += pad + c.file + "   ;Filename\n" + pad + "Z   ;Display name\n\n";
  }
  for (const SpectroChannel& c : spectro) {
    s += Key("Spectroscopy Channel", w) + c.letter + "   ;Channel\n";
    s += pad + c.resolution + "   ;Resolution\n";
    s += pad + c.points + "   ;Number of spectroscopy points\n";
    s += pad + c.file + "   ;Filename\n";
    s += Key("Spectroscopy Points in X", w) + c.x + "\n";
    s += Key("Spectroscopy Lines in Y", w) + c.y + "\n\n";
  }
  return s;
}

// Big-endian words.
std::vector<uint8_t> BE(std::initializer_list<int> values) {
  std::vector<uint8_t> b;
  for (int v : values) {
    b.push_back(static_cast<uint8_t>((v >> 8) & 0xFF));
    b.push_back(static_cast<uint8_t>(v & 0xFF));
  }
  return b;
}

std::vector<uint8_t> Ramp(int count, int start = 0) {
  std::vector<uint8_t> b;
  for (int i = 0; i < count; ++i) {
    const std::vector<uint8_t> w = BE({start + i});
    b.insert(b.end(), w.begin(), w.end());
  }
  return b;
}

std::vector<std::string> Titles(const CollectingHost& host) {
  std::vector<std::string> t;
  for (const auto& d : host.docs) t.push_back(d->Caption);
  return t;
}

void Open(CollectingHost& host, const std::string& path) {
  OpenOmicronFile(path, host);
  EXPECT_EQ(host.Pending(), 0u);
  EXPECT_EQ(host.readyWithoutImage, 0);
  EXPECT_EQ(host.cursor, (std::vector<bool>{true, false}));
}

const char* const kQuestion00 =
    "Found 0 topographic and0 spectroscopic image(s)\n       Read spectroscopy data?";

}  // namespace

TEST(Omicron, TopographicChannelsAndSpectroscopyFramesOpenInOrder) {
  TempDir dir;
  const std::string par =
      dir.Write("m.par", ParFile({{"Z", "m.tf0", "0.5"}, {"I", "m.tf1", "1"}}, {{"I", "m.sp0"}}));
  std::vector<uint8_t> z = BE({0x0100, -2});  // bytes 01 00 and FF FE
  const std::vector<uint8_t> rest = Ramp(10, 1);
  z.insert(z.end(), rest.begin(), rest.end());
  dir.Write("m.tf0", z);
  dir.Write("m.tf1", Ramp(12, 100));
  dir.Write("m.sp0", Ramp(12, 1000));

  CollectingHost host;
  Open(host, par);
  EXPECT_EQ(host.messages.asked,
            std::vector<std::string>{
                "Found 2 topographic and1 spectroscopic image(s)\n       Read spectroscopy data?"});
  const std::string folder = dir.Folder();
  EXPECT_EQ(Titles(host), (std::vector<std::string>{folder + "m.tf0 :Z channel",
                                                    folder + "m.tf1 :I channel", "1", "2", "3"}));
  ASSERT_EQ(host.docs.size(), 5u);
  const TVKMPicture& zp = *host.docs[0]->Picture;
  ASSERT_EQ(zp.Columns, 4);
  ASSERT_EQ(zp.Rows, 3);
  EXPECT_EQ(zp.RowTable[0][0], 128);  // 256 x 0.5
  EXPECT_EQ(zp.RowTable[0][1], -1);   // -2 x 0.5
  EXPECT_EQ(zp.RowTable[2][3], 5);    // row 0 first, each row from column 0
  EXPECT_EQ(host.docs[1]->Picture->RowTable[1][0], 104);
  // The frames are consecutive 2 x 2 parts of the one spectroscopy file.
  for (int j = 0; j < 3; ++j) {
    const TVKMPicture& f = *host.docs[2 + j]->Picture;
    ASSERT_EQ(f.Columns, 2);
    ASSERT_EQ(f.Rows, 2);
    EXPECT_EQ(f.RowTable[0][0], 1000 + 4 * j);
    EXPECT_EQ(f.RowTable[1][1], 1003 + 4 * j);
  }
  // The reader sets no scan parameter.
  EXPECT_EQ(zp.ScanPara.XScanRange, 0);
  EXPECT_EQ(zp.ScanPara.PhysUnit, "");
  EXPECT_TRUE(host.messages.shown.empty());
}

TEST(Omicron, AnswersNoAndCancel) {
  TempDir dir;
  const std::string par =
      dir.Write("m.par", ParFile({{"Z", "m.tf0"}, {"I", "m.tf1"}}, {{"I", "m.sp0"}}));
  dir.Write("m.tf0", Ramp(12));
  dir.Write("m.tf1", Ramp(12));
  dir.Write("m.sp0", Ramp(12));
  CollectingHost no;
  no.messages.answers = {TModalResult::mrNo};
  Open(no, par);
  EXPECT_EQ(no.docs.size(), 2u);
  CollectingHost cancel;
  cancel.messages.answers = {TModalResult::mrCancel};
  Open(cancel, par);
  EXPECT_TRUE(cancel.docs.empty());
  EXPECT_EQ(cancel.created, 0);
}

namespace {
// Records how the question is put, not only its text.
class QuestionForm : public RecordingMessages {
 public:
  TMsgDlgType kind = TMsgDlgType::mtCustom;
  unsigned buttons = 0;
  bool beside = false;
  TModalResult Ask(const std::string& text, TMsgDlgType k, unsigned b, bool at) override {
    kind = k;
    buttons = b;
    beside = at;
    return RecordingMessages::Ask(text, k, b, at);
  }
};
}  // namespace

TEST(Omicron, TheQuestionIsAnInformationBoxBesideTheMainWindow) {
  TempDir dir;
  const std::string par = dir.Write("q.par", ParFile({{"Z", "q.tf0"}}, {{"I", "q.sp0"}}));
  QuestionForm msgs;
  msgs.answers = {TModalResult::mrNo};
  TOmicron omicron(msgs);
  ASSERT_TRUE(omicron.OpenParameterFile(par));
  EXPECT_EQ(msgs.kind, TMsgDlgType::mtInformation);
  EXPECT_EQ(msgs.buttons, static_cast<unsigned>(mbYes | mbNo | mbCancel));
  EXPECT_TRUE(msgs.beside);
  EXPECT_EQ(omicron.ChannelCount(0), 1);
  EXPECT_EQ(omicron.ChannelCount(1), 0);
}

TEST(Omicron, ResolutionScalesTheRawValue) {
  TempDir dir;
  const std::string par = dir.Write("r.par", ParFile({{"Z", "r.tf0", "0.1"}}, {}, false, "1", "1"));
  dir.Write("r.tf0", BE({100}));
  CollectingHost host;
  Open(host, par);
  ASSERT_EQ(host.docs.size(), 1u);
  EXPECT_FLOAT_EQ(host.docs[0]->Picture->RowTable[0][0], 10);
}

TEST(Omicron, ChannelLinesNeedBlanksBeforeTheColon) {
  TempDir dir;
  dir.Write("a.tf0", Ramp(12));
  // 13 blanks (later layout), 11 blanks (earlier layout, found from the start of the
  // file), and none, which is no channel line.
  std::string none = ParFile({{"Z", "a.tf0"}}, {});
  const size_t at = none.find("Topographic Channel") + 19;
  none.erase(at, none.find(':', at) - at);
  struct Case {
    std::string text;
    size_t windows;
  };
  for (const Case& c : {Case{ParFile({{"Z", "a.tf0"}}, {}), 1},
                        Case{ParFile({{"Z", "a.tf0"}}, {}, true), 1}, Case{none, 0}}) {
    CollectingHost host;
    Open(host, dir.Write("a.par", c.text));
    EXPECT_EQ(host.docs.size(), c.windows);
  }
}

TEST(Omicron, MissingAndForeignParameterFiles) {
  TempDir dir;
  CollectingHost missing;
  Open(missing, dir.Path("none.par"));
  EXPECT_EQ(missing.messages.Texts(),
            std::vector<std::string>{"File " + dir.Path("none.par") +
                                     " does not exist, Conversion aborted"});
  EXPECT_TRUE(missing.messages.asked.empty());
  // Every message of the import stands beside the main window.
  EXPECT_TRUE(missing.messages.shown[0].atDialogPosition);

  // The identification must stand in the first 254 bytes.
  std::string late = std::string(260, ';') + ParFile({{"Z", "a.tf0"}}, {});
  for (const std::string& text : {std::string(), std::string("random text\n"), late}) {
    CollectingHost host;
    Open(host, dir.Write("f.par", text));
    EXPECT_EQ(host.messages.Texts(), std::vector<std::string>{"File-Format mismatch!"});
    EXPECT_EQ(host.messages.asked, std::vector<std::string>{kQuestion00});
    EXPECT_EQ(host.created, 0);
  }
}

TEST(Omicron, MissingOrShortDataFiles) {
  TempDir dir;
  const std::string par = dir.Write("d.par", ParFile({{"Z", "d.tf0"}, {"I", "d.tf1"}}, {}));
  dir.Write("d.tf1", BE({7, 8, 9}));  // 3 of 12 values
  CollectingHost host;
  Open(host, par);
  // The window of the missing file stays with its zero image, as with the instrument.
  ASSERT_EQ(host.docs.size(), 2u);
  EXPECT_EQ(host.docs[0]->Picture->RowTable[2][3], 0);
  EXPECT_FLOAT_EQ(host.docs[1]->Picture->RowTable[0][2], 0.9f);
  EXPECT_EQ(host.docs[1]->Picture->RowTable[0][3], 0);
  EXPECT_EQ(
      host.messages.Texts(),
      (std::vector<std::string>{"Cannot open file " + dir.Path("d.tf0"),
                                "The file " + dir.Path("d.tf1") +
                                    " ends too early: 3 of 12 points read, the rest are 0."}));
  // Both say that data were lost (a zero image, a cut one).
  EXPECT_EQ(host.messages.DataLossCount(), 2);
}

TEST(Omicron, UnusableSizesOpenNoEmptyWindow) {
  TempDir dir;
  dir.Write("s.tf0", Ramp(12));
  struct Case {
    std::string x, y;
    std::string message;
  };
  for (const Case& c :
       {Case{"515", "3", ""}, Case{"4", "-3", "Picture too small!"},
        Case{"4", "0", "Can\u00b4t get memory!"},
        Case{"4", "3.5",
             "The image size \"3.5\" is not a whole number: no topographic channel is read."},
        Case{"99999999999", "3", ""}}) {
    CollectingHost host;
    Open(host, dir.Write("s.par", ParFile({{"Z", "s.tf0"}, {"I", "s.tf0"}}, {}, false, c.x, c.y)));
    EXPECT_TRUE(host.docs.empty()) << c.x << " " << c.y;
    ASSERT_EQ(host.messages.shown.size(), 1u) << c.x << " " << c.y;
    if (!c.message.empty()) {
      EXPECT_EQ(host.messages.shown[0].text, c.message);
    }
  }
}

TEST(Omicron, SpectroscopyFramesAreBoundedByTheDataFile) {
  TempDir dir;
  // A billion points announced, two frames and a half held: three frames open, the
  // last one partly filled.
  const std::string par =
      dir.Write("p.par", ParFile({}, {{"I", "p.sp0", "1", "1000000000", "2", "2"}}));
  dir.Write("p.sp0", Ramp(10));
  CollectingHost host;
  Open(host, par);
  ASSERT_EQ(Titles(host), (std::vector<std::string>{"1", "2", "3"}));
  EXPECT_EQ(host.docs[2]->Picture->RowTable[0][1], 9);
  EXPECT_EQ(host.docs[2]->Picture->RowTable[1][0], 0);
  EXPECT_EQ(host.messages.shown.size(), 1u);

  // Frames beyond the window limit stop the phase without leaving a window behind.
  dir.Write("p.sp0", Ramp(400));
  CollectingHost limited(4);
  Open(limited, par);
  EXPECT_EQ(limited.docs.size(), 4u);

  // A spectroscopy channel without points or a data file opens nothing.
  CollectingHost zero;
  Open(zero, dir.Write("q.par", ParFile({}, {{"I", "p.sp0", "1", "0"}, {"J", "none"}})));
  EXPECT_TRUE(zero.docs.empty());
  EXPECT_EQ(zero.messages.Texts(),
            std::vector<std::string>{"Cannot open file " + dir.Path("none")});
}

TEST(Omicron, DataFilesThatAreFoldersCannotBeOpened) {
  TempDir dir;
  // A folder of the data file's name: neither its zero image for the topographic
  // channel nor a window per announced point for the spectroscopy channel.
  std::filesystem::create_directory(dir.Path("f.tf0"));
  std::filesystem::create_directory(dir.Path("f.sp0"));
  const std::string par =
      dir.Write("f.par", ParFile({{"Z", "f.tf0"}}, {{"I", "f.sp0", "1", "1000", "2", "2"}}));
  CollectingHost host;
  Open(host, par);
  ASSERT_EQ(Titles(host), std::vector<std::string>{dir.Path("f.tf0") + " :Z channel"});
  EXPECT_EQ(host.docs[0]->Picture->RowTable[0][0], 0);
  EXPECT_EQ(host.messages.Texts(),
            (std::vector<std::string>{"Cannot open file " + dir.Path("f.tf0"),
                                      "Cannot open file " + dir.Path("f.sp0")}));
}

TEST(Omicron, IncompleteAndSurplusChannelDescriptions) {
  TempDir dir;
  dir.Write("c.tf0", Ramp(12));
  // The file ends before ";Filename": the description is not counted.
  std::string cut = ParFile({{"Z", "c.tf0"}}, {});
  cut.resize(cut.find("nm   ;Physical unit"));
  CollectingHost host;
  Open(host, dir.Write("c.par", cut));
  EXPECT_EQ(host.messages.asked, std::vector<std::string>{kQuestion00});
  EXPECT_TRUE(host.messages.shown.empty());

  // Nine topographic channels: the first eight open.
  std::vector<TopoChannel> nine;
  for (char l = 'A'; l < 'A' + 9; ++l) nine.push_back({std::string(1, l), "c.tf0"});
  CollectingHost many;
  Open(many, dir.Write("n.par", ParFile(nine, {})));
  ASSERT_EQ(many.docs.size(), 8u);
  EXPECT_EQ(many.docs[7]->Caption, dir.Path("c.tf0") + " :H channel");
  EXPECT_EQ(many.messages.Texts(),
            std::vector<std::string>{"Only the first 8 topographic channels are read."});

  // A resolution that is no number drops that channel only.
  CollectingHost bad;
  Open(bad, dir.Write("b.par", ParFile({{"Z", "c.tf0", "abc"}, {"I", "c.tf0"}}, {})));
  ASSERT_EQ(Titles(bad), std::vector<std::string>{dir.Path("c.tf0") + " :I channel"});
  EXPECT_EQ(bad.messages.shown.size(), 1u);
}

TEST(Omicron, LongLinesAndMissingKeysEnd) {
  TempDir dir;
  // A parameter file of long lines without line feeds, and one whose scan description
  // lacks its last key: both end, opening nothing.
  std::string longLines = ";  Omicron SPM Control\n" + std::string(200000, 'x') +
                          "Topographic Channel  : Z" + std::string(100000, ' ');
  std::string noOffset = ParFile({{"Z", "c.tf0"}}, {});
  noOffset.erase(noOffset.find("Y Offset"), 8);
  for (const std::string& text : {longLines, noOffset}) {
    CollectingHost host;
    Open(host, dir.Write("l.par", text));
    EXPECT_EQ(host.messages.asked, std::vector<std::string>{kQuestion00});
    EXPECT_EQ(host.created, 0);
  }
}

#ifdef TARNISK_REAL_SAMPLES_DIR
namespace {

struct RealCase {
  const char* folder;
  const char* stem;
  int side;
  std::vector<std::pair<char, std::pair<int, int>>> channels;  // letter, raw min..max
  std::vector<float> resolution;
};

std::string RealPath(const RealCase& c, const std::string& ext) {
  return std::string(TARNISK_REAL_SAMPLES_DIR) + "/omicron/" + c.folder + "/" + c.stem + ext;
}

}  // namespace

TEST(Omicron, InstrumentFilesOfVersion21OpenEveryChannel) {
  const std::vector<RealCase> cases = {
      {"stm-images_halbeML_m2", "m2_ori", 400, {{'Z', {-632, 799}}}, {0.00082397f}},
      {"stm-images_20ML_m3",
       "m3_ori",
       512,
       {{'Z', {-4840, 1056}}, {'E', {-13584, 15090}}},
       {0.00082397f, 0.00030518f}},
      {"stm-images_re-kristall_m1",
       "m1_ori",
       512,
       {{'Z', {-10558, 4898}}, {'E', {-1681, 1386}}},
       {0.00082397f, 0.00030518f}},
  };
  for (const RealCase& c : cases) {
    const std::string par = RealPath(c, ".par");
    if (!std::ifstream(par)) GTEST_SKIP() << "instrument files not present";
    CollectingHost host;
    Open(host, par);
    ASSERT_EQ(host.docs.size(), c.channels.size()) << c.stem;
    EXPECT_TRUE(host.messages.shown.empty()) << c.stem;
    for (size_t i = 0; i < c.channels.size(); ++i) {
      const TImageDoc& d = *host.docs[i];
      EXPECT_EQ(d.Caption,
                RealPath(c, ".tf" + std::to_string(i)) + " :" + c.channels[i].first + " channel");
      const TVKMPicture& p = *d.Picture;
      ASSERT_EQ(p.Columns, c.side);
      ASSERT_EQ(p.Rows, c.side);
      TVKMPicture& mp = const_cast<TVKMPicture&>(p);
      mp.ComputeMinMax();
      EXPECT_FLOAT_EQ(p.Min, c.channels[i].second.first * c.resolution[i]) << d.Caption;
      EXPECT_FLOAT_EQ(p.Max, c.channels[i].second.second * c.resolution[i]) << d.Caption;
      EXPECT_EQ(p.ScanPara.PhysUnit, "");
    }
  }
}

TEST(Omicron, InstrumentFileM2ValueRange) {
  const std::string par =
      std::string(TARNISK_REAL_SAMPLES_DIR) + "/omicron/stm-images_halbeML_m2/m2_ori.par";
  if (!std::ifstream(par)) GTEST_SKIP() << "instrument files not present";
  CollectingHost host;
  Open(host, par);
  ASSERT_EQ(host.docs.size(), 1u);
  TVKMPicture& p = *host.docs[0]->Picture;
  p.ComputeMinMax();
  EXPECT_NEAR(p.Min, -0.5207, 1e-4);
  EXPECT_NEAR(p.Max, 0.6584, 1e-4);
  // Neighbouring rows are alike (big-endian reading); the other byte order is noise.
  double step = 0;
  for (int c = 0; c < p.Columns; ++c) step += std::fabs(p.RowTable[200][c] - p.RowTable[201][c]);
  EXPECT_LT(step / p.Columns, 0.05);
}
#endif
