// Native parameter text plus one data file, written as a.int and b.sin.
#include "FuzzSupport.h"
#include "formats/OpenReaders.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const SplitInput in = Split(data, size);
  WriteFuzzFile("a.int", in.data, in.dataSize);
  WriteFuzzFile("b.sin", in.data, in.dataSize);
  const std::string txt = WriteFuzzFile("f.txt", in.text, in.textSize);
  FuzzHost host;
  OpenNativeFile(txt, host);
  return 0;
}
