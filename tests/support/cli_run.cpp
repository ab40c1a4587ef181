#include "support/cli_run.h"

#include "platform/files/program_folder.h"
#include "support/run_command.h"
#include "support/temp_dir.h"

#include <cstdlib>
#include <sys/wait.h>

namespace corvath::test {

std::filesystem::path BuiltCli()
{
    return ProgramFolder() + "corvath-cli";
}

CliRun RunCli(const std::string& arguments, const std::filesystem::path& program)
{
    const TempDir dir;
    const std::string line = Quoted(program) + " " + arguments + " >" + Quoted(dir / "out") +
                             " 2>" + Quoted(dir / "err") + " </dev/null";
    const int status = std::system(line.c_str());
    return {WIFSIGNALED(status) ? 128 + WTERMSIG(status) : WEXITSTATUS(status),
            ReadFile(dir / "out"), ReadFile(dir / "err")};
}

std::string PythonOfJson(const std::string& json, const std::string& lines)
{
    const TempDir dir;
    WriteFile(dir / "in.json", json);
    WriteFile(dir / "read.py", "import json, sys\nd = json.load(sys.stdin)\n" + lines);
    return RunCommand("python3 " + Quoted(dir / "read.py") + " <" + Quoted(dir / "in.json") +
                      " 2>/dev/null");
}

} // namespace corvath::test
