// Runs a fuzz target without libFuzzer: over every file of a seed folder, then
// over a fixed batch of inputs derived from the seeds (byte flips, cuts,
// splices, random bytes), so every test run exercises the parser under the
// sanitizers, and then over a few inputs of 1 MB, each a mutated seed
// repeated, for the readers of files that only large inputs test. A crash or
// sanitizer report fails the test.
//
//   <name>_replay SEED_FOLDER [GENERATED_INPUTS [LARGE_INPUTS]]     default: 20000 and 0
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

const size_t kLargeBytes = 1024 * 1024;  // as the long fuzzing's second lane

std::vector<std::string> ReadSeeds(const std::string& folder)
{
    std::vector<std::string> seeds;
    if (DIR* dir = opendir(folder.c_str())) {
        while (dirent* entry = readdir(dir)) {
            if (entry->d_name[0] == '.')
                continue;
            std::ifstream file(folder + "/" + entry->d_name, std::ios::binary);
            seeds.emplace_back(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
        }
        closedir(dir);
    }
    return seeds;
}

void Run(const std::string& input)
{
    LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(input.data()), input.size());
}

std::string Mutate(const std::vector<std::string>& seeds, std::mt19937& rnd)
{
    std::string s = seeds.empty() ? std::string() : seeds[rnd() % seeds.size()];
    switch (rnd() % 4) {
    case 0:  // flip bytes
        for (int k = 0; k < 4 && !s.empty(); ++k)
            s[rnd() % s.size()] = static_cast<char>(rnd());
        break;
    case 1:  // cut
        if (!s.empty())
            s = s.substr(rnd() % s.size(), rnd() % (s.size() + 1));
        break;
    case 2:  // splice two seeds
        if (!seeds.empty())
            s += seeds[rnd() % seeds.size()].substr(0, rnd() % 64);
        break;
    default:  // random bytes
        s.assign(rnd() % 600, '\0');
        for (char& c : s)
            c = static_cast<char>(rnd());
    }
    return s;
}

} // namespace

int main(int argc, char** argv)
{
    const std::vector<std::string> seeds = ReadSeeds(argc > 1 ? argv[1] : ".");
    for (const std::string& seed : seeds)
        Run(seed);
    std::mt19937 rnd(20261207);
    const int nGenerated = argc > 2 ? std::atoi(argv[2]) : 20000;
    for (int i = 0; i < nGenerated; ++i)
        Run(Mutate(seeds, rnd));
    const int nLarge = argc > 3 ? std::atoi(argv[3]) : 0;
    for (int i = 0; i < nLarge && !seeds.empty(); ++i) {
        const std::string strPiece = Mutate(seeds, rnd) + seeds[static_cast<size_t>(i) % seeds.size()];
        std::string strLarge;
        while (strLarge.size() < kLargeBytes)
            strLarge += strPiece;
        Run(strLarge.substr(0, kLargeBytes));
    }
    std::printf("%zu seeds, %d generated and %d large inputs ran cleanly\n", seeds.size(), nGenerated, nLarge);
    return 0;
}
