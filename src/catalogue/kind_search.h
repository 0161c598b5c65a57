#pragma once
// Selection across all makers of a kind: every maker's pumps that fit a duty
// point, or miss it by no more than a tolerance, ranked by how close they
// come. The pumps are chosen by the same record scan and match rule as the
// search of one maker; their figures are those of the hydraulics, from a
// record's curve where it has one, else from the line of its range.
#include "catalogue/catalogue.h"
#include "catalogue/duty_point.h"
#include "catalogue/hydraulics.h"
#include "catalogue/pump_curve.h"
#include "catalogue/record_scan.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pumpsel::ranking {

// A pump's figures at the duty point. Each is unknown where its data give
// none: a range record's line is known between 流量1 and 流量2 only, a
// curve between its first and last flow, and no figure is stretched beyond.
struct Figures {
    // The group's head at the duty flow against the duty head, in percent.
    std::optional<double> headDeviation;
    // Where each pump's share of the duty flow lies in 流量1 to 流量2: 0 at
    // 流量1, 100 at 流量2, 50 for a range of one flow; unknown outside.
    std::optional<double> flowPosition;
    // The group's working point (m³/h, m): the operating point on the system
    // curve with a static head, else the duty flow on the pumps' curve.
    std::optional<hydraulics::Point> working;
    std::optional<double> efficiency;    // each pump's, %, at the working point
    std::optional<double> shaftPower;    // each pump's, kW
    std::optional<double> npshRequired;  // each pump's, m
    std::optional<bool> inPreferredRegion;
    std::optional<double> speed;  // r/min that meets the duty point, when wanted and met
};

// One pump of the kind, with the figures it is ranked by.
struct RankedPump {
    int makerPosition = 0;  // the maker's place in the kind's list
    std::string maker;
    // Ranges "0.0", the flows in the selection's unit; match (always set)
    // against each pump's share of the duty point.
    records::PumpRow row;
    std::string remark;  // 备注, as read
    curves::Pump pump;   // the curve, or the range's line, the figures come from
    Figures figures;
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

// Scans the makers of the kind, in their order, each file checked once, for
// the duty point (its flow in the selection's unit) and the selection, which
// duty::problemOf accepts. A pump is listed when its ranges hold each pump's
// share of the duty point (the flow over N in parallel, the head over N in
// series), or miss it by no more than the tolerance as the miss is shown; a
// pump whose ranges run backwards, which nothing fits, never is.
// goOn(done, total) is asked before each maker; false cancels the scan.
KindListing searchKind(const catalogue::Catalogue& catalogue, std::string_view kind, const duty::DutyPoint& point,
                       double tolerance, const duty::Selection& selection,
                       const std::function<bool(int, int)>& goOn = {});

// Whether a listing made for one selection lists the same pumps, each with
// the same match, for another (with the same duty point and tolerance):
// when they group the pumps alike. Only the static head, the speed and the
// unit differ then, which change the figures and the order alone.
bool listsAlike(const duty::Selection& listed, const duty::Selection& wanted);

// The pumps of a listing ranked again, without reading the files, for a
// selection that listsAlike the one they were listed for: their figures and
// flow ranges' texts made anew for it. Their order, by the head at the duty
// flow and the place of each pump's share in its range, stays.
void rerank(std::vector<RankedPump>& pumps, const duty::DutyPoint& point, const duty::Selection& selection);

// The default order: fits before near misses; then the pumps that meet the
// duty head (a head deviation of 0 or more), those that fall short of it,
// those without a head deviation; then the smallest absolute head
// deviation, the flow position nearest 50 %, maker order, record number.
// Figures are compared as shown.
bool ranksBefore(const RankedPump& a, const RankedPump& b);

// A figure as shown: rounded to `decimals`, halves away from zero.
double shown(double figure, int decimals);

// Figures as the listing shows them: "+6.0%", "-3.5%", "0.0%"; "—" when
// there is no figure.
std::string deviationText(std::optional<double> percent);
std::string positionText(std::optional<double> percent);
// Why a near miss misses, e.g. "流量高于上限 6.0%"; empty for a fit.
std::string missReason(const records::Match& match);

// "缺少数据文件", "数据文件中没有记录", "数据文件无法读取".
std::string problemText(FileProblem problem);

// The listing's columns, their titles in listing_words.h in this order.
// Speed shows only when the speed is wanted.
enum class Column {
    Maker,
    Model,
    Data,
    FlowRange,
    HeadRange,
    Power,
    HeadDeviation,
    FlowPosition,
    WorkingFlow,
    WorkingHead,
    Efficiency,
    ShaftPower,
    Npsh,
    PreferredRegion,
    Speed,
    Reason,
    Remark,
};
std::vector<Column> columnsOf(const duty::Selection& selection);
// A column's header, its unit in it: "流量(m³/h)", "运行点流量(L/s)", "功率(kW)".
std::string headerText(Column column, duty::FlowUnit unit);
// A pump's text in a column, flows in the unit: flows and heads with one
// decimal, percentages with one and a sign where signed, powers with two,
// speed whole, 高效区 是 or 否; "—" for an unknown figure.
std::string cellText(const RankedPump& pump, Column column, duty::FlowUnit unit);

// The headers of the columns of a selection, and a pump's texts in them.
std::vector<std::string> headerTexts(const duty::Selection& selection);
std::vector<std::string> rowTexts(const RankedPump& pump, const duty::Selection& selection);

// What was searched, as the header line of an export names it.
struct Terms {
    std::string kind;
    duty::DutyPoint duty;  // the flow in the selection's unit
    double tolerance = 0;
    duty::Selection selection{};
};

// The listing as a CSV file (UTF-8 with byte-order mark): a line naming the
// kind, duty point, tolerance and selection, the column headers, then the
// pumps in the order given.
std::string csvText(const Terms& terms, const std::vector<const RankedPump*>& pumps);

}  // namespace pumpsel::ranking
