// Any bytes as a profile file: parsing and lookups never crash, and what a
// lookup returns is valid UTF-8 cut to 999 bytes of GBK.
#include "storage/gbk.h"
#include "storage/profile_text.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string bytes(reinterpret_cast<const char*>(data), size);
    auto text = pumpsel::ini::ProfileText::parse(bytes);
    // Names taken from the input itself, so that lookups also hit.
    std::string_view rest(bytes);
    std::string_view names[4] = {"1", "型号", "种类", ""};
    for (int i = 0; i < 4 && !rest.empty(); ++i) {
        std::size_t cut = rest.find_first_of("\r\n=[]");
        names[i] = rest.substr(0, cut == std::string_view::npos ? rest.size() : cut);
        rest.remove_prefix(cut == std::string_view::npos ? rest.size() : cut + 1);
    }
    const std::string utf8[4] = {pumpsel::gbk::toUtf8(names[0]), pumpsel::gbk::toUtf8(names[1]),
                                 pumpsel::gbk::toUtf8(names[2]), pumpsel::gbk::toUtf8(names[3])};
    for (const std::string& section : utf8)
        for (const std::string& key : utf8) {
            auto value = text->find(section, key, 999);
            if (!value) continue;
            if (!pumpsel::gbk::isValidUtf8(*value)) std::abort();
            // Cut to 999 bytes of GBK: what decoded cleanly encodes back within them.
            if (value->find("\xEF\xBF\xBD") != std::string::npos) continue;
            auto bytes = pumpsel::gbk::fromUtf8(*value);
            if (bytes && bytes->size() > 999) std::abort();
        }
    return 0;
}
