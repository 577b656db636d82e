// Files that are no regular files (pipes, folders) are refused by every reader with
// "Cannot open file" before anything is opened, so that opening never blocks.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <future>
#include <thread>

#include "formats/FileBytes.h"
#include "formats/NativeTestSupport.h"
#include "formats/OpenReaders.h"
#include "support/CollectingHost.h"

using namespace nativetest;

namespace {

std::string Fifo(const TempDir& dir, const std::string& name) {
  const std::string path = dir.Path(name);
  EXPECT_EQ(::mkfifo(path.c_str(), 0600), 0) << path;
  return path;
}

// Runs `open` and fails when it has not returned within a few seconds. A reader
// that waits on a pipe is then let go by opening and closing the pipe's other end,
// so that a fault ends in a failed test instead of a hung one.
void ReturnsPromptly(const std::function<void()>& open, const std::vector<std::string>& pipes) {
  std::packaged_task<void()> task(open);
  std::future<void> done = task.get_future();
  std::thread worker(std::move(task));
  if (done.wait_for(std::chrono::seconds(3)) != std::future_status::ready) {
    ADD_FAILURE() << "opening blocked on a pipe";
    while (done.wait_for(std::chrono::milliseconds(50)) != std::future_status::ready) {
      for (const std::string& p : pipes) {
        const int fd = ::open(p.c_str(), O_WRONLY | O_NONBLOCK);
        if (fd >= 0) ::close(fd);
      }
    }
  }
  worker.join();
}

std::string Block110(const std::string& dataName) {
  return Lines({"Version    : 1.10", "XScanRange : 10", "YScanRange : 20", "XPhysUnit  : nm",
                "YPhysUnit  : nm", "xPixel     : 2", "yPixel     : 2", "FileDescBegin",
                "FileName : " + dataName, "FileDescEnd"});
}

}  // namespace

TEST(NonRegularFiles, NativeParameterAndDataFilesAreRefused) {
  TempDir dir;
  const std::string param = Fifo(dir, "pipe.txt");
  const std::string sinPipe = Fifo(dir, "p.sin");
  // A data file of a type that is not decoded is not opened either.
  const std::string datPipe = Fifo(dir, "p.dat");
  std::filesystem::create_directory(dir.Path("folder.int"));
  const std::vector<std::string> pipes = {param, sinPipe, datPipe};

  {
    CollectingHost host;
    ReturnsPromptly([&] { OpenNativeFile(param, host); }, pipes);
    EXPECT_EQ(host.messages.Texts(), std::vector<std::string>{"Cannot open file " + param});
    EXPECT_EQ(host.created, 0);
  }
  for (const std::string data : {"p.sin", "p.dat", "folder.int"}) {
    const std::string txt = dir.Write("m.txt", Block110(data));
    CollectingHost host;
    ReturnsPromptly([&] { OpenNativeFile(txt, host); }, pipes);
    EXPECT_EQ(host.messages.Texts(), std::vector<std::string>{"Cannot open file " + dir.Path(data)})
        << data;
    EXPECT_TRUE(host.docs.empty()) << data;
    EXPECT_EQ(host.Pending(), 0u) << data;
  }

  // A regular data file of a type that is not decoded still gives its zero image.
  dir.Write("r.dat", std::string(16, '\x7f'));
  const std::string txt = dir.Write("r.txt", Block110("r.dat"));
  CollectingHost host;
  OpenNativeFile(txt, host);
  ASSERT_EQ(host.docs.size(), 1u);
  EXPECT_EQ(host.docs[0]->Picture->RowTable[1][1], 0.0f);
  EXPECT_TRUE(host.messages.shown.empty());
}

TEST(NonRegularFiles, SingleImageFormatsAreRefused) {
  TempDir dir;
  struct Case {
    std::string name;
    TFileType type;
  };
  const Case cases[] = {{"p.img", TFileType::Burleigh},
                        {"p.bmp", TFileType::Bitmap},
                        {"p.tfp", TFileType::TopoMetrix}};
  std::vector<std::string> pipes;
  for (const Case& c : cases) pipes.push_back(Fifo(dir, c.name));
  for (const Case& c : cases) {
    CollectingHost host;
    ReturnsPromptly([&] { OpenSingleImageFile(dir.Path(c.name), c.type, host); }, pipes);
    EXPECT_EQ(host.messages.Texts(),
              std::vector<std::string>{"Cannot open file " + dir.Path(c.name)})
        << c.name;
    EXPECT_TRUE(host.docs.empty()) << c.name;
    EXPECT_EQ(host.Pending(), 0u) << c.name;
  }
  // A folder is no file either.
  std::filesystem::create_directory(dir.Path("f.img"));
  CollectingHost host;
  OpenSingleImageFile(dir.Path("f.img"), TFileType::Burleigh, host);
  EXPECT_EQ(host.messages.Texts(),
            std::vector<std::string>{"Cannot open file " + dir.Path("f.img")});
}

TEST(NonRegularFiles, OmicronParameterAndDataFilesAreRefused) {
  TempDir dir;
  const std::string par = Fifo(dir, "p.par");
  const std::string data = Fifo(dir, "d.tf0");
  {
    CollectingHost host;
    ReturnsPromptly([&] { OpenOmicronFile(par, host); }, {par, data});
    EXPECT_EQ(host.messages.Texts(), std::vector<std::string>{"Cannot open file " + par});
    EXPECT_TRUE(host.messages.asked.empty());
    EXPECT_EQ(host.created, 0);
  }
  const std::string text =
      "Omicron SPM Control\nField X Size in nm : 10\nField Y Size in nm : 10\n"
      "Image Size in X : 2\nImage Size in Y : 2\nIncrement X : 1\nIncrement Y : 1\n"
      "Scan Angle : 0\nX Offset : 0\nY Offset : 0\n"
      "Topographic Channel             : Z\n1 ;Minimum raw value\n2 ;Maximum raw value\n"
      "3 ;Minimum value in physical unit\n4 ;Maximum value in physical unit\n"
      "0.5 ;Resolution\nnm ;Physical unit\nd.tf0 ;Filename\n";
  const std::string good = dir.Write("g.par", text);
  CollectingHost host;
  ReturnsPromptly([&] { OpenOmicronFile(good, host); }, {par, data});
  EXPECT_EQ(host.messages.Texts(), std::vector<std::string>{"Cannot open file " + data});
}

TEST(NonRegularFiles, UnknownTypeIsRefusedBeforeAnythingIsOpened) {
  TempDir dir;
  const std::string pipe = Fifo(dir, "p.xyz");
  CollectingHost host;
  ReturnsPromptly([&] { OpenFile(pipe, host); }, {pipe});
  EXPECT_EQ(host.messages.Texts(), std::vector<std::string>{"Unknown file type"});
}

TEST(NonRegularFiles, FileBytesOpensOnlyRegularFiles) {
  TempDir dir;
  const std::string pipe = Fifo(dir, "p.bin");
  const std::string file = dir.Write("r.bin", std::string("abc"));
  EXPECT_TRUE(IsRegularFile(file));
  EXPECT_FALSE(IsRegularFile(pipe));
  EXPECT_FALSE(IsRegularFile(dir.Folder()));
  EXPECT_FALSE(IsRegularFile(dir.Path("absent")));
  // A link to a regular file is followed.
  std::filesystem::create_symlink(file, dir.Path("link.bin"));
  EXPECT_TRUE(IsRegularFile(dir.Path("link.bin")));
  TFileBytes bytes;
  ReturnsPromptly([&] { EXPECT_FALSE(bytes.Open(pipe)); }, {pipe});
  ASSERT_TRUE(bytes.Open(dir.Path("link.bin")));
  EXPECT_EQ(bytes.Size(), 3u);
}
