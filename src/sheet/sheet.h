#pragma once
// The selection sheet (水泵选型计算书) that a design engineer files with the
// design documents: the basis, the duty point, the chosen pump and its
// figures at the working point, the checks, the annual energy, the pump's
// curve and the next best pumps of the ranking.
//
// Three steps, each usable on its own: buildSheet gathers what the sheet
// shows as typed figures (unknown where the data give none); printSheet
// lays it out on the pages of any paged device (a PDF writer, a printer, a
// print preview); writeSheetPdf writes it to a PDF file, complete or not at
// all.
#include "catalogue/catalogue.h"
#include "catalogue/duty_point.h"
#include "catalogue/hydraulics.h"
#include "catalogue/kind_search.h"
#include "catalogue/pump_curve.h"
#include "chart/chart.h"
#include "storage/outcome.h"

#include <QDate>
#include <QPageLayout>
#include <QString>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

class QPagedPaintDevice;

namespace ui::sheet {

inline constexpr char kDefaultBasis[] = "GB 50015-2019 建筑给水排水设计标准";
inline constexpr int kDefaultStandby = 1;
inline constexpr double kDefaultHoursPerYear = 4000;
inline constexpr double kDefaultPricePerKwh = 0.8;  // 元/kWh
// The ranking's rows after the chosen pump that the sheet lists.
inline constexpr int kAlternatives = 5;

// What the engineer writes at the head of the sheet.
struct Heading {
    QString project{}, projectNumber{}, system{}, designer{}, checker{};
    QDate date{};
    QString basis = QString::fromUtf8(kDefaultBasis);
};

// What the sheet is asked for besides the pump: the heading, the duty
// point (the flow in the selection's unit, the head in m), how the pumps
// are chosen, the standby pumps and the energy's assumptions.
struct Request {
    Heading heading{};
    double flow = 0, head = 0;
    pumpsel::duty::Selection selection{};
    int standby = kDefaultStandby;
    double hoursPerYear = kDefaultHoursPerYear;
    double pricePerKwh = kDefaultPricePerKwh;
};

// The pump chosen: the kind as the catalogue index names it, the maker's
// place in the kind's list, the record number in the maker's data file.
struct PumpChoice {
    std::string kind;
    int maker = 0;
    int record = 0;
};

// The chosen pump as the catalogue describes it. The address and telephone
// read "不详" where the index gives none.
struct ChosenPump {
    QString kind{}, maker{}, address{}, telephone{}, model{}, remark{};
    int record = 0;
    pumpsel::curves::Data data = pumpsel::curves::Data::Range;
    double flow1 = 0, flow2 = 0, head1 = 0, head2 = 0;  // the record's ranges
    std::optional<double> ratedSpeed{}, motorPower{};   // 转速 r/min, 功率 kW
};

// The pumps running at one speed: the group's working point and each
// pump's share of it. Flows in m³/h, heads in m, powers in kW.
struct Running {
    std::optional<double> flow{}, head{};          // the group's
    std::optional<double> pumpFlow{}, pumpHead{};  // each pump's
    std::optional<double> efficiencyPct{}, npshRequired{}, rpm{};
    std::optional<double> shaftPowerKw{};  // each pump's
    std::optional<double> totalPowerKw{};  // the working pumps'
    std::optional<double> motorLoadPct{};  // shaftPowerKw against 功率
};

enum class Verdict {
    Pass,         // 合格
    Fail,         // 不合格
    NoCurveData,  // a range record: the check needs a curve
    NotKnown,     // the curve lacks what the check needs
};

// The checks of the selection, each with its verdict; their figures are
// those of SheetContent::figures, speed and largestShaftPowerKw.
struct Checks {
    Verdict headMargin = Verdict::NotKnown;       // the pumps' head at the duty flow reaches the duty head
    Verdict preferredRegion = Verdict::NotKnown;  // 70 % to 120 % of the best efficiency flow
    Verdict motor = Verdict::NotKnown;            // not overloaded between 流量1 and 流量2
    std::optional<Verdict> speed{};               // with 变频: a speed meets the duty point
};

// The working pumps' annual energy and its cost.
struct Energy {
    double powerKw = 0;  // the working pumps' shaft power
    double hoursPerYear = 0, pricePerKwh = 0;
    double kwhPerYear = 0, costPerYear = 0;
};

// A row of the ranking after the chosen pump.
struct Alternative {
    QString maker{}, model{};
    std::optional<pumpsel::curves::Data> data{};
    std::optional<double> headDeviationPct{}, efficiencyPct{}, shaftPowerKw{};
};

// Everything the sheet shows.
struct SheetContent {
    Heading heading{};
    pumpsel::hydraulics::Duty duty{};  // flow in m³/h
    int standby = kDefaultStandby;
    bool variableSpeed = false;
    ChosenPump pump{};
    pumpsel::hydraulics::DutyFigures figures{};                // at the rated speed
    std::optional<pumpsel::hydraulics::SpeedFigures> speed{};  // with 变频
    std::optional<double> largestShaftPowerKw{};               // of one pump between 流量1 and 流量2
    Running rated{};
    std::optional<Running> variable{};  // with 变频, when a speed meets the duty point
    Checks checks{};
    std::optional<Energy> energy{};  // when the shaft power is known
    chart::Chart chart{};
    std::vector<Alternative> alternatives{};
};

// What keeps a sheet from being built.
enum class BuildProblem {
    None,
    NoMaker,         // the kind lists no maker at that place
    NoRecord,        // the maker's data file has no such record
    FileUnreadable,  // the maker's data file is there but cannot be read
};

struct Built {
    std::optional<SheetContent> content;
    BuildProblem problem = BuildProblem::None;
};

// The sheet of the chosen pump for the request, its figures from the
// hydraulics and its alternatives from the ranking of the kind for the same
// duty point (its pumps in rank order). The request must pass the
// selection's checks (duty::problemOf); standby, hours and price are taken
// as given.
Built buildSheet(const pumpsel::catalogue::Catalogue& catalogue, const PumpChoice& choice, const Request& request,
                 const std::vector<pumpsel::ranking::RankedPump>& ranked);

// The first kAlternatives of the ranked pumps, in their order, leaving out
// the chosen pump (maker place and record number).
std::vector<Alternative> alternativesFrom(const std::vector<pumpsel::ranking::RankedPump>& ranked, int maker,
                                          int record);

// A4 portrait with the sheet's margins: the PDF's page, and the page a
// printer is offered first.
QPageLayout sheetPageLayout();

// Lays the sheet out on A4 portrait pages of the device from its current
// page on, beginning a new page where a part does not fit; one page as
// long as the remark is not long. The device's page size and margins are
// kept: a printer's are the user's.
void printSheet(QPagedPaintDevice& device, const SheetContent& content);

// Writes the sheet as a PDF file with its fonts embedded: into a temporary
// file beside `file`, renamed over it once complete, so that a failed
// write leaves no file and an old one as it was.
pumpsel::Outcome writeSheetPdf(const SheetContent& content, const std::filesystem::path& file);

}  // namespace ui::sheet
