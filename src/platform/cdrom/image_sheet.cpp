#include "platform/cdrom/image_sheet.h"

#include "platform/cdrom/cdrdao_image.h"
#include "platform/files/whole_file.h"
#include "platform/text/ascii_case.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>
#include <utility>
#include <vector>

namespace corvath {

namespace {

std::string Quoted(const std::filesystem::path& path)
{
    return "\"" + path.string() + "\"";
}

bool Exists(const std::filesystem::path& path)
{
    std::error_code error;
    return std::filesystem::exists(path, error);
}

std::filesystem::path WithExtension(std::filesystem::path path, const char* extension)
{
    return path.replace_extension(extension);
}

bool IsBlank(const std::string& text)
{
    return text.find_first_not_of(" \t\r\n") == std::string::npos;
}

// The words of each line that has any.
std::vector<std::vector<std::string>> LineWords(const std::string& sheet)
{
    std::vector<std::vector<std::string>> lineWords;
    std::istringstream lines(sheet);
    for (std::string line; std::getline(lines, line);) {
        std::istringstream words(line);
        std::vector<std::string> these;
        for (std::string word; words >> word;)
            these.push_back(word);
        if (!these.empty())
            lineWords.push_back(std::move(these));
    }
    return lineWords;
}

bool IsKeyword(const std::vector<std::string>& words, const char* keyword)
{
    return EqualIgnoringCase(words.front(), keyword);
}

bool HasTrackLine(const std::string& sheet)
{
    return std::ranges::any_of(LineWords(sheet), [](const std::vector<std::string>& words) {
        return IsKeyword(words, "TRACK");
    });
}

// Whether a TRACK line follows each FILE line of a cue sheet before the next FILE line: libcdio
// leaks the name of a file without tracks.
bool EachFileHasTracks(const std::string& cueSheet)
{
    bool fileWithoutTracks = false;
    for (const std::vector<std::string>& words : LineWords(cueSheet)) {
        if (IsKeyword(words, "FILE")) {
            if (fileWithoutTracks)
                return false;
            fileWithoutTracks = true;
        } else if (IsKeyword(words, "TRACK")) {
            fileWithoutTracks = false;
        }
    }
    return !fileWithoutTracks;
}

// Whether each TRACK line of a TOC file names the track's mode: libcdio divides by the sector
// size of a track without one, and the process dies.
bool EachTrackHasMode(const std::string& tocFile)
{
    return std::ranges::all_of(LineWords(tocFile), [](const std::vector<std::string>& words) {
        return !IsKeyword(words, "TRACK") || words.size() >= 2;
    });
}

// libcdio reads a line only up to a zero byte, so it would see other words than these checks.
bool CueSheetIsSafeToParse(const std::string& cueSheet)
{
    return cueSheet.find('\0') == std::string::npos && HasTrackLine(cueSheet) &&
           EachFileHasTracks(cueSheet);
}

bool TocFileIsSafeToParse(const std::string& tocFile)
{
    return tocFile.find('\0') == std::string::npos && HasTrackLine(tocFile) &&
           EachTrackHasMode(tocFile);
}

// The data files the sheet names, resolved from its folder.
std::vector<std::filesystem::path> NamedDataFiles(const std::string& sheet,
                                                  const std::filesystem::path& folder)
{
    std::vector<std::filesystem::path> files;
    std::istringstream lines(sheet);
    for (std::string line; std::getline(lines, line);) {
        if (const std::optional<DataFileReference> reference = FindDataFileReference(line))
            files.push_back(reference->name.is_absolute() ? reference->name
                                                          : folder / reference->name);
    }
    return files;
}

// What is wrong with a cue sheet or TOC file whose text is sheet; empty when nothing is seen.
std::string SheetProblem(const std::filesystem::path& path, const std::string& sheet, bool cue)
{
    const char* kind = cue ? "the cue sheet" : "the TOC file";
    if (IsBlank(sheet))
        return std::string(kind) + " is empty";
    if (sheet.find('\0') != std::string::npos)
        return std::string("it is not a ") + (cue ? "cue sheet" : "TOC file");
    if (!HasTrackLine(sheet))
        return std::string(kind) + " lists no tracks";
    if (cue && !EachFileHasTracks(sheet))
        return "the cue sheet names a data file without tracks";
    if (!cue && !EachTrackHasMode(sheet))
        return "the TOC file has a track without a mode";
    std::vector<std::filesystem::path> needed = NamedDataFiles(sheet, path.parent_path());
    // libcdio reads a cue sheet's sectors from the .bin of the same name, whatever it names.
    if (cue)
        needed.insert(needed.begin(), WithExtension(path, ".bin"));
    for (const std::filesystem::path& file : needed) {
        if (!Exists(file))
            return "its data file " + Quoted(file.lexically_normal()) + " is missing";
    }
    return {};
}

} // namespace

bool SheetIsSafeToParse(const std::filesystem::path& image)
{
    const std::string extension = LowerAscii(image.extension().string());
    if (extension == ".toc")
        return TocFileIsSafeToParse(ReadWholeFile(image));
    if (extension == ".cue")
        return CueSheetIsSafeToParse(ReadWholeFile(image));
    if (const auto cue = WithExtension(image, ".cue"); extension == ".bin" && Exists(cue))
        return CueSheetIsSafeToParse(ReadWholeFile(cue));
    return true;
}

std::optional<DataFileReference> FindDataFileReference(const std::string& line)
{
    const std::size_t start = line.find_first_not_of(" \t");
    if (start == std::string::npos)
        return std::nullopt;
    const std::size_t keywordEnd = line.find_first_of(" \t", start);
    if (keywordEnd == std::string::npos)
        return std::nullopt;
    const std::string keyword = line.substr(start, keywordEnd - start);
    if (!EqualIgnoringCase(keyword, "FILE") && !EqualIgnoringCase(keyword, "AUDIOFILE") &&
        !EqualIgnoringCase(keyword, "DATAFILE"))
        return std::nullopt;
    std::size_t begin = line.find_first_not_of(" \t", keywordEnd);
    if (begin == std::string::npos)
        return std::nullopt;
    std::size_t end = 0;
    if (line[begin] == '"') {
        ++begin;
        end = line.find('"', begin);
        if (end == std::string::npos)
            return std::nullopt;
    } else {
        end = std::min(line.find_first_of(" \t\r", begin), line.size());
    }
    return DataFileReference{begin, end, line.substr(begin, end - begin)};
}

std::string WhyImageCannotBeRead(const std::filesystem::path& path)
{
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::status(path, error);
    if (!std::filesystem::exists(status))
        return "the file does not exist";
    if (std::filesystem::is_directory(status))
        return "it is a folder";
    if (!std::ifstream(path, std::ios::binary))
        return std::string("it cannot be read (") + std::strerror(errno) + ")";

    const std::string extension = LowerAscii(path.extension().string());
    if (extension == ".cue" || extension == ".toc") {
        const std::string sheet = ReadWholeFile(path);
        if (std::string problem = SheetProblem(path, sheet, extension == ".cue"); !problem.empty())
            return problem;
    } else if (extension == ".bin") {
        if (const auto cue = WithExtension(path, ".cue"); !Exists(cue))
            return "its cue sheet " + Quoted(cue) + " is missing";
    } else if (extension != ".nrg") {
        return "it is not a disc image (a .cue, .toc or .nrg file)";
    }
    // libcdio opens it, but what it lists is no disc.
    const CdioHandle cdio = extension == ".toc" ? OpenCdrdaoImage(path.string())
                                                : OpenCdio(path.string(), DRIVER_UNKNOWN);
    if (cdio)
        return "its table of contents is damaged: tracks run backwards or past the end of its "
               "data";
    return "it is not a disc image that can be read";
}

} // namespace corvath
