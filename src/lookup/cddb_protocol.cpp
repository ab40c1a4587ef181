#include "lookup/cddb_protocol.h"

#include "platform/cdrom/cd_errors.h"
#include "platform/text/ascii_case.h"

#include <algorithm>
#include <array>
#include <cctype>

namespace corvath {

namespace {

// Letters, digits and "-_.~" stay; a space becomes "+"; every other byte is %-escaped.
std::string FormEncode(std::string_view text)
{
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string encoded;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (std::isalnum(byte) || c == '-' || c == '_' || c == '.' || c == '~') {
            encoded += c;
        } else if (c == ' ') {
            encoded += '+';
        } else {
            encoded += '%';
            encoded += kHex[byte >> 4];
            encoded += kHex[byte & 0x0F];
        }
    }
    return encoded;
}

// Each greeting field must stay one word: the fields are separated by "+".
std::string GreetingField(std::string_view text, std::string_view fallback)
{
    std::string field(text.empty() ? fallback : text);
    std::replace(field.begin(), field.end(), ' ', '_');
    return FormEncode(field);
}

std::string Greeting(const CddbSettings& settings)
{
    const std::string_view email = settings.email;
    const std::size_t at = email.find('@');
    const std::string_view user = email.substr(0, at);
    const std::string_view host = at == std::string_view::npos ? "" : email.substr(at + 1);
    // The version is the client text's last word: a program name may hold spaces.
    const std::string_view client = settings.client;
    const std::size_t space = client.rfind(' ');
    const std::string_view program = client.substr(0, space);
    const std::string_view version =
        space == std::string_view::npos ? "" : client.substr(space + 1);
    return GreetingField(user, "corvath") + '+' + GreetingField(host, "localhost") + '+' +
           GreetingField(program, "Corvath") + '+' + GreetingField(version, CORVATH_VERSION);
}

// The answer's lines without their line ends (LF or CRLF).
std::vector<std::string_view> Lines(std::string_view body)
{
    std::vector<std::string_view> lines;
    while (!body.empty()) {
        const std::size_t end = body.find('\n');
        std::string_view line = body.substr(0, end);
        if (line.ends_with('\r'))
            line.remove_suffix(1);
        lines.push_back(line);
        body = end == std::string_view::npos ? std::string_view() : body.substr(end + 1);
    }
    return lines;
}

// The three-digit code that starts an answer; 0 when there is none.
int StatusCode(const std::vector<std::string_view>& lines)
{
    if (lines.empty() || lines[0].size() < 3 ||
        !std::all_of(lines[0].begin(), lines[0].begin() + 3,
                     [](char c) { return std::isdigit(static_cast<unsigned char>(c)); }))
        return 0;
    if (lines[0].size() > 3 && lines[0][3] != ' ')
        return 0;
    return (lines[0][0] - '0') * 100 + (lines[0][1] - '0') * 10 + (lines[0][2] - '0');
}

// The lines after the status line, up to the one holding only ".".
std::vector<std::string_view> DataLines(const std::vector<std::string_view>& lines)
{
    const auto first = lines.begin() + 1;
    return {first, std::find(first, lines.end(), std::string_view("."))};
}

std::string_view NextWord(std::string_view& text)
{
    const std::size_t start = text.find_first_not_of(' ');
    if (start == std::string_view::npos) {
        text = {};
        return {};
    }
    text.remove_prefix(start);
    const std::size_t end = std::min(text.find(' '), text.size());
    const std::string_view word = text.substr(0, end);
    text.remove_prefix(end);
    return word;
}

// "<category> <disc id> <title>"; false when the category or the id is missing.
bool ParseMatch(std::string_view text, CddbMatch& match)
{
    const std::string_view category = NextWord(text);
    const std::string_view discId = NextWord(text);
    if (category.empty() || discId.empty())
        return false;
    const std::size_t titleStart = std::min(text.find_first_not_of(' '), text.size());
    match = {std::string(category), std::string(discId), std::string(text.substr(titleStart))};
    return true;
}

} // namespace

std::string CddbRequestUrl(const CddbSettings& settings, std::string_view command)
{
    std::string url = "http://" + settings.server;
    if (!settings.script.starts_with('/'))
        url += '/';
    url += settings.script;
    url += "?cmd=" + FormEncode(command) + "&hello=" + Greeting(settings) + "&proto=6";
    return url;
}

std::string CddbQueryCommand(std::string_view discId, const std::vector<uint32_t>& trackOffsets,
                             uint32_t leadOutOffset)
{
    std::string command =
        "cddb query " + std::string(discId) + ' ' + std::to_string(trackOffsets.size());
    for (const uint32_t offset : trackOffsets)
        command += ' ' + std::to_string(offset);
    return command + ' ' + std::to_string(leadOutOffset / 75);
}

std::string CddbReadCommand(const CddbMatch& match)
{
    return "cddb read " + match.Category + ' ' + match.DiscId;
}

int32_t ParseCddbQueryAnswer(std::string_view body, CddbMatchList& matches)
{
    const std::size_t room = std::min<std::size_t>(matches.Count, kCdMaxCddbMatches);
    matches.Count = 0;
    const std::vector<std::string_view> lines = Lines(body);
    std::vector<std::string_view> listed;
    switch (StatusCode(lines)) {
    case 200:
        listed = {lines[0].substr(3)};
        break;
    case 210:
    case 211:
        listed = DataLines(lines);
        break;
    case 202:
        return kCdErrorNone;
    default:
        return kCdErrorServer;
    }
    for (const std::string_view line : listed) {
        if (matches.Count == room)
            break;
        if (ParseMatch(line, matches.Matches[matches.Count]))
            ++matches.Count;
    }
    return kCdErrorNone;
}

std::string CddbStatusLine(std::string_view body)
{
    const std::vector<std::string_view> lines = Lines(body.substr(0, body.find('\n')));
    if (StatusCode(lines) == 0)
        return {};
    const std::string_view line = lines[0];
    const std::size_t end = line.find_last_not_of(" \t");
    return std::string(line.substr(0, end + 1));
}

bool CddbStatusRefusesClient(std::string_view statusLine)
{
    const int code = StatusCode(Lines(statusLine));
    if (code == 431 || code == 432)
        return true;
    if (code < 500 || code > 599)
        return false;
    const std::string text = LowerAscii(statusLine);
    return std::ranges::any_of(
        std::array{"developer", "email", "e-mail", "client"},
        [&](std::string_view word) { return text.find(word) != std::string::npos; });
}

std::optional<std::string> ParseCddbReadAnswer(std::string_view body)
{
    const std::vector<std::string_view> lines = Lines(body);
    if (StatusCode(lines) != 210)
        return std::nullopt;
    const std::vector<std::string_view> entryLines = DataLines(lines);
    std::string entry;
    for (std::size_t i = 0; i < entryLines.size(); ++i) {
        if (i > 0)
            entry += '\n';
        entry += entryLines[i];
    }
    return entry;
}

} // namespace corvath
