#pragma once
// The one-pass command's report: one row per file (source, output, sizes in pixels and bytes,
// status, message), as CSV (RFC 4180 quoting) or as JSON.
#include <string>

#include "batch/ProcessRunner.h"

namespace pixtrel {

std::string ReportCsv(const ProcessSummary& summary);
std::string ReportJson(const ProcessSummary& summary);

}  // namespace pixtrel
