#pragma once
// A maker data file as export, import and compact take it: the records the
// program lists, the sections that hold records, and the rewrite of the
// whole file in one atomic replacement under the catalogue lock.
#include "catalogue/pump_curve.h"
#include "catalogue/record_editing.h"
#include "maintenance/profile_lines.h"
#include "storage/outcome.h"

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace pumpsel::maintenance {

using editing::RecordValues;

// A record's curve keys in the order of curves::kCurveKeys, as read back;
// none where the key is missing or reads empty, which the program takes
// alike for no list.
using CurveValues = std::array<std::optional<std::string>, curves::kCurveKeys.size()>;

// A record as export and import carry it.
struct StoredRecord {
    RecordValues values;
    CurveValues curve;
    bool operator==(const StoredRecord&) const = default;
};

// A section whose name is a record number.
struct RecordSection {
    long long number = 0;
    const SectionBlock* block = nullptr;
};

class RecordFile {
public:
    // The file's bytes; empty for a file that does not exist yet.
    explicit RecordFile(std::string bytes);

    const ProfileLines& lines() const { return lines_; }
    const std::string& bytes() const { return bytes_; }

    // Records 1..n as the program lists them, their values as stored and
    // read back ("unknown" where missing).
    const std::vector<StoredRecord>& listed() const { return listed_; }

    // The sections the reader reads under a record number, in number order,
    // and the ones it never reads because an earlier section has their name.
    const std::vector<RecordSection>& recordSections() const { return sections_; }
    const std::vector<RecordSection>& repeatedSections() const { return repeated_; }

    // The record as stored in a section the reader reads.
    StoredRecord recordOf(const SectionBlock& section) const;

    // The text of record `number` holding `record`: with `block` (a section
    // the reader reads) that section's text with the values that differ
    // written as the program writes them and every other byte kept, else a
    // new section of the seven values and the curve keys that hold one. A
    // curve key that held a value and is to hold none is written empty.
    // Nullopt, with the reason, when a value cannot be stored.
    struct RecordText {
        std::string text;
        bool isNew = false;  // a section that was not in the file
    };
    std::optional<RecordText> recordText(long long number, const SectionBlock* block, const StoredRecord& record,
                                         std::string* reason) const;

    // The text with every record section (repeated ones too) taken out and
    // `records` put where the first of them stood, or at the end when there
    // was none; every other section and line stays as it was. A new record
    // is set apart by a blank line where the file's own records are.
    std::string withRecordsReplaced(const std::vector<RecordText>& records) const;
    // The text with `records` put after the last record section.
    std::string withRecordsAdded(const std::vector<RecordText>& records) const;

    // The bytes of the whole file for a text in the form of lines().text().
    std::string fileBytes(const std::string& text) const;
    // True when the file would be written back byte for byte as it was read
    // (not so for a UTF-16 file with damaged text).
    bool faithful() const;

private:
    void joinRecords(std::string& out, const std::vector<RecordText>& records, bool afterRecord) const;
    bool isRecordSection(const SectionBlock& section) const;

    std::string bytes_;
    ProfileLines lines_;
    std::vector<StoredRecord> listed_;
    std::vector<RecordSection> sections_, repeated_;
    bool blankBetween_ = false;  // the file's records are set apart by blank lines
};

// Every listed record of a data file in number order as CSV, UTF-8 with a
// byte-order mark, under the header 序号,型号,流量1,流量2,扬程1,扬程2,功率,备注,
// 曲线流量,曲线扬程,曲线效率,曲线功率,曲线汽蚀余量,转速, values exactly as they
// read back; a curve key that gives no value is an empty cell.
struct CsvExport : Outcome {
    std::string csv;
    int records = 0;
};
CsvExport exportCsv(const std::filesystem::path& dataFile);

// The column of the record numbers in an export and an import.
inline constexpr std::string_view kNumberColumn = "序号";

// Reads the data file under the catalogue lock (a missing file as empty) and
// replaces it in one atomic step with what `change` makes of it, the lock
// held throughout; `change` gives nullopt to write nothing. Fails for a file
// that cannot be locked, read or replaced; the file is then as it was.
using Change = std::function<std::optional<std::string>(const RecordFile& file)>;
Outcome rewriteLocked(const std::filesystem::path& dataFile, const Change& change);

}  // namespace pumpsel::maintenance
