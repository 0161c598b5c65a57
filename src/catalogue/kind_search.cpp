#include "catalogue/kind_search.h"

#include "catalogue/listing_words.h"
#include "storage/csv.h"
#include "storage/file_ops.h"
#include "storage/numbers.h"
#include "storage/profile.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <charconv>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <exception>
#include <fstream>
#include <limits>
#include <mutex>
#include <thread>

namespace pumpsel::ranking {

namespace {

constexpr std::string_view kNoFigure = "—";

// A figure that overflowed is no figure.
std::optional<double> finite(std::optional<double> figure) {
    return figure && std::isfinite(*figure) ? figure : std::nullopt;
}

// Where the pump's share of the duty flow lies in its flow range, compared
// in single precision as the match rule compares.
std::optional<double> flowPosition(const records::Match& m, records::DutyPoint share) {
    if (!(m.flow1 <= share.flow && share.flow <= m.flow2)) return std::nullopt;
    if (m.flow1 == m.flow2) return 50;
    return (double(share.flow) - m.flow1) / (double(m.flow2) - m.flow1) * 100;
}

// A data file that exists and opens; whether it holds records is the scan's to tell.
std::optional<FileProblem> fileProblem(const std::filesystem::path& file) {
    if (file.empty() || !std::filesystem::exists(file)) return FileProblem::Missing;
    if (!files::isRegularFile(file) || !std::ifstream(file, std::ios::binary)) return FileProblem::Unreadable;
    return std::nullopt;
}

// A figure's distance from a target, as shown; an unknown one is furthest.
double distance(std::optional<double> figure, double target) {
    return figure ? std::fabs(shown(*figure, 1) - target) : std::numeric_limits<double>::infinity();
}

// Pumps that meet the duty head, those short of it, those without a figure.
int headClass(std::optional<double> deviation) {
    if (!deviation) return 2;
    return shown(*deviation, 1) < 0 ? 1 : 0;
}

std::string fixedText(std::optional<double> figure, int decimals) {
    if (!figure) return std::string(kNoFigure);
    double value = shown(*figure, decimals);
    if (value == 0) value = 0;  // no "-0.0"
    char text[400];             // the longest double in fixed notation, with two decimals
    return std::string(text, std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, decimals).ptr);
}

std::string percentText(std::optional<double> percent, bool sign) {
    if (!percent) return std::string(kNoFigure);
    return (sign && shown(*percent, 1) > 0 ? "+" : "") + fixedText(percent, 1) + "%";
}

// A flow as the match holds it, in the unit, "0.0" as the search shows ranges.
std::string flowText(float flow, duty::FlowUnit unit) {
    return numbers::formatOneDecimal(static_cast<float>(duty::inUnit(flow, unit)));
}

std::string flowRangeText(const records::Match& match, duty::FlowUnit unit) {
    return records::joinedRange(flowText(match.flow1, unit), flowText(match.flow2, unit));
}

// What one search asks of every record.
struct Search {
    hydraulics::Duty duty;     // in m³/h and m
    records::DutyPoint share;  // each pump's share of the duty point, as the match rule holds it
    double tolerance = 0;
    duty::Selection selection;  // for the speed and the unit
};

// The system curve and the speed's parabola run through the duty point from
// the origin's side: without a positive duty flow and head they are not asked.
Search searchOf(const duty::DutyPoint& point, double tolerance, duty::Selection selection) {
    if (!(point.flow() > 0 && point.head() > 0)) {
        selection.staticHead.reset();
        selection.speed = false;
    }
    const hydraulics::Duty duty = duty::hydraulicDuty(point.flow(), point.head(), selection);
    const records::DutyPoint share{static_cast<float>(duty.group.pumpFlow(duty.flow)),
                                   static_cast<float>(duty.group.pumpHead(duty.head))};
    return {duty, share, tolerance, selection};
}

// The curve's keys, then the remark: read for the listed records.
constexpr auto kFurtherKeys = [] {
    std::array<std::string_view, curves::kCurveKeys.size() + 1> keys{};
    std::copy(curves::kCurveKeys.begin(), curves::kCurveKeys.end(), keys.begin());
    keys.back() = catalogue::kRemarkKey;
    return keys;
}();

// The record as the hydraulics read it: its own values, then the curve's.
curves::StoredPump storedPump(const records::ScannedRecord& r) {
    const auto& f = r.further;
    return {r.model, r.flow1, r.flow2, r.head1, r.head2, r.power, f[0], f[1], f[2], f[3], f[4], f[5]};
}

// Whether a pump is listed: a fit, or a near miss within the tolerance as
// its miss is shown. Ranges that run backwards fit nothing and are left out.
bool isListed(const records::Match& m, double tolerance) {
    if (m.fits) return true;
    if (m.flow1 > m.flow2 || m.head2 > m.head1) return false;
    return shown(m.largestMiss(), 1) <= tolerance;
}

Figures figuresOf(const curves::Pump& pump, const records::Match& match, const Search& search) {
    const hydraulics::DutyFigures f = hydraulics::dutyFigures(pump, search.duty);
    Figures figures{finite(f.headDeviationPct),
                    flowPosition(match, search.share),
                    f.working,
                    finite(f.efficiencyPct),
                    finite(f.shaftPowerKw),
                    finite(f.npshRequired),
                    f.inPreferredRegion,
                    std::nullopt};  // the speed, asked for below
    if (search.selection.speed) {
        const hydraulics::SpeedFigures speed =
            hydraulics::speedForDuty(pump, search.duty.group, search.duty.flow, search.duty.head);
        if (speed.fit == hydraulics::SpeedFit::Met) figures.speed = finite(speed.rpm);
    }
    return figures;
}

// A record's row, its maker left to fill in; none when it is not listed.
std::optional<RankedPump> rankedRecord(const records::ScannedRecord& r, const Search& search) {
    const records::Match match = records::matchOf(r, search.share);
    if (!isListed(match, search.tolerance)) return std::nullopt;
    const duty::FlowUnit unit = search.selection.unit;
    RankedPump ranked{0,
                      {},
                      {r.number, std::string(r.model), flowRangeText(match, unit),
                       records::formattedRange(r.head1, r.head2), std::string(r.power), match},
                      std::string(r.further.back()),
                      curves::readPump(storedPump(r)),
                      {}};
    ranked.figures = figuresOf(ranked.pump, match, search);
    return ranked;
}

// One maker's part of the listing.
struct MakerScan {
    std::filesystem::path file;
    std::optional<FileProblem> problem;
    std::vector<RankedPump> pumps;
};

void scanMaker(MakerScan& maker, const Search& search) {
    if ((maker.problem = fileProblem(maker.file))) return;
    int tried = 0;  // a file whose first try finds nothing holds no records
    std::vector<int> listed;
    records::scan(
        maker.file, [&](int) { ++tried; },
        [&](const records::ScannedRecord& r) {
            if (isListed(records::matchOf(r, search.share), search.tolerance)) listed.push_back(r.number);
        });
    if (tried == 1) maker.problem = FileProblem::Empty;
    // Most records of a kind lie far from the duty point: only the listed
    // ones read their curve and remark, whose long values cost the most.
    records::reread(maker.file, listed, kFurtherKeys, [&](const records::ScannedRecord& r) {
        if (auto ranked = rankedRecord(r, search)) maker.pumps.push_back(std::move(*ranked));
    });
}

// The makers' files are scanned by two threads at once where the machine has
// two cores: each takes the next maker not yet taken. Only the calling
// thread asks goOn, between makers and while it waits for the other.
bool scanAll(std::vector<MakerScan>& makers, const Search& search, const std::function<bool(int, int)>& goOn) {
    const int total = static_cast<int>(makers.size());
    std::atomic<int> next{0}, done{0};
    std::atomic<bool> stop{false};
    std::exception_ptr failure;
    std::mutex mutex;
    std::condition_variable finished;
    auto work = [&](bool asking) {
        ini::ReadBatch batch;  // each file is checked once, by the thread that scans it
        for (int i; !stop && (i = next++) < total;) {
            if (asking && goOn && !goOn(done, total)) {
                stop = true;
                break;
            }
            scanMaker(makers[static_cast<std::size_t>(i)], search);
            std::lock_guard lock(mutex);
            ++done;
            finished.notify_all();
        }
    };
    std::thread helper;
    if (std::thread::hardware_concurrency() > 1 && total > 1)
        helper = std::thread([&] {
            try {
                work(false);
            } catch (...) {
                failure = std::current_exception();
                stop = true;
            }
        });
    try {
        work(true);
        std::unique_lock lock(mutex);
        while (!stop && done < total) {
            finished.wait_for(lock, std::chrono::milliseconds(50));
            lock.unlock();
            if (goOn && !goOn(done, total)) stop = true;
            lock.lock();
        }
    } catch (...) {
        stop = true;
        if (helper.joinable()) helper.join();
        throw;
    }
    if (helper.joinable()) helper.join();
    if (failure) std::rethrow_exception(failure);
    return done == total;
}

}  // namespace

KindListing searchKind(const catalogue::Catalogue& catalogue, std::string_view kind, const duty::DutyPoint& point,
                       double tolerance, const duty::Selection& selection, const std::function<bool(int, int)>& goOn) {
    ini::ReadBatch batch;
    KindListing listing;
    std::vector<std::string> names;
    catalogue::enumerate([&](int m) { return catalogue.makerValue(kind, m); },
                         [&](int, const std::string& name) { names.push_back(name); });
    listing.makers = static_cast<int>(names.size());
    std::vector<MakerScan> makers(names.size());
    for (int m = 1; m <= listing.makers; ++m) makers[m - 1].file = catalogue.makerDataFile(kind, m);
    listing.cancelled = !scanAll(makers, searchOf(point, tolerance, selection), goOn);
    if (listing.cancelled) return listing;
    for (int m = 1; m <= listing.makers; ++m) {
        MakerScan& maker = makers[m - 1];
        if (maker.problem) {
            listing.unread.push_back(
                {m, names[m - 1], catalogue.makerValue(kind, m, catalogue::kDataFileWord), *maker.problem});
            continue;
        }
        for (auto& pump : maker.pumps) {
            pump.makerPosition = m;
            pump.maker = names[m - 1];
            listing.pumps.push_back(std::move(pump));
        }
    }
    std::stable_sort(listing.pumps.begin(), listing.pumps.end(), ranksBefore);
    return listing;
}

bool listsAlike(const duty::Selection& listed, const duty::Selection& wanted) {
    return listed.group.pumps == wanted.group.pumps && listed.group.series == wanted.group.series;
}

void rerank(std::vector<RankedPump>& pumps, const duty::DutyPoint& point, const duty::Selection& selection) {
    const Search search = searchOf(point, 0, selection);
    for (RankedPump& pump : pumps) {
        pump.row.flowRange = flowRangeText(*pump.row.match, selection.unit);
        pump.figures = figuresOf(pump.pump, *pump.row.match, search);
    }
}

bool ranksBefore(const RankedPump& a, const RankedPump& b) {
    const auto key = [](const RankedPump& p) {
        const Figures& f = p.figures;
        return std::make_tuple(!p.row.match->fits, headClass(f.headDeviation), distance(f.headDeviation, 0),
                               distance(f.flowPosition, 50), p.makerPosition, p.row.number);
    };
    return key(a) < key(b);
}

double shown(double figure, int decimals) {
    const double scale = std::pow(10.0, decimals);
    return std::round(figure * scale) / scale;
}

std::string deviationText(std::optional<double> percent) { return percentText(percent, true); }
std::string positionText(std::optional<double> percent) { return percentText(percent, false); }

std::string missReason(const records::Match& match) {
    std::string reason;
    const auto add = [&](double miss, std::string_view what) {
        if (miss <= 0) return;
        if (!reason.empty()) reason += words::kReasonSeparator;
        reason.append(what).append(" ").append(percentText(miss, false));
    };
    add(match.flowBelowLow, words::kFlowBelowLow);
    add(match.flowAboveHigh, words::kFlowAboveHigh);
    add(match.headAboveHigh, words::kHeadAboveHigh);
    add(match.headBelowLow, words::kHeadBelowLow);
    return reason;
}

std::string problemText(FileProblem problem) {
    switch (problem) {
        case FileProblem::Missing:
            return std::string(words::kFileMissing);
        case FileProblem::Empty:
            return std::string(words::kFileEmpty);
        case FileProblem::Unreadable:
            return std::string(words::kFileUnreadable);
    }
    return {};
}

std::vector<Column> columnsOf(const duty::Selection& selection) {
    std::vector<Column> columns;
    for (int c = 0; c <= static_cast<int>(Column::Remark); ++c)
        if (static_cast<Column>(c) != Column::Speed || selection.speed) columns.push_back(static_cast<Column>(c));
    return columns;
}

static_assert(words::kColumnTitles.size() == static_cast<std::size_t>(Column::Remark) + 1);

std::string headerText(Column column, duty::FlowUnit unit) {
    std::string title(words::kColumnTitles.at(static_cast<std::size_t>(column)));
    if (column == Column::FlowRange || column == Column::WorkingFlow)
        title.append("(").append(duty::unitText(unit)).append(")");
    return title;
}

std::string cellText(const RankedPump& pump, Column column, duty::FlowUnit unit) {
    const Figures& f = pump.figures;
    const auto working = [&](double hydraulics::Point::*part) {
        return f.working ? std::optional<double>((*f.working).*part) : std::nullopt;
    };
    switch (column) {
        case Column::Maker:
            return pump.maker;
        case Column::Model:
            return pump.row.model;
        case Column::Data:
            return std::string(pump.pump.data == curves::Data::Curve ? words::kCurveData : words::kRangeData);
        case Column::FlowRange:
            return pump.row.flowRange;
        case Column::HeadRange:
            return pump.row.headRange;
        case Column::Power:
            return pump.row.power;
        case Column::HeadDeviation:
            return deviationText(f.headDeviation);
        case Column::FlowPosition:
            return positionText(f.flowPosition);
        case Column::WorkingFlow: {
            const auto flow = working(&hydraulics::Point::flow);
            return fixedText(flow ? std::optional(duty::inUnit(*flow, unit)) : std::nullopt, 1);
        }
        case Column::WorkingHead:
            return fixedText(working(&hydraulics::Point::head), 1);
        case Column::Efficiency:
            return fixedText(f.efficiency, 1);
        case Column::ShaftPower:
            return fixedText(f.shaftPower, 2);
        case Column::Npsh:
            return fixedText(f.npshRequired, 1);
        case Column::PreferredRegion:
            return std::string(f.inPreferredRegion ? (*f.inPreferredRegion ? words::kYes : words::kNo) : kNoFigure);
        case Column::Speed:
            return fixedText(f.speed, 0);
        case Column::Reason:
            return missReason(*pump.row.match);
        case Column::Remark:
            return pump.remark;
    }
    return {};
}

std::vector<std::string> headerTexts(const duty::Selection& selection) {
    std::vector<std::string> texts;
    for (Column column : columnsOf(selection)) texts.push_back(headerText(column, selection.unit));
    return texts;
}

std::vector<std::string> rowTexts(const RankedPump& pump, const duty::Selection& selection) {
    std::vector<std::string> texts;
    for (Column column : columnsOf(selection)) texts.push_back(cellText(pump, column, selection.unit));
    return texts;
}

namespace {
// The header line's words for the selection beyond the duty point.
std::vector<std::string> selectionWords(const duty::Selection& s) {
    std::vector<std::string> line;
    if (s.staticHead) line.insert(line.end(), {std::string(words::kStaticHead), numbers::roundTripText(*s.staticHead)});
    if (s.group.pumps > 1)
        line.insert(line.end(),
                    {std::string(words::kPumps),
                     std::to_string(s.group.pumps).append(s.group.series ? words::kInSeries : words::kInParallel)});
    if (s.speed) line.insert(line.end(), {std::string(words::kSpeed), std::string(words::kYes)});
    return line;
}
}  // namespace

std::string csvText(const Terms& terms, const std::vector<const RankedPump*>& pumps) {
    std::string text(csv::kUtf8Bom);
    std::vector<std::string> header = {
        std::string(words::kKind),
        terms.kind,
        std::string(words::kDutyFlow).append("(").append(duty::unitText(terms.selection.unit)).append(")"),
        terms.duty.flowText(),
        std::string(words::kDutyHead),
        terms.duty.headText(),
        std::string(words::kTolerance),
        numbers::formatWhole(terms.tolerance) + "%"};
    const std::vector<std::string> selection = selectionWords(terms.selection);
    header.insert(header.end(), selection.begin(), selection.end());
    text += csv::row(header);
    text += csv::row(headerTexts(terms.selection));
    for (const RankedPump* pump : pumps) text += csv::row(rowTexts(*pump, terms.selection));
    return text;
}

}  // namespace pumpsel::ranking
