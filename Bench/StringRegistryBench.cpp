// Interning 100,000 distinct names of 8 to 64 characters: the string registry beside a
// std::unordered_set<std::string> doing the same job (find, else insert a copy, hand out
// the stored text). Hits look up names already interned; misses intern fresh names.
// After the runs, one line per case gives both rates and their ratio.
#include "forge/stringRegistry/StringRegistry.h"

#include "RateReporter.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <map>
#include <random>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace
{
    constexpr std::size_t NAME_COUNT = 100000;

    // Distinct by construction: each name carries its batch and index.
    std::vector<std::string> MakeNames(std::uint32_t aBatch)
    {
        static const char alphabet[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789_/.";
        std::mt19937 random(1234u + aBatch);
        std::uniform_int_distribution<int> length(8, 64);
        std::uniform_int_distribution<int> letter(0, sizeof(alphabet) - 2);
        std::vector<std::string> names;
        names.reserve(NAME_COUNT);
        for (std::size_t i = 0; i < NAME_COUNT; ++i)
        {
            const std::string tag = "#" + std::to_string(aBatch) + ":" + std::to_string(i);
            std::string name;
            const std::size_t size = static_cast<std::size_t>(length(random));
            while (name.size() + tag.size() < size)
            {
                name.push_back(alphabet[letter(random)]);
            }
            names.push_back(name + tag);
        }
        return names;
    }

    struct TransparentHash
    {
        using is_transparent = void;
        std::size_t operator()(std::string_view aText) const { return std::hash<std::string_view>{}(aText); }
    };
    using PeerSet = std::unordered_set<std::string, TransparentHash, std::equal_to<>>;

    const char* PeerIntern(PeerSet& aSet, std::string_view aText)
    {
        auto found = aSet.find(aText);
        if (found == aSet.end())
        {
            found = aSet.emplace(aText).first;
        }
        return found->c_str();
    }

    // The hit workload: every name interned once, then looked up in a shuffled order.
    struct HitData
    {
        std::vector<std::string> myNames = MakeNames(0);
        std::vector<std::string_view> myLookups;
        PeerSet myPeer;

        HitData()
        {
            for (const std::string& name : myNames)
            {
                Kiln::StringRegistry::RegisterOrGetString(name);
                PeerIntern(myPeer, name);
                myLookups.emplace_back(name);
            }
            std::shuffle(myLookups.begin(), myLookups.end(), std::mt19937(99));
        }
    };

    HitData& GetHitData()
    {
        static HitData data;
        return data;
    }

    std::uint32_t NextBatch()
    {
        static std::uint32_t batch = 1;
        return batch++;
    }

    void BM_Hits_StringRegistry(benchmark::State& aState)
    {
        const HitData& data = GetHitData();
        for (auto _ : aState)
        {
            for (const std::string_view name : data.myLookups)
            {
                benchmark::DoNotOptimize(Kiln::StringRegistry::RegisterOrGetString(name).GetPointer());
            }
        }
        aState.SetItemsProcessed(static_cast<std::int64_t>(aState.iterations() * data.myLookups.size()));
    }

    void BM_Hits_UnorderedSet(benchmark::State& aState)
    {
        HitData& data = GetHitData();
        for (auto _ : aState)
        {
            for (const std::string_view name : data.myLookups)
            {
                benchmark::DoNotOptimize(PeerIntern(data.myPeer, name));
            }
        }
        aState.SetItemsProcessed(static_cast<std::int64_t>(aState.iterations() * data.myLookups.size()));
    }

    // Misses: each iteration interns a batch of names never seen before. Both sides keep
    // everything they interned, as an interning table does.
    void BM_Misses_StringRegistry(benchmark::State& aState)
    {
        for (auto _ : aState)
        {
            aState.PauseTiming();
            const std::vector<std::string> names = MakeNames(NextBatch());
            aState.ResumeTiming();
            for (const std::string& name : names)
            {
                benchmark::DoNotOptimize(Kiln::StringRegistry::RegisterOrGetString(name).GetPointer());
            }
        }
        aState.SetItemsProcessed(static_cast<std::int64_t>(aState.iterations() * NAME_COUNT));
    }

    void BM_Misses_UnorderedSet(benchmark::State& aState)
    {
        static PeerSet peer;
        for (auto _ : aState)
        {
            aState.PauseTiming();
            const std::vector<std::string> names = MakeNames(NextBatch());
            aState.ResumeTiming();
            for (const std::string& name : names)
            {
                benchmark::DoNotOptimize(PeerIntern(peer, name));
            }
        }
        aState.SetItemsProcessed(static_cast<std::int64_t>(aState.iterations() * NAME_COUNT));
    }
}

BENCHMARK(BM_Hits_StringRegistry)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Hits_UnorderedSet)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Misses_StringRegistry)->Unit(benchmark::kMillisecond)->Iterations(8);
BENCHMARK(BM_Misses_UnorderedSet)->Unit(benchmark::kMillisecond)->Iterations(8);

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
    {
        return 1;
    }
    RateReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    for (const char* kind : {"Hits", "Misses"})
    {
        const std::string ours = std::string("BM_") + kind + "_StringRegistry";
        const std::string peer = std::string("BM_") + kind + "_UnorderedSet";
        if (reporter.myRates.count(ours) != 0 && reporter.myRates.count(peer) != 0)
        {
            const double a = reporter.myRates[ours];
            const double b = reporter.myRates[peer];
            std::printf("%s: StringRegistry %.3g lookups/s, std::unordered_set<std::string> %.3g lookups/s, ratio %.2f\n",
                        kind, a, b, a / b);
        }
    }
    return 0;
}
