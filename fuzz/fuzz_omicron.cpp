// Omicron parameter text plus one data file, written as d0 and d1.
#include "FuzzSupport.h"
#include "formats/OpenReaders.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const SplitInput in = Split(data, size);
  WriteFuzzFile("d0", in.data, in.dataSize);
  WriteFuzzFile("d1", in.data, in.dataSize / 2);
  const std::string par = WriteFuzzFile("f.par", in.text, in.textSize);
  FuzzHost host;
  OpenOmicronFile(par, host);
  return 0;
}
