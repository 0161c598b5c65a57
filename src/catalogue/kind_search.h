#pragma once
// Selection across all makers of a kind: every maker's pumps that fit a duty
// point, or miss it by no more than a tolerance, ranked by how close they
// come. The pumps are listed by the same record scan and match rule as the
// search of one maker.
#include "catalogue/catalogue.h"
#include "catalogue/duty_point.h"
#include "catalogue/record_scan.h"

#include <array>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace pumpsel::ranking {

// One pump of the kind, with the figures it is ranked by.
struct RankedPump {
    int makerPosition = 0;  // the maker's place in the kind's list
    std::string maker;
    records::PumpRow row;  // ranges "0.0"; row.match is always set
    // The pump's head at the duty flow, on the line from (流量1, 扬程1) to
    // (流量2, 扬程2), minus the duty head, in percent of the duty head (the
    // higher head for a flat range); not a number when the duty head is 0.
    double headDeviation = 0;
    // Where the duty flow lies in the flow range: 0 at 流量1, 100 at 流量2,
    // 50 for a flat range.
    double flowPosition = 0;
};

// Why a maker's pumps are missing from the listing.
enum class FileProblem { Missing, Empty, Unreadable };
struct UnreadMaker {
    int position = 0;
    std::string maker;
    std::string fileName;  // as the catalogue index names it
    FileProblem problem = FileProblem::Missing;
};

struct KindListing {
    std::vector<RankedPump> pumps;  // fits first, then near misses, each in rank order
    std::vector<UnreadMaker> unread;
    int makers = 0;
    bool cancelled = false;
};

// Near misses are listed within this tolerance (percent of the duty flow
// and head) unless the user asks otherwise, and within kMaxTolerance at most.
inline constexpr int kDefaultTolerance = 10;
inline constexpr int kMaxTolerance = 50;

// Scans the makers of the kind, in their order, each file checked once.
// goOn(done, total) is asked before each maker; false cancels the scan.
KindListing searchKind(const catalogue::Catalogue& catalogue, std::string_view kind, records::DutyPoint point,
                       double tolerance, const std::function<bool(int, int)>& goOn = {});

// The default order: fits before near misses; then the smallest absolute
// head deviation, the flow position nearest 50 %, maker order, record number.
bool ranksBefore(const RankedPump& a, const RankedPump& b);

// Figures as the listing shows them: "+6.0%", "-3.5%", "0.0%"; "—" when
// there is no figure.
std::string deviationText(double percent);
std::string positionText(double percent);
// Why a near miss misses, e.g. "流量高于上限 6.0%"; empty for a fit.
std::string missReason(const records::Match& match);

// "缺少数据文件", "数据文件中没有记录", "数据文件无法读取".
std::string problemText(FileProblem problem);

// The listing's columns, and a pump's texts in them.
inline constexpr std::array<std::string_view, 8> kColumns = {"厂家",     "型号",     "流量(m3/h)", "扬程(m)",
                                                             "功率(kw)", "扬程偏差", "流量位置",   "说明"};
std::vector<std::string> rowTexts(const RankedPump& pump);

// What was searched, as the header line of an export names it.
struct Terms {
    std::string kind;
    duty::DutyPoint duty;
    double tolerance = 0;
};

// The listing as a CSV file (UTF-8 with byte-order mark): a line naming the
// kind, duty point and tolerance, the column headers, then the pumps in the
// order given.
std::string csvText(const Terms& terms, const std::vector<const RankedPump*>& pumps);

}  // namespace pumpsel::ranking
