// Build-time and test tool: writes a firmware image from a readable description.
//
//   lumatrace-imagegen [DESCRIPTION.txt] [--key value ...] -o OUT.bin
//
// Keys are those of a description file (tools/imagegen/ImageDescription.h); options given after
// a file override it. Example:
//   lumatrace-imagegen --chip VXQ62 --memory flash --version 1.203.0004-0005.0006
//       --serial SN0001 --vidpid 3C5E,4C15,0000 -o out.bin
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tools/imagegen/ImageDescription.h"
#include "tools/imagegen/ImageWriter.h"

namespace {

int Usage() {
  std::fprintf(stderr, "usage: lumatrace-imagegen [DESCRIPTION.txt] [--key value ...] -o OUT.bin\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  ImageDescription d;
  std::string out;
  std::string error;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "-o" || arg.rfind("--", 0) == 0) {
      if (i + 1 >= argc) return Usage();
      const std::string value = argv[++i];
      if (arg == "-o") {
        out = value;
      } else if (!d.Set(arg.substr(2), value, error)) {
        std::fprintf(stderr, "lumatrace-imagegen: %s\n", error.c_str());
        return 1;
      }
      continue;
    }
    std::ifstream in(arg, std::ios::binary);
    if (!in) {
      std::fprintf(stderr, "lumatrace-imagegen: cannot read %s\n", arg.c_str());
      return 1;
    }
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (!d.Read(text, error)) {
      std::fprintf(stderr, "lumatrace-imagegen: %s: %s\n", arg.c_str(), error.c_str());
      return 1;
    }
  }
  if (out.empty()) return Usage();
  std::vector<std::uint8_t> image;
  if (!WriteImage(d, image, error)) {
    std::fprintf(stderr, "lumatrace-imagegen: %s\n", error.c_str());
    return 1;
  }
  std::ofstream file(out, std::ios::binary | std::ios::trunc);
  file.write(reinterpret_cast<const char*>(image.data()), static_cast<std::streamsize>(image.size()));
  if (!file) {
    std::fprintf(stderr, "lumatrace-imagegen: cannot write %s\n", out.c_str());
    return 1;
  }
  return 0;
}
