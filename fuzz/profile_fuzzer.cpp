// Reads arbitrary bytes as an INI file, writes one key and reads the file back through the file
// reader: the rest of the file must keep what it read, the value must read back as written
// (control characters as blanks), and the reader must take every byte the writer wrote.

#include "platform/files/whole_file.h"
#include "platform/profile/profile_file.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>

namespace {

// A folder of its own for the run's one file, gone when the run ends.
class FuzzFolder {
public:
    FuzzFolder()
    {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "profile-fuzz-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr)
            std::abort();
        folder_ = pattern;
    }
    ~FuzzFolder()
    {
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }
    FuzzFolder(const FuzzFolder&) = delete;
    FuzzFolder& operator=(const FuzzFolder&) = delete;

    std::filesystem::path File() const { return folder_ / "options.ini"; }

private:
    std::filesystem::path folder_;
};

// A written value reads back on one line, without surrounding blanks.
std::string ExpectedReadBack(std::string_view value)
{
    std::string line(value);
    for (char& c : line) {
        const auto byte = static_cast<unsigned char>(c);
        if ((byte < 0x20 && c != '\t') || byte == 0x7F)
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
    static const FuzzFolder folder;
    const std::filesystem::path file = folder.File();
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    if (!corvath::WriteWholeFile(file, text).empty())
        std::abort();

    corvath::ProfileDocument document;
    try {
        document = corvath::LoadProfile(file);
    } catch (const corvath::ProfileReadError&) {
        return 0; // binary data, refused
    }
    (void)document.ReadInteger("OggOptions", "CompressPosition", 30);
    (void)document.ReadBool("QueryCDDB", "UseProxy", false);

    // Whatever was read must survive a write of another key.
    const std::string before = document.ReadString("CommonOptions", "OutputFolder", "<none>");
    const std::string_view value = text.substr(0, 64);
    document.WriteString("Fuzz", "Key", value);
    corvath::SaveProfile(document, file);
    // Throws, ending the run, when the reader refuses what the writer wrote.
    const corvath::ProfileDocument reread = corvath::LoadProfile(file);
    if (!reread.MendedLines().empty())
        std::abort();
    if (reread.ReadString("CommonOptions", "OutputFolder", "<none>") != before)
        std::abort();
    if (reread.ReadString("Fuzz", "Key", "<none>") != ExpectedReadBack(value))
        std::abort();
    return 0;
}
