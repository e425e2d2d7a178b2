// Replays kept fuzz inputs through a fuzz target in the ordinary test build,
// so inputs that once found a fault keep being checked under the sanitizers.
// Usage: replay_<name> FOLDER_OR_FILE...
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

static int RunFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    return 1;
}

int main(int argc, char** argv)
{
    int count = 0;
    // The empty input is always worth a run.
    LLVMFuzzerTestOneInput(nullptr, 0);
    for (int i = 1; i < argc; ++i)
    {
        std::filesystem::path path(argv[i]);
        std::error_code ec;
        if (std::filesystem::is_directory(path, ec))
        {
            for (const auto& entry : std::filesystem::recursive_directory_iterator(path, ec))
                if (entry.is_regular_file()) count += RunFile(entry.path());
        }
        else if (std::filesystem::is_regular_file(path, ec))
            count += RunFile(path);
    }
    std::printf("replayed %d inputs\n", count);
    return 0;
}
