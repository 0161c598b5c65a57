#pragma once
// Generated catalogue files at the scale the counters allow, for benchmarks.
#include <filesystem>

namespace pumpsel::bench {

// A maker data file of `records` pump records (sections 1..records) with
// realistic values and remarks, GBK, CR LF. About 160 bytes per record.
void writeMakerFile(const std::filesystem::path& file, int records);

}  // namespace pumpsel::bench
