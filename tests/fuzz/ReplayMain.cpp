// Runs a fuzz target without libFuzzer: over every file of a seed folder, then
// over a fixed batch of inputs derived from the seeds (byte flips, cuts,
// splices, random bytes), so every test run exercises the parser under the
// sanitizers. A crash or sanitizer report fails the test.
//
//   <name>_replay SEED_FOLDER [GENERATED_INPUTS]     default: 20000 generated inputs
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
    std::printf("%zu seeds and %d generated inputs ran cleanly\n", seeds.size(), nGenerated);
    return 0;
}
