// Writes the sample measurements: the demo measurement (samples/demo) and small
// native files of every version (samples/native). Only integer arithmetic and plain
// double sums are used, so the bytes are the same on every machine.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

namespace {

std::string g_root;

void WriteFile(const std::string& relative, const std::string& bytes) {
  const std::string path = g_root + "/" + relative;
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) {
    std::fprintf(stderr, "make_samples: cannot write %s\n", path.c_str());
    std::exit(1);
  }
}

// Lines joined with CR LF after each.
std::string Text(const std::vector<std::string>& lines) {
  std::string s;
  for (const auto& l : lines) s += l + "\r\n";
  return s;
}

void PutLE(std::string& out, uint32_t v) {
  for (int k = 0; k < 4; ++k) out.push_back(static_cast<char>((v >> (8 * k)) & 0xFF));
}

// Integers as stored: the first stored row is the top row.
std::string IntData(const std::vector<int32_t>& storedOrder) {
  std::string s;
  for (int32_t v : storedOrder) PutLE(s, static_cast<uint32_t>(v));
  return s;
}

std::string SinData(const std::vector<float>& storedOrder) {
  std::string s;
  for (float v : storedOrder) {
    uint32_t u;
    std::memcpy(&u, &v, 4);
    PutLE(s, u);
  }
  return s;
}

// A small linear congruential generator: uniform in [-1, 1).
struct Noise {
  uint64_t state = 0x2545F4914F6CDD1DULL;
  double Next() {
    state = state * 6364136223846793005ULL + 1442695040888963407ULL;
    return static_cast<double>(state >> 11) / 4503599627370496.0 - 1.0;  // 2^52
  }
};

// |fractional part - 0.5|: a triangle wave of period 1, between 0 and 0.5.
double Triangle(double u) {
  return std::fabs(u - std::floor(u) - 0.5);
}

void MakeDemo() {
  const int n = 256;
  const double range = 500;  // nm
  Noise noise;

  // Topography in nm, stored as integers of 1 pm: tilt, bow, three terrace steps of
  // 0.3 nm running diagonally, noise of +-0.02 nm and a few spikes of 3 nm.
  std::vector<int32_t> topo(static_cast<size_t>(n) * n);
  for (int r = 0; r < n; ++r) {
    for (int c = 0; c < n; ++c) {
      const double x = c * range / n;
      const double y = r * range / n;
      double z = 0.004 * x + 0.002 * y;
      z -= 0.00002 * ((x - 250) * (x - 250) + (y - 250) * (y - 250));
      z += 0.3 * std::floor((c + 0.5 * r) / 96.0);
      z += 0.02 * noise.Next();
      if ((r == 40 && c == 200) || (r == 180 && c == 60) || (r == 128 && c == 129)) z += 3.0;
      // Stored from the top row (matrix row n - 1) down.
      topo[static_cast<size_t>(n - 1 - r) * n + c] = static_cast<int32_t>(std::lround(z * 1000));
    }
  }
  // Tunnelling current in nA, stored as singles from row 0: a square lattice of
  // maxima on a base current, with noise.
  std::vector<float> current(static_cast<size_t>(n) * n);
  for (int r = 0; r < n; ++r) {
    for (int c = 0; c < n; ++c) {
      const double lattice = (0.5 - Triangle(c / 8.0)) * (0.5 - Triangle(r / 8.0)) * 4.0;
      const double i = 0.1 + 0.15 * lattice + 0.004 * noise.Next();
      current[static_cast<size_t>(r) * n + c] = static_cast<float>(i);
    }
  }
  WriteFile("demo/demo.txt", Text({
                                 "Version    : 1.10",
                                 "; tarnisk demo measurement: a stepped surface, constant current",
                                 "Date       : 2024-03-14 10:21",
                                 "XScanRange : 500",
                                 "YScanRange : 500",
                                 "XPhysUnit  : nm",
                                 "YPhysUnit  : nm",
                                 "xPixel     : 256",
                                 "yPixel     : 256",
                                 "Bias       : 0.5 V",
                                 "Setpoint   : 0.1 nA",
                                 "FileDescBegin",
                                 "FileName : demo_topo.int",
                                 "Caption  : Topography",
                                 "Scale    : 0.001",
                                 "PhysUnit : nm",
                                 "FileDescEnd",
                                 "FileDescBegin",
                                 "FileName : demo_current.sin",
                                 "Caption  : Current",
                                 "Scale    : 1",
                                 "PhysUnit : nA",
                                 "FileDescEnd",
                             }));
  WriteFile("demo/demo_topo.int", IntData(topo));
  WriteFile("demo/demo_current.sin", SinData(current));
}

void MakeNative() {
  // Version 1: groups of name, scale, unit; the range unit from "(nm):".
  WriteFile("native/v1.txt", Text({
                                 "Version: 1",
                                 "ScanRange (nm): 5000",
                                 "Pixel in X : 3",
                                 "Pixel in Y : 2",
                                 "Files",
                                 "v1_a.int",
                                 "0.5",
                                 "nm",
                                 "v1_b.sin",
                                 "2",
                                 "pA",
                                 "",
                                 "Remarks after the list",
                             }));
  WriteFile("native/v1_a.int", IntData({1, 2, 3, 4, 5, 6}));
  WriteFile("native/v1_b.sin", SinData({0.25f, -1.5f, 3.0f, 4.5f, 1e-3f, -7.0f}));

  // Version 1.01: groups with a caption, the unit from "nm :" with a blank, the
  // column key in capitals, a comma decimal and a list ended by ";".
  WriteFile("native/v101.txt", Text({
                                   "Version: 1.01",
                                   "ScanRange nm : 250",
                                   "PIXEL IN X : 2",
                                   "Pixel in Y : 2",
                                   "Files",
                                   "v101_a.int",
                                   "Height",
                                   "0,25",
                                   "nm",
                                   "v101_b.sin",
                                   "Current",
                                   "1",
                                   "nA",
                                   "; end of the list",
                                   "v101_ignored.int",
                               }));
  WriteFile("native/v101_a.int", IntData({4, 8, -12, 16}));
  WriteFile("native/v101_b.sin", SinData({0.5f, 1.0f, 1.5f, 2.0f}));

  // Version 1.01 without a range line, whose list runs to the end of the file; the
  // last name has no line end and therefore does not count.
  WriteFile("native/v101_eof.txt", Text({
                                       "Version: 1.01",
                                       "Pixel in X : 2",
                                       "Pixel in Y : 1",
                                       "Files",
                                       "v101_b.sin",
                                       "Only",
                                       "1",
                                       "nA",
                                   }) + "v101_a.int");

  // Version 1.10: an integer block with every key, a single block with none and a
  // third block whose keys stand in another order.
  WriteFile("native/v110.txt",
            Text({
                "Version    : 1.10", "XScanRange : 12.5", "YScanRange : 25",
                "XPhysUnit  : nm",   "YPhysUnit  : um",   "xPixel     : 2",
                "yPixel     : 2",    "FileDescBegin",     "FileName : v110_a.int",
                "Caption  : Topo",   "Scale    : 0.5",    "PhysUnit : nm",
                "FileDescEnd",       "FileDescBegin",     "FileName : v110_b.sin",
                "FileDescEnd",       "FileDescBegin",     "FileName : v110_c.sin",
                "PhysUnit : pA",     "Scale    : 2",      "Caption  : Third",
                "FileDescEnd",
            }));
  WriteFile("native/v110_a.int", IntData({1, 2, 3, 4}));
  WriteFile("native/v110_b.sin", SinData({0.5f, 1.0f, 1.5f, 2.0f}));
  WriteFile("native/v110_c.sin", SinData({0.5f, 1.0f, 1.5f, 2.0f}));
}

}  // namespace

int main(int argc, char** argv) {
  g_root = argc > 1 ? argv[1] : "samples";
  MakeDemo();
  MakeNative();
  return 0;
}
