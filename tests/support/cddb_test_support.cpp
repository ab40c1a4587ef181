#include "support/cddb_test_support.h"

#include "platform/cdrom/cd_drive_interface.h"
#include "support/disc_image.h"

#include <stdexcept>

namespace corvath::test {

namespace {

// The request target of a request line "GET <target> HTTP/1.x".
std::string RequestTarget(const std::string& requestLine)
{
    const std::size_t start = requestLine.find(' ') + 1;
    return requestLine.substr(start, requestLine.rfind(' ') - start);
}

} // namespace

CddbTestDisc::CddbTestDisc(const std::filesystem::path& folder)
{
    const std::filesystem::path cue = WriteCueImage(
        folder / "cddb", {{AudioSectors(100, 1)}, {AudioSectors(100, 2)}, {AudioSectors(100, 3)}});
    handle_ = OpenDiscImage(cue.string());
    if (handle_ == 0)
        throw std::runtime_error("cannot open " + cue.string());
}

CddbTestDisc::~CddbTestDisc()
{
    CloseCDHandle(handle_);
}

std::string QueryParameter(const std::string& target, const std::string& name)
{
    const std::size_t query = target.find('?');
    if (query == std::string::npos)
        return {};
    const std::string key = name + '=';
    std::size_t start = query + 1;
    while (start < target.size() && target.compare(start, key.size(), key) != 0) {
        const std::size_t next = target.find('&', start);
        start = next == std::string::npos ? target.size() : next + 1;
    }
    if (start >= target.size())
        return {};
    const std::size_t end = std::min(target.find('&', start), target.size());
    std::string value;
    for (std::size_t i = start + key.size(); i < end; ++i) {
        if (target[i] == '+') {
            value += ' ';
        } else if (target[i] == '%' && i + 2 < end) {
            value += static_cast<char>(std::stoi(target.substr(i + 1, 2), nullptr, 16));
            i += 2;
        } else {
            value += target[i];
        }
    }
    return value;
}

HttpTestServer::Handler CddbServer(std::string queryAnswer,
                                   std::map<std::string, std::string> entries)
{
    return [queryAnswer = std::move(queryAnswer),
            entries = std::move(entries)](const std::string& target) {
        const std::string command = QueryParameter(target, "cmd");
        if (command.starts_with("cddb query "))
            return HttpTestResponse{200, queryAnswer};
        const std::string read = "cddb read ";
        if (command.starts_with(read)) {
            const auto entry = entries.find(command.substr(read.size()));
            if (entry != entries.end())
                return HttpTestResponse{200,
                                        "210 " + entry->first + "\r\n" + entry->second + ".\r\n"};
            return HttpTestResponse{200, "401 No such CD entry in database.\r\n"};
        }
        return HttpTestResponse{200, "500 Unrecognized command.\r\n"};
    };
}

std::vector<std::string> CddbCommands(const HttpTestServer& server)
{
    std::vector<std::string> commands;
    for (const std::string& line : server.RequestLines())
        commands.push_back(QueryParameter(RequestTarget(line), "cmd"));
    return commands;
}

} // namespace corvath::test
