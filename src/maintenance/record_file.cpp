#include "maintenance/record_file.h"

#include "catalogue/catalogue.h"
#include "storage/csv.h"
#include "storage/file_ops.h"
#include "storage/profile.h"

#include <algorithm>

namespace pumpsel::maintenance {
namespace {

std::size_t breakAtEnd(std::string_view text) {
    if (text.ends_with("\r\n")) return 2;
    return text.ends_with('\n') || text.ends_with('\r') ? 1 : 0;
}

bool endsWithBlankLine(std::string_view text) {
    const std::size_t last = breakAtEnd(text);
    if (last == 0) return false;
    text.remove_suffix(last);
    return text.empty() || breakAtEnd(text) > 0;
}

// Appends text so that it starts on a line of its own.
void appendOnOwnLine(std::string& out, std::string_view text) {
    if (!out.empty() && !text.empty() && breakAtEnd(out) == 0) out += "\r\n";
    out += text;
}

std::string_view blockText(std::string_view text, const SectionBlock& block) {
    return text.substr(block.begin, block.end - block.begin);
}

std::optional<std::string> curveValue(std::optional<std::string> read) {
    if (read && read->empty()) return std::nullopt;
    return read;
}

}  // namespace

RecordFile::RecordFile(std::string bytes) : bytes_(std::move(bytes)), lines_(ini::ProfileText::parse(bytes_)) {
    const ini::ProfileText& parsed = lines_.parsed();
    const auto keys = parsed.prepareNames(catalogue::kRecordKeys);
    const auto curveKeys = parsed.prepareNames(curves::kCurveKeys);
    std::vector<std::string> values, curve;
    std::uint32_t near = 0;
    catalogue::enumerate(
        [&](int n) {
            parsed.findPrepared(catalogue::numberedKey(n), keys, ini::kMaxValueBytes, ini::kUnknown, values, near);
            return values[0];
        },
        [&](int n, const std::string&) {
            StoredRecord& record = listed_.emplace_back();
            std::move(values.begin(), values.end(), record.values.begin());
            parsed.findPrepared(catalogue::numberedKey(n), curveKeys, ini::kMaxValueBytes, "", curve, near);
            for (std::size_t i = 0; i < curve.size(); ++i) record.curve[i] = curveValue(std::move(curve[i]));
        });

    for (const SectionBlock& section : lines_.sections())
        if (const auto number = recordNumber(section.name))
            (section.read() ? sections_ : repeated_).push_back({*number, &section});
    std::sort(sections_.begin(), sections_.end(),
              [](const RecordSection& a, const RecordSection& b) { return a.number < b.number; });
    for (const SectionBlock& section : lines_.sections()) {
        if (!isRecordSection(section) || section.end == lines_.text().size()) continue;
        blankBetween_ = endsWithBlankLine(blockText(lines_.text(), section));
        break;
    }
}

bool RecordFile::isRecordSection(const SectionBlock& section) const { return recordNumber(section.name).has_value(); }

StoredRecord RecordFile::recordOf(const SectionBlock& section) const {
    StoredRecord record;
    const std::string name = lines_.utf8(section.name);
    const auto read = [&](std::string_view key) { return lines_.parsed().find(name, key, ini::kMaxValueBytes); };
    for (std::size_t i = 0; i < record.values.size(); ++i)
        record.values[i] = read(catalogue::kRecordKeys[i]).value_or(std::string(ini::kUnknown));
    for (std::size_t i = 0; i < record.curve.size(); ++i) record.curve[i] = curveValue(read(curves::kCurveKeys[i]));
    return record;
}

std::optional<RecordFile::RecordText> RecordFile::recordText(long long number, const SectionBlock* block,
                                                             const StoredRecord& record, std::string* reason) const {
    const std::string_view text = block ? blockText(lines_.text(), *block) : std::string_view();
    const StoredRecord current = block ? recordOf(*block) : StoredRecord{};
    std::vector<ini::KeyValue> changed;
    for (std::size_t i = 0; i < record.values.size(); ++i)
        if (!block || record.values[i] != current.values[i])
            changed.push_back({catalogue::kRecordKeys[i], record.values[i]});
    for (std::size_t i = 0; i < record.curve.size(); ++i)
        if (record.curve[i] != current.curve[i])
            changed.push_back({curves::kCurveKeys[i], record.curve[i] ? std::string_view(*record.curve[i]) : ""});
    if (changed.empty()) return RecordText{std::string(text), false};
    // The section alone, parsed in the file's working encoding, is written as the program writes.
    const std::string_view bom = lines_.parsed().encoding() == ini::Encoding::Gbk ? "" : "\xEF\xBB\xBF";
    const auto section = ini::ProfileText::parse(std::string(bom) + std::string(text));
    auto written = section->withValues(std::to_string(number), changed, reason, nullptr);
    if (!written) return std::nullopt;
    return RecordText{written->substr(bom.size()), block == nullptr};
}

void RecordFile::joinRecords(std::string& out, const std::vector<RecordText>& records, bool afterRecord) const {
    bool previousNew = false;
    for (const RecordText& record : records) {
        if (!out.empty() && breakAtEnd(out) == 0) out += "\r\n";
        if (afterRecord && blankBetween_ && (record.isNew || previousNew) && !endsWithBlankLine(out)) out += "\r\n";
        out += record.text;
        afterRecord = true;
        previousNew = record.isNew;
    }
}

std::string RecordFile::withRecordsReplaced(const std::vector<RecordText>& records) const {
    const std::string_view text = lines_.text();
    const auto& sections = lines_.sections();
    std::string out(text.substr(0, sections.empty() ? text.size() : sections.front().begin));
    bool placed = false;
    for (const SectionBlock& section : sections) {
        if (!isRecordSection(section)) {
            appendOnOwnLine(out, blockText(text, section));
        } else if (!placed) {
            joinRecords(out, records, false);
            placed = true;
        }
    }
    if (!placed) joinRecords(out, records, false);
    return out;
}

std::string RecordFile::withRecordsAdded(const std::vector<RecordText>& records) const {
    const std::string_view text = lines_.text();
    const auto& sections = lines_.sections();
    const auto last = std::find_if(sections.rbegin(), sections.rend(),
                                   [&](const SectionBlock& section) { return isRecordSection(section); });
    const std::size_t at = last == sections.rend() ? text.size() : last->end;
    std::string out(text.substr(0, at));
    joinRecords(out, records, last != sections.rend());
    appendOnOwnLine(out, text.substr(at));
    return out;
}

std::string RecordFile::fileBytes(const std::string& text) const { return lines_.parsed().encodeFile(text); }

bool RecordFile::faithful() const { return fileBytes(std::string(lines_.text())) == bytes_; }

CsvExport exportCsv(const std::filesystem::path& dataFile) try {
    CsvExport result;
    std::string bytes;
    if (const auto status = files::readWholeFile(dataFile, bytes); status != files::ReadStatus::Ok) {
        result.ok = false;
        result.reason = files::readProblem(status);
        return result;
    }
    const RecordFile file(std::move(bytes));
    std::vector<std::string> fields = {std::string(kNumberColumn)};
    fields.insert(fields.end(), catalogue::kRecordKeys.begin(), catalogue::kRecordKeys.end());
    fields.insert(fields.end(), curves::kCurveKeys.begin(), curves::kCurveKeys.end());
    result.csv = std::string(csv::kUtf8Bom) + csv::row(fields);
    for (const StoredRecord& record : file.listed()) {
        fields.assign(1, std::to_string(++result.records));
        fields.insert(fields.end(), record.values.begin(), record.values.end());
        for (const auto& value : record.curve) fields.push_back(value.value_or(""));
        result.csv += csv::row(fields);
    }
    return result;
} catch (const std::bad_alloc&) {
    CsvExport result;
    result.ok = false;
    result.reason = "not enough memory";
    return result;
}

Outcome rewriteLocked(const std::filesystem::path& dataFile, const Change& change) try {
    Outcome unread;
    std::optional<std::string> updated;
    const Outcome written =
        files::rewrite(dataFile, [&](const files::WriteLock& lock) -> std::optional<std::string_view> {
            std::string bytes;
            if (lock.exists()) {
                const auto status = files::readWholeFile(lock.target(), bytes);
                if (status != files::ReadStatus::Ok) {
                    unread = Outcome::failed(std::string(files::readProblem(status)));
                    return std::nullopt;
                }
            }
            const RecordFile current(std::move(bytes));
            updated = change(current);
            if (!updated || *updated == current.bytes()) return std::nullopt;
            return updated;
        });
    return unread ? written : unread;
} catch (const std::bad_alloc&) {
    return Outcome::failed("not enough memory");
}

}  // namespace pumpsel::maintenance
