// The Burleigh reader on the whole input as one file.
#include "FuzzSupport.h"
#include "formats/OpenReaders.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string path = WriteFuzzFile("f.img", data, size);
  FuzzHost host;
  OpenSingleImageFile(path, TFileType::Burleigh, host);
  return 0;
}
