// Runs the empty input and then every file of the folders (or files) given through the
// harness's LLVMFuzzerTestOneInput, without libFuzzer: the corpus replay of the test suite.
// Silent when every input passes; a broken promise stops it with the harness's message.
#include <algorithm>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>
#include <unistd.h>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace fs = std::filesystem;

namespace {

// Names the input being run when it crashes the replay; made before the run, so that the
// signal handler only writes it.
std::string notice = "while replaying the empty input\n";

void NameInput(int sig) {
    (void)!write(STDERR_FILENO, notice.data(), notice.size());
    std::signal(sig, SIG_DFL);
    std::raise(sig);
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s FOLDER|FILE...\n", argv[0]);
        return 2;
    }
    std::vector<fs::path> files;
    for (int i = 1; i < argc; ++i) {
        std::error_code error;
        if (fs::is_directory(argv[i], error)) {
            for (const auto& entry : fs::directory_iterator(argv[i], error))
                if (entry.is_regular_file()) files.push_back(entry.path());
        } else if (fs::is_regular_file(argv[i], error)) {
            files.emplace_back(argv[i]);
        } else {
            std::fprintf(stderr, "%s: no such folder or file\n", argv[i]);
            return 2;
        }
    }
    if (files.empty()) {
        std::fprintf(stderr, "no inputs to replay\n");
        return 2;
    }
    std::sort(files.begin(), files.end());

    for (int sig : {SIGILL, SIGTRAP, SIGABRT, SIGSEGV, SIGFPE, SIGBUS}) std::signal(sig, NameInput);
    LLVMFuzzerTestOneInput(nullptr, 0);
    for (const fs::path& file : files) {
        notice = "while replaying " + file.string() + "\n";
        std::ifstream in(file, std::ios::binary);
        const std::string bytes((std::istreambuf_iterator<char>(in)),
                                std::istreambuf_iterator<char>());
        if (!in.good() && !in.eof()) {
            std::fprintf(stderr, "%s: cannot be read\n", file.c_str());
            return 2;
        }
        LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
    }
    return 0;
}
