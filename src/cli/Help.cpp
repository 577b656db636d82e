// Usage texts.
#include "cli/Help.h"

namespace {

const char* kCommon =
    "  --image N|all         which image of a file (1-based); all: each in turn\n"
    "  --decimal-point . | ,  decimal separator of numbers (default: the locale's)\n"
    "  --spectroscopy yes|no|cancel\n"
    "                        answer to \"Read spectroscopy data?\" (default yes)\n"
    "  --quiet               no progress or informational lines\n"
    "  --help                this text\n";

const char* kView =
    "  --view-size WxH       client area of the view (default 450x300 with the colour\n"
    "                        bar, 300x300 without); fitted to 3:2 or square\n"
    "  --zscale              colour bar with minimum and maximum labels\n"
    "  --zero-max            label the colour bar 0..max-min\n"
    "  --xy-label            x scale bar\n";

}  // namespace

std::string VersionText() {
  return std::string("tarnisk-cli ") + TARNISK_VERSION + "\n";
}

std::string GeneralHelp() {
  return "Usage: tarnisk-cli COMMAND [OPTIONS] FILE...\n"
         "\n"
         "Batch work on scanning probe microscopy images, without a display.\n"
         "\n"
         "Commands:\n"
         "  info     scan parameters and value range of every image\n"
         "  export   the ASCII table of an image\n"
         "  process  apply operations, then write outputs\n"
         "  convert  write every image as ascii, native-sin, native-int, bmp or png\n"
         "\n"
         "  tarnisk-cli COMMAND --help   options of a command\n"
         "  tarnisk-cli --version        the version\n"
         "\n"
         "Exit status: 0 success; 1 a file could not be opened, read or written, or an\n"
         "operation was refused; 2 bad usage. A file read only partly (a message says\n"
         "that data were lost or set to 0, for example a file that ends too early) counts\n"
         "as a file that could not be read: exit status 1, though its outputs are still\n"
         "written. A failed write to standard output is exit status 1 as well, and so\n"
         "is an arithmetic that stopped with \"Error in calculation!\" (its partial\n"
         "result is still used, as in the viewer).\n"
         "Messages are written to stderr as \"tarnisk-cli: FILE: TEXT\".\n"
         "Several files are worked on at the same time, one per processor; their\n"
         "outputs and messages come in the order of the files.\n";
}

std::string CommandHelp(TCliCommand command) {
  std::string t;
  switch (command) {
    case TCliCommand::Info:
      t = "Usage: tarnisk-cli info [OPTIONS] FILE...\n"
          "\n"
          "For every image a block of \"key: value\" lines, then an empty line.\n"
          "\n"
          "Options:\n"
          "  --text                add the image's information text, lines prefixed \"| \"\n";
      t += kCommon;
      t += "\nDefault: --image all.\n";
      break;
    case TCliCommand::Export:
      t = "Usage: tarnisk-cli export [OPTIONS] FILE...\n"
          "\n"
          "The ASCII table of the image (tab-separated rows from row 0, CR LF line ends).\n"
          "\n"
          "Options:\n"
          "  --out PATH            write to PATH (default: standard output)\n"
          "  --out-dir DIR         write DIR/<base>[_<N>].dat for each image\n";
      t += kCommon;
      t += "\nDefault: --image 1. Several files or --image all need --out-dir.\n";
      break;
    case TCliCommand::Process:
      t = "Usage: tarnisk-cli process [OPTIONS] FILE... [--op OP]... OUTPUTS\n"
          "\n"
          "Applies the operations in order, then writes the outputs.\n"
          "\n"
          "Operations (--op OP, repeatable; *K at the end of a workbench operation\n"
          "presses \"do\" K times before \"take over\"):\n"
          "  level:lines:N         Process > Leveling, \"Lines\", order N (0, 1 or 2)\n"
          "  level:cols:N          Process > Leveling, \"Cols\", order N (0, 1 or 2)\n"
          "  level:2dim:N          Process > Leveling, \"2Dim\", order N (0 or 1)\n"
          "  level:points:C,R;C,R;...\n"
          "                        Process > Leveling, \"Points\", 1st order, through these\n"
          "                        matrix points (column, row; row 0 at the bottom), at\n"
          "                        most 30; marked again before every press of \"do\"\n"
          "  filter:lowpass|highpass|laplace|beleuchtung\n"
          "                        Process > Simple Filter with that kernel\n"
          "  badpoints:P           Process > Noise with P \"% of z-axes\"\n"
          "  sphere:R:lowpass|highpass\n"
          "                        Process > Sphere with radius R in the x unit (reduced to\n"
          "                        a quarter of the width when larger), \"Lowpass\" or\n"
          "                        \"Highpass\"\n"
          "  invert                Process > Invers\n"
          "  rescale:X,Y,Z[,XUNIT,YUNIT,ZUNIT]\n"
          "                        Process > Rescale with these values (numbers with a\n"
          "                        point)\n"
          "  arith:OP:FILE2[#N]    Arithmetic with image N (default 1) of FILE2 as second\n"
          "                        operand, OP one of + - * /, then \"Use\"\n"
          "  palette:FILE          View > Palette, opening FILE (.PAL/.pal JASC, .TXT/.txt\n"
          "                        text, else binary) over the image's colours\n"
          "  fft, fft:log          Process > FFT, \"Log\" unchecked or checked\n"
          "  clip:A-B[,C-D...]     Process > Histogram, columns A..B (C..D ...) marked\n"
          "                        (0..174), then \"do\"\n"
          "  crop:X1,Y1,X2,Y2      Process > Zoom, the square's corners in picture pixels\n"
          "                        (y from the top), then \"do\"; scan ranges shrink with it\n"
          "\n"
          "Outputs:\n"
          "  --ascii PATH          the ASCII export\n"
          "  --native PATH --kind sin|int\n"
          "                        the native parameter file and its data file\n"
          "  --bmp PATH            the rendered 8-bit bitmap\n"
          "  --view PATH           the composed view as .png or .svg\n"
          "  --stats               the roughness text on standard output\n"
          "  --palette PATH        the image's colours as a palette file, the kind as for\n"
          "                        palette:FILE\n"
          "  --profile LINE PATH   the line profile file; LINE row:N[:W], col:N[:W],\n"
          "                        any:X1,Y1,X2,Y2 (cells, y from the top) or\n"
          "                        radial:ANGLE[:W]; W averages W rows (at most 2 x rows\n"
          "                        + 1), W columns (any number) or W degrees (at most 360),\n"
          "                        1 when left out\n"
          "  --s3d G,S PATH        the simple 3D view's bitmap for z gain G and shift S\n";
      t += kView;
      t += "  --out-dir DIR         with several images: DIR/<base>[_<N>].<ext of PATH>\n";
      t += kCommon;
      t += "\nDefault: --image 1.\n";
      break;
    case TCliCommand::Convert:
      t = "Usage: tarnisk-cli convert [OPTIONS] FILE...\n"
          "         --to ascii|native-sin|native-int|bmp|png\n"
          "\n"
          "Writes each image as DIR/<base>[_<N>].<ext> (_<N> when the file holds several\n"
          "images): .dat, .txt with .sin or .int, .bmp, or the composed view as .png.\n"
          "\n"
          "Options:\n"
          "  --to KIND             what to write\n"
          "  --out-dir DIR         where to write (default: the current directory)\n";
      t += kView;
      t += kCommon;
      t += "\nDefault: --image all.\n";
      break;
  }
  return t;
}
