// The file callbacks of the command-line host and of the example host: a file that grows or
// shrinks between the size call and the load call is cut or padded to the reported size.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "loading.h"
#include "support/scratch_directory.h"
#include "tessella.h"

extern "C" void HostCallbacks(const char* dir, FileSizer* sizer, FileLoader* loader);

namespace {

void Write(const std::filesystem::path& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

TEST(FileCallbacks, WriteExactlyTheReportedSize) {
  const ScratchDirectory scratch;
  const std::filesystem::path dir = scratch.File("");
  TessellaCli::ReadFilesBelow(dir);
  FileSizer hostSizer = nullptr;
  FileLoader hostLoader = nullptr;
  HostCallbacks(dir.string().c_str(), &hostSizer, &hostLoader);
  struct Host {
    const char* name;
    FileSizer sizer;
    FileLoader loader;
  };
  const Host hosts[] = {{"cli", TessellaCli::SizeDataFile, TessellaCli::LoadDataFile},
                        {"host.c", hostSizer, hostLoader}};
  struct Case {
    const char* name;
    std::string before;
    std::string after;
    std::string loaded;  // what the room holds after the load
  };
  const Case cases[] = {
      {"grown", "<a/>", "<a>grown</a>", "<a>g"},
      {"shrunk", "<a>long</a>", "<a/>", std::string("<a/>\0\0\0\0\0\0\0", 11)},
      {"removed", "<a/>", "", std::string(4, '\0')},
  };
  for (const Host& host : hosts) {
    for (const Case& each : cases) {
      SCOPED_TRACE(std::string(host.name) + " " + each.name);
      Write(dir / "f.xml", each.before);
      const uint32_t size = host.sizer("f.xml");
      ASSERT_EQ(size, each.before.size());
      if (each.after.empty()) {
        std::filesystem::remove(dir / "f.xml");
      } else {
        Write(dir / "f.xml", each.after);
      }
      // The library's room: the size plus one byte for the terminating zero, marked to see writes.
      std::vector<char> room(size + 1, '#');
      host.loader("f.xml", room.data());
      EXPECT_EQ(std::string(room.data(), size), each.loaded);
      EXPECT_EQ(room[size], '#');
    }
  }
}

}  // namespace
