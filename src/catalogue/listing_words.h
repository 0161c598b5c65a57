#pragma once
// The words the ranking across makers shows its users, in Chinese, in one
// place: the windows, pumpsel-ini and the exports all take them from the
// ranking, and a change of wording (or another language) is made here.
#include <array>
#include <string_view>

namespace pumpsel::ranking::words {

// Why a near miss misses, each followed by the miss in percent.
inline constexpr std::string_view kFlowBelowLow = "流量低于下限";
inline constexpr std::string_view kFlowAboveHigh = "流量高于上限";
inline constexpr std::string_view kHeadAboveHigh = "扬程高于上限";
inline constexpr std::string_view kHeadBelowLow = "扬程低于下限";
inline constexpr std::string_view kReasonSeparator = "，";

// Why a maker's data file gives no pumps.
inline constexpr std::string_view kFileMissing = "缺少数据文件";
inline constexpr std::string_view kFileEmpty = "数据文件中没有记录";
inline constexpr std::string_view kFileUnreadable = "数据文件无法读取";

// The column titles in the order of ranking::Column. The two flow columns
// get the flow unit appended, "流量(m³/h)"; the others carry theirs.
inline constexpr std::array<std::string_view, 17> kColumnTitles = {
    "厂家",        "型号",     "数据",        "流量",          "扬程(m)", "功率(kW)",
    "扬程偏差",    "流量位置", "运行点流量",  "运行点扬程(m)", "效率(%)", "轴功率(kW)",
    "汽蚀余量(m)", "高效区",   "转速(r/min)", "说明",          "备注"};

// Cells: where a pump's figures come from, and whether it runs in its
// preferred region.
inline constexpr std::string_view kCurveData = "曲线";
inline constexpr std::string_view kRangeData = "范围";
inline constexpr std::string_view kYes = "是";
inline constexpr std::string_view kNo = "否";

// The export's first line, naming what was searched.
inline constexpr std::string_view kKind = "水泵类型";
inline constexpr std::string_view kDutyFlow = "流量Q";
inline constexpr std::string_view kDutyHead = "扬程H(m)";
inline constexpr std::string_view kTolerance = "容差";
inline constexpr std::string_view kStaticHead = "静扬程Hs(m)";
inline constexpr std::string_view kPumps = "水泵台数";
inline constexpr std::string_view kInSeries = "台串联";
inline constexpr std::string_view kInParallel = "台并联";
inline constexpr std::string_view kSpeed = "调速";

}  // namespace pumpsel::ranking::words
