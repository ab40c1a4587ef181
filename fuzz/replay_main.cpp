// Runs a fuzz target without libFuzzer, so that a build with any compiler links the targets and
// replays what they were given: no bytes at all first, then each file named on the command line,
// or each file of a folder named, in name order. A target that finds a bug aborts, which fails
// the run.

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);
// Defined by the targets that set something up once.
extern "C" __attribute__((weak)) int LLVMFuzzerInitialize(int* argc, char*** argv);

namespace {

namespace fs = std::filesystem;

std::vector<fs::path> InputsOf(const fs::path& named)
{
    if (!fs::is_directory(named))
        return {named};
    std::vector<fs::path> files;
    for (const fs::directory_entry& entry : fs::directory_iterator(named))
        if (entry.is_regular_file())
            files.push_back(entry.path());
    std::ranges::sort(files);
    return files;
}

bool Run(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(in), {}};
    if (!in.good() && !in.eof()) {
        std::fprintf(stderr, "Cannot read %s\n", file.c_str());
        return false;
    }
    LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    if (LLVMFuzzerInitialize != nullptr)
        LLVMFuzzerInitialize(&argc, &argv);
    LLVMFuzzerTestOneInput(nullptr, 0);
    std::size_t count = 1;
    for (int arg = 1; arg < argc; ++arg) {
        for (const fs::path& file : InputsOf(argv[arg])) {
            if (!Run(file))
                return 1;
            ++count;
        }
    }
    std::printf("%zu inputs ran without a fault\n", count);
    return 0;
}
