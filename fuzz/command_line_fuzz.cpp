// The command-line parser on any argument vector: the input is split at NUL
// bytes into the words after the program's name.
#include "fuzz/fuzz_support.h"
#include "seltrane_components/os/command_line.h"

#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::vector<std::vector<char>> words(1, std::vector<char>({'m', '\0'}));
    words.emplace_back();
    for (size_t i = 0; i < size; ++i) {
        if (data[i] == 0) {
            words.back().push_back('\0');
            words.emplace_back();
        } else {
            words.back().push_back(char(data[i]));
        }
    }
    words.back().push_back('\0');
    std::vector<char*> argv;
    for (auto& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    const CommandLine line(int(argv.size() - 1), argv.data());
    // Positional words are never more than the words given.
    FUZZ_CHECK(line.positionalCount() <= int(words.size()) - 1);
    FUZZ_CHECK(line.positional(line.positionalCount()).isEmpty());
    FUZZ_CHECK(line.positional(-1).isEmpty());
    return 0;
}
