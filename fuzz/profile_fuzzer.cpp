// Feeds arbitrary bytes to the INI reader, then checks that one write keeps the rest of the
// file and reads back.

#include "platform/profile/profile_document.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

// A written value reads back on one line, without surrounding blanks.
std::string ExpectedReadBack(std::string_view value)
{
    std::string line(value);
    for (char& c : line) {
        if (c == '\r' || c == '\n')
            c = ' ';
    }
    const auto first = line.find_first_not_of(" \t");
    if (first == std::string::npos)
        return {};
    return line.substr(first, line.find_last_not_of(" \t") - first + 1);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    auto document = corvath::ProfileDocument::Parse(text);
    (void)document.ReadString("CommonOptions", "OutputFolder", "");
    (void)document.ReadInteger("OggOptions", "CompressPosition", 30);
    (void)document.ReadBool("QueryCDDB", "UseProxy", false);

    // Whatever was read must survive a write of another key.
    const std::string before = document.ReadString("CommonOptions", "OutputFolder", "<none>");
    const std::string_view value = text.substr(0, 64);
    document.WriteString("Fuzz", "Key", value);
    const auto reread = corvath::ProfileDocument::Parse(document.Serialize());
    if (reread.ReadString("CommonOptions", "OutputFolder", "<none>") != before)
        std::abort();
    if (reread.ReadString("Fuzz", "Key", "<none>") != ExpectedReadBack(value))
        std::abort();
    return 0;
}
