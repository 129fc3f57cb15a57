#include "batch/OutputPreview.h"

#include <fstream>

#include "batch/OutputName.h"
#include "codecs/Registry.h"
#include "imaging/SizeRule.h"
#include "operations/HeaderFacts.h"
#include "operations/ProcessFile.h"

namespace pixtrel {
namespace {

// As much as the probes look at.
constexpr std::streamsize kHeadBytes = std::streamsize{256} << 10;

Bytes ReadHead(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) return {};
  Bytes head(static_cast<std::size_t>(kHeadBytes));
  in.read(reinterpret_cast<char*>(head.data()), kHeadBytes);
  head.resize(static_cast<std::size_t>(in.gcount()));
  return head;
}

bool SwapsSides(TurnStep turn) {
  return turn == TurnStep::Right || turn == TurnStep::Left;
}

}  // namespace

std::optional<OutputPreview> PreviewOutput(const ProcessJob& job, const ListedInput& listed) {
  const std::filesystem::path& source = listed.file.path;
  const FormatRow* format = RowForFileName(source.filename().string());
  if (!format) return std::nullopt;
  const NameTemplate names(job.name);
  (void)OutputFormatKey(job, source);  // a format that cannot be written is said at once
  const std::optional<HeaderFacts> facts = ReadHeaderFacts(ReadHead(source), *format, job.upright);
  if (!facts) return std::nullopt;
  NamedSizes sizes;
  sizes.sourceWidth = facts->width;
  sizes.sourceHeight = facts->height;
  const bool across = SwapsSides(job.turn);
  const SizeGeometry g = PlanSize(job.size, across ? sizes.sourceHeight : sizes.sourceWidth,
                                  across ? sizes.sourceWidth : sizes.sourceHeight, job.shrinkOnly);
  sizes.width = g.canvasWidth;
  sizes.height = g.canvasHeight;
  const std::filesystem::path wished =
      WishedOutput(job, names, listed, NameValuesFor(job, listed, sizes, facts->captured));
  const PlannedOutput placed =
      OutputPlanner({source}, ExistingPolicy(job), PathTaken).place(0, wished);
  OutputPreview preview;
  preview.path = placed.skipped ? wished : placed.path;
  preview.skipped = placed.skipped;
  preview.width = sizes.width;
  preview.height = sizes.height;
  return preview;
}

}  // namespace pixtrel
