#include "support/run_command.h"

#include <array>
#include <cstdio>
#include <memory>

namespace corvath::test {

namespace {

struct PipeCloser {
    void operator()(FILE* pipe) const { ::pclose(pipe); }
};

} // namespace

std::string RunCommand(const std::string& command)
{
    std::unique_ptr<FILE, PipeCloser> pipe(::popen(command.c_str(), "r"));
    if (!pipe)
        return {};
    std::string output;
    std::array<char, 4096> buffer{};
    while (const std::size_t read = std::fread(buffer.data(), 1, buffer.size(), pipe.get()))
        output.append(buffer.data(), read);
    return output;
}

std::string Quoted(const std::filesystem::path& path)
{
    return "'" + path.string() + "'";
}

} // namespace corvath::test
