// Runs a fuzz target without libFuzzer: first every saved regression input, then the
// target's seeds, then random and mutated inputs from a fixed seed. A test run makes a
// fixed number of executions (TIVANO_FUZZ_RUNS, default 2000), so every machine tries the
// same inputs; TIVANO_FUZZ_SECONDS runs by time instead, for longer searches by hand.
// Prints the number of executions.
//
//   fuzz_<target> [files or folders to replay...]
//   fuzz_<target> --write-seeds <folder>   (a starting corpus for libFuzzer)
#include "FuzzTarget.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

std::string readFile(const fs::path &path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The input being run, written out when the process dies on it.
const std::string *g_current = nullptr;

void saveCurrentInput()
{
    if (!g_current)
        return;
    char name[256];
    const char *folder = std::getenv("TIVANO_FUZZ_ARTIFACTS");
    std::snprintf(name, sizeof name, "%s/crash-%s.bin", folder ? folder : ".", FUZZ_NAME);
    const int fd = ::open(name, O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd >= 0) {
        ssize_t ignored = ::write(fd, g_current->data(), g_current->size());
        (void)ignored;
        ::close(fd);
        const char note[] = "the failing input was written to crash-" FUZZ_NAME ".bin\n";
        ignored = ::write(2, note, sizeof note - 1);
    }
}

extern "C" void onFatalSignal(int signal)
{
    saveCurrentInput();
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

void run(const std::string &input)
{
    g_current = &input;
    llvmFuzzerTestOneInput(reinterpret_cast<const uint8_t *>(input.data()), input.size());
    g_current = nullptr;
}

int replay(const fs::path &path)
{
    int count = 0;
    if (fs::is_directory(path)) {
        std::vector<fs::path> files;
        for (const auto &entry : fs::directory_iterator(path))
            if (entry.is_regular_file())
                files.push_back(entry.path());
        std::sort(files.begin(), files.end());
        for (const fs::path &file : files) {
            run(readFile(file));
            ++count;
        }
    } else if (fs::is_regular_file(path)) {
        run(readFile(path));
        ++count;
    }
    return count;
}

class Mutator
{
public:
    explicit Mutator(uint32_t seed)
        : m_random(seed)
    { }

    size_t below(size_t n) { return n == 0 ? 0 : std::uniform_int_distribution<size_t>(0, n - 1)(m_random); }

    std::string randomInput()
    {
        // Text-like bytes most of the time: the readers split on them.
        static const char special[] = "\t\r\n; ,.:-0123456789AZaz\xe4\xf6\xdf\x80\x81\xff";
        std::string out(below(below(2) ? 64 : 1024), '\0');
        const bool textLike = below(4) != 0;
        for (char &ch : out)
            ch = textLike ? special[below(sizeof special - 1)] : char(below(256));
        return out;
    }

    void mutate(std::string &s, const std::vector<std::string> &pool)
    {
        static const char interesting[]
            = {'\0', '\t', '\r', '\n', ';', ' ', '\x7f', '\x80', '\x81', '\xff', 'P', 'K'};
        const size_t ops = 1 + below(8);
        for (size_t i = 0; i < ops; ++i) {
            switch (below(9)) {
            case 0: // flip a bit
                if (!s.empty())
                    s[below(s.size())] ^= char(1 << below(8));
                break;
            case 1: // any byte
                if (!s.empty())
                    s[below(s.size())] = char(below(256));
                break;
            case 2: // a byte the readers care about
                if (!s.empty())
                    s[below(s.size())] = interesting[below(sizeof interesting)];
                break;
            case 3: { // insert bytes
                const size_t at = below(s.size() + 1);
                std::string chunk(1 + below(16), '\0');
                for (char &ch : chunk)
                    ch = below(2) ? interesting[below(sizeof interesting)] : char(below(256));
                s.insert(at, chunk);
                break;
            }
            case 4: // delete a range
                if (!s.empty()) {
                    const size_t at = below(s.size());
                    s.erase(at, 1 + below(std::min<size_t>(s.size() - at, 64)));
                }
                break;
            case 5: // repeat a range
                if (!s.empty() && s.size() < 1 << 20) {
                    const size_t at = below(s.size());
                    const size_t len = 1 + below(std::min<size_t>(s.size() - at, 256));
                    s.insert(below(s.size() + 1), s.substr(at, len));
                }
                break;
            case 6: // cut the end off
                s.resize(below(s.size() + 1));
                break;
            case 7: // splice in a piece of another input
                if (!pool.empty()) {
                    const std::string &other = pool[below(pool.size())];
                    if (!other.empty()) {
                        const size_t at = below(other.size());
                        const size_t len = 1 + below(std::min<size_t>(other.size() - at, 512));
                        s.replace(below(s.size() + 1), below(len), other.substr(at, len));
                    }
                }
                break;
            default: // overwrite a 32-bit value (sizes and offsets in binary formats)
                if (s.size() >= 4) {
                    static const uint32_t words[]
                        = {0, 1, 0x7fffffff, 0x80000000u, 0xffffffffu, 0xffff, 0x10000};
                    const uint32_t w = words[below(sizeof words / sizeof words[0])];
                    std::memcpy(&s[below(s.size() - 3)], &w, 4);
                }
                break;
            }
        }
    }

private:
    std::mt19937 m_random;
};

} // namespace

// Targets that need no set-up may leave it out.
// The sanitizers' report hook, present when they are linked in.
extern "C" __attribute__((weak)) void __sanitizer_set_death_callback(void (*callback)(void));

// Targets that need no set-up may leave it out.
extern "C" __attribute__((weak)) int llvmFuzzerInitialize(int *, char ***)
{
    return 0;
}

int main(int argc, char **argv)
{
    for (int signal : {SIGABRT, SIGSEGV, SIGFPE, SIGILL})
        std::signal(signal, onFatalSignal);
#ifdef SIGBUS
    std::signal(SIGBUS, onFatalSignal);
#endif
    if (__sanitizer_set_death_callback)
        __sanitizer_set_death_callback(saveCurrentInput);
    if (llvmFuzzerInitialize(&argc, &argv) != 0) {
        std::fprintf(stderr, "%s: set-up failed\n", FUZZ_NAME);
        return 1;
    }
    std::vector<std::string> seeds = fuzzSeeds();

    if (argc == 3 && std::strcmp(argv[1], "--write-seeds") == 0) {
        fs::create_directories(argv[2]);
        for (size_t i = 0; i < seeds.size(); ++i)
            std::ofstream(fs::path(argv[2]) / ("seed-" + std::to_string(i)), std::ios::binary) << seeds[i];
        std::printf("%s: %zu seeds written to %s\n", FUZZ_NAME, seeds.size(), argv[2]);
        fuzzTeardown();
        return 0;
    }

    int replayed = 0;
    for (int i = 1; i < argc; ++i)
        replayed += replay(argv[i]);

    const char *secondsText = std::getenv("TIVANO_FUZZ_SECONDS");
    const double seconds = secondsText ? std::atof(secondsText) : 0.0;
    const char *runsText = std::getenv("TIVANO_FUZZ_RUNS");
    const long runs = runsText && std::atol(runsText) > 0 ? std::atol(runsText) : 2000;
    const char *seedText = std::getenv("TIVANO_FUZZ_SEED");
    Mutator mutator(seedText ? uint32_t(std::strtoul(seedText, nullptr, 10)) : 20261208u);

    using Clock = std::chrono::steady_clock;
    const auto start = Clock::now();
    const auto end = start + std::chrono::duration<double>(seconds);
    auto more = [&](long executions) { return seconds > 0 ? Clock::now() < end : executions < runs; };
    long executions = 0;
    for (const std::string &seed : seeds) {
        run(seed);
        ++executions;
    }
    std::vector<std::string> pool = seeds;
    while (more(executions)) {
        std::string input;
        if (pool.empty() || mutator.below(5) == 0) {
            input = mutator.randomInput();
        } else {
            input = pool[mutator.below(pool.size())];
            mutator.mutate(input, pool);
        }
        run(input);
        ++executions;
        // Keep a few recent inputs to mutate further, beside the seeds.
        if (mutator.below(16) == 0) {
            if (pool.size() < seeds.size() + 32)
                pool.push_back(input);
            else
                pool[seeds.size() + mutator.below(32)] = input;
        }
    }
    std::printf("%s: %ld executions in %.1f s, %d regression inputs replayed\n", FUZZ_NAME, executions,
                std::chrono::duration<double>(Clock::now() - start).count(), replayed);
    std::fflush(stdout);
    fuzzTeardown();
    return 0;
}
