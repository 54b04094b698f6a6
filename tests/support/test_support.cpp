#include "support/test_support.h"

#include <atomic>
#include <fstream>
#include <iterator>
#include <unistd.h>

#include "platform/tick_source.h"

namespace {
std::atomic<uint32_t> manualTicks{0};
uint32_t ReadManualTicks(void*) { return manualTicks.load(); }
} // namespace

std::filesystem::path ScratchDir(const std::string& name)
{
    std::filesystem::path dir = std::filesystem::path(VELA_BINARY_DIR) / "test-scratch" /
                                (std::to_string(getpid()) + "-" + name);
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    return dir;
}

std::vector<uint8_t> ReadFileBytes(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void WriteFileBytes(const std::filesystem::path& path, const std::vector<uint8_t>& bytes)
{
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

void UseManualTicks(uint32_t start)
{
    manualTicks.store(start);
    SetTickSource(ReadManualTicks, nullptr);
}

void SetManualTicks(uint32_t ticks) { manualTicks.store(ticks); }
void AdvanceManualTicks(uint32_t milliseconds) { manualTicks.fetch_add(milliseconds); }
void UseRealTicks() { SetTickSource(nullptr, nullptr); }

int RunWithWords(int (*command)(int, char**), const std::string& name, const std::vector<std::string>& words)
{
    std::vector<std::string> storage = {name};
    storage.insert(storage.end(), words.begin(), words.end());
    std::vector<char*> argv;
    for (std::string& w : storage) argv.push_back(w.data());
    argv.push_back(nullptr);
    return command(static_cast<int>(storage.size()), argv.data());
}
