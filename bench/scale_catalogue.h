#pragma once
// Generated catalogue files at the scale the counters allow, for benchmarks.
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace pumpsel::bench {

// How the records of a generated maker file describe their pumps: by their
// ranges alone, or with a curve of seven points too (flows, heads,
// efficiency, NPSH, in two of three shaft power, and the speed).
enum class RecordForm { Range, Curve };

// A maker data file of `records` pump records (sections 1..records) with
// realistic values and remarks, GBK, CR LF. About 160 bytes per record, 400
// with a curve.
void writeMakerFile(const std::filesystem::path& file, int records, RecordForm form = RecordForm::Range);

}  // namespace pumpsel::bench

namespace pumpsel::bench {

// The largest catalogue the counters allow in practice: 200 kinds of 100
// makers each. Maker 1 of kind 1 has a data file of 32,766 records; every
// other maker has a small one; every maker has a picture and a thumbnail
// of the size makers ship. Kind 201, kWideKind, has kWideMakers makers of
// 1,000 records each, the first of them the maker of 32,766 records.
// Returns the path of the large data file.
std::filesystem::path writeScaleCatalogue(const std::filesystem::path& programFolder);

inline constexpr std::string_view kWideKind = "全部厂家离心泵";
inline constexpr int kWideMakers = 101;
// The data file of maker m of kWideKind, in txt/.
std::string wideFileName(int maker);

// The catalogue index `txt/bump.dat` of one kind, kCurveKind, with `makers`
// makers of `records` curve records each. Returns the maker data files.
std::vector<std::filesystem::path> writeCurveCatalogue(const std::filesystem::path& programFolder, int makers,
                                                       int records);

inline constexpr std::string_view kCurveKind = "曲线离心泵";

}  // namespace pumpsel::bench
