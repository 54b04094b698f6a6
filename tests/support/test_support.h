// Helpers shared by the test programs.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

// A fresh empty folder under the build tree for one test; removed and re-made on every call.
std::filesystem::path ScratchDir(const std::string& name);

// Whole-file read and write.
std::vector<uint8_t> ReadFileBytes(const std::filesystem::path& path);
void WriteFileBytes(const std::filesystem::path& path, const std::vector<uint8_t>& bytes);

// A tick source under the test's control: SetManualTicks(t) makes GetTickCount32() return t.
void UseManualTicks(uint32_t start);
void SetManualTicks(uint32_t ticks);
void AdvanceManualTicks(uint32_t milliseconds);
void UseRealTicks();

// Runs a command-line entry point in-process as `name words...`, with a null-terminated argv
// as a real main() gets, and gives its exit status.
int RunWithWords(int (*command)(int, char**), const std::string& name, const std::vector<std::string>& words);
