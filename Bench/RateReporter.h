#pragma once
// A console reporter that also keeps each benchmark's items per second (iteration runs
// only), so main can print how ours compares with the peer after the runs.
#include <benchmark/benchmark.h>

#include <map>
#include <string>
#include <vector>

class RateReporter : public benchmark::ConsoleReporter
{
public:
    void ReportRuns(const std::vector<Run>& someRuns) override
    {
        for (const Run& run : someRuns)
        {
            const auto found = run.counters.find("items_per_second");
            if (found != run.counters.end() && run.run_type == Run::RT_Iteration)
            {
                myRates[run.run_name.function_name] = found->second.value;
            }
        }
        ConsoleReporter::ReportRuns(someRuns);
    }

    std::map<std::string, double> myRates;
};
