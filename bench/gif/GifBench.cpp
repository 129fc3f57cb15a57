// pixtrel-gif-bench IN.gif OUT.gif: reads a GIF (LZW decoding of every frame) and writes it
// again (LZW encoding), as a whole process so that bench/gif.sh can time it beside gifsicle.
// With -v it also prints the time of each step.
#include <chrono>
#include <cstdio>
#include <cstring>
#include <exception>

#include "codecs/gif/GifReader.h"
#include "codecs/gif/GifWriter.h"
#include "io/FileBytes.h"
#include "io/SafeWrite.h"

int main(int argc, char** argv) {
  using Clock = std::chrono::steady_clock;
  const bool verbose = argc == 4 && std::strcmp(argv[1], "-v") == 0;
  if (argc != 3 && !verbose) {
    std::fprintf(stderr, "usage: pixtrel-gif-bench [-v] IN.gif OUT.gif\n");
    return 2;
  }
  const char* in = argv[argc - 2];
  const char* out = argv[argc - 1];
  try {
    const auto t0 = Clock::now();
    const pixtrel::Bytes bytes = pixtrel::ReadFileBytes(in);
    const auto t1 = Clock::now();
    const pixtrel::TGIFImage picture = pixtrel::DecodeGif(bytes);
    const auto t2 = Clock::now();
    const pixtrel::Bytes encoded = pixtrel::EncodeGif(picture);
    const auto t3 = Clock::now();
    pixtrel::WriteFileAtomically(out, encoded);
    const auto t4 = Clock::now();
    if (verbose) {
      auto ms = [](auto d) { return std::chrono::duration<double, std::milli>(d).count(); };
      std::printf("read %.1f ms, decode %.1f ms, encode %.1f ms, write %.1f ms\n", ms(t1 - t0),
                  ms(t2 - t1), ms(t3 - t2), ms(t4 - t3));
    }
  } catch (const std::exception& e) {
    std::fprintf(stderr, "pixtrel-gif-bench: %s\n", e.what());
    return 1;
  }
  return 0;
}
