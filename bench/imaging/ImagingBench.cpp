// Times ResampleBitmap and Rotate90 on one picture read once before any timing.
//   pixtrel-imaging-bench resample <picture.bmp> <longer side>...   (prints ms per size)
//   pixtrel-imaging-bench whole <picture.bmp> <longer side> <out.bmp> (read, resample, write)
//   pixtrel-imaging-bench rotate <picture.bmp>                       (turns and memcpy)
// Each time is the best of several runs after one warm-up run, in milliseconds.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "codecs/bmp/Bmp.h"
#include "concurrency/ParallelFor.h"
#include "core/Errors.h"
#include "imaging/FilterTable.h"
#include "imaging/Kernels.h"
#include "imaging/ResampleBitmap.h"
#include "imaging/Rotate90.h"

namespace {

using namespace pixtrel;

double BestMs(int runs, const std::function<void()>& work) {
  work();  // warm-up
  std::vector<double> times;
  for (int i = 0; i < runs; ++i) {
    const auto start = std::chrono::steady_clock::now();
    work();
    const auto end = std::chrono::steady_clock::now();
    times.push_back(std::chrono::duration<double, std::milli>(end - start).count());
  }
  return *std::min_element(times.begin(), times.end());
}

// The resize routines' target size: the longer side becomes n, the other side is rounded.
std::pair<int, int> TargetSize(int w, int h, int n) {
  const double factor = static_cast<double>(n) / std::max(w, h);
  return {static_cast<int>(std::nearbyint(w * factor)),
          static_cast<int>(std::nearbyint(h * factor))};
}

Bitmap24 Read(const char* path) {
  Raster raster = ReadBmpFile(path);
  return ToBitmap24(std::move(raster));
}

int Resample(const char* path, const std::vector<int>& sides) {
  const Bitmap24 source = Read(path);
  const FilterEntry& f = Lanczos3Entry();
  for (int n : sides) {
    const auto [w, h] = TargetSize(source.width(), source.height(), n);
    Bitmap24 target(w, h);
    const double ms = BestMs(7, [&] { ResampleBitmap(source, target, f.function, f.support); });
    std::printf("resample %dx%d %dx%d %.3f\n", source.width(), source.height(), w, h, ms);
  }
  return 0;
}

int Whole(const char* path, int n, const char* out) {
  const double ms = BestMs(7, [&] {
    Raster raster = ReadBmpFile(path);
    const auto [w, h] = TargetSize(RasterWidth(raster), RasterHeight(raster), n);
    Bitmap24 target(w, h);
    ResampleBitmap(raster, target, Lanczos3Entry().function, Lanczos3Entry().support);
    WriteBmpFile(Raster(std::move(target)), out);
  });
  std::printf("whole %d %.3f\n", n, ms);
  return 0;
}

int Rotate(const char* path) {
  const Bitmap24 source = Read(path);
  const std::size_t bytes = source.byteSize();
  for (int angle : {90, 180, 270}) {
    const double ms = BestMs(15, [&] {
      Bitmap24 turned = Rotate90(angle, source);
      if (turned.byteSize() != bytes) std::abort();
    });
    std::printf("rotate %d %.3f\n", angle, ms);
  }
  // The same bytes copied into a fresh buffer (as a turn creates its result) and into a buffer
  // that is already mapped.
  const double fresh = BestMs(15, [&] {
    std::unique_ptr<std::uint8_t[]> copy(new std::uint8_t[bytes]);
    std::memcpy(copy.get(), source.data(), bytes);
    if (copy[bytes / 2] != source.data()[bytes / 2]) std::abort();
  });
  std::unique_ptr<std::uint8_t[]> warm(new std::uint8_t[bytes]);
  std::memset(warm.get(), 0, bytes);
  const double mapped = BestMs(15, [&] {
    std::memcpy(warm.get(), source.data(), bytes);
    if (warm[bytes / 2] != source.data()[bytes / 2]) std::abort();
  });
  std::printf("memcpy-fresh %.3f\nmemcpy-warm %.3f\n", fresh, mapped);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    const std::string mode = argc > 2 ? argv[1] : "";
    // PIXTREL_PORTABLE=1 times the portable kernels; PIXTREL_THREADS=n caps the threads.
    if (std::getenv("PIXTREL_PORTABLE")) SetKernelChoice(KernelChoice::Portable);
    if (const char* threads = std::getenv("PIXTREL_THREADS"))
      SetWorkerThreadLimit(std::atoi(threads));
    if (mode == "resample" && argc > 3) {
      std::vector<int> sides;
      for (int i = 3; i < argc; ++i)
        sides.push_back(std::atoi(argv[i]));
      return Resample(argv[2], sides);
    }
    if (mode == "whole" && argc == 5) return Whole(argv[2], std::atoi(argv[3]), argv[4]);
    if (mode == "rotate" && argc == 3) return Rotate(argv[2]);
    std::fprintf(stderr,
                 "usage: %s resample <picture.bmp> <side>... | whole <picture.bmp> <side> "
                 "<out.bmp> | rotate <picture.bmp>\n",
                 argv[0]);
    return 2;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s\n", e.what());
    return 1;
  }
}
