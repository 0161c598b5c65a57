#pragma once
// The syntax of a profile file, read and written by the same rules: which
// blanks are stripped, how names fold, how a value that needs it is quoted
// and escaped, and which names a write must refuse. Texts are the file's
// working text (GBK bytes, or UTF-8 for files with a byte-order mark).
#include <string>
#include <string_view>

namespace pumpsel::ini {

// Files carry GBK text unless a byte-order mark says otherwise; a file is
// written back in the encoding it was read in.
enum class Encoding { Gbk, Utf8, Utf16LE, Utf16BE };

// The blanks that the profile services strip around names and values.
bool isBlank(char c);
std::string_view trimmed(std::string_view s);

// Length of the character at pos: GBK characters may be two bytes whose
// second byte looks like "]", "\" or a letter.
std::size_t charLength(std::string_view text, std::size_t pos, Encoding enc);

// Appends the name as names compare: ASCII letters without case.
void appendFolded(std::string& out, std::string_view name, Encoding enc);

// Where the character first stands in the text, or npos.
std::size_t findChar(std::string_view text, char wanted, Encoding enc);

// True when a quoted value's body is in the escaped form ("\n" or "\r" in it).
bool looksEscaped(std::string_view body, Encoding enc);
// The value an escaped body stands for.
std::string decodeLineBreaks(std::string_view body, Encoding enc);

// The text written after "=" for a value (UTF-8), so that a read gives the
// value back exactly: the value itself where it can stand as it is, else in
// double quotes, escaped where it holds line breaks or "\n" or "\r".
std::string storedForm(std::string_view value);

// Values are handed out through a 1000-byte buffer: at most 999 bytes of GBK.
inline constexpr std::size_t kMaxValueBytes = 999;

// Rules that name a section or key unusable because writing it would change
// the structure of the file; empty when the name is fine.
std::string sectionNameProblem(std::string_view section);
std::string keyNameProblem(std::string_view key);

// What keeps a value (UTF-8) from reading back as written, whatever the
// file: a NUL character, or more than kMaxValueBytes of GBK. Empty when
// nothing does; the reason reads after the value's name ("holds ...").
std::string valueProblem(std::string_view value);

}  // namespace pumpsel::ini
