// Converts every day of 1901..2050 to the lunar calendar and back, several times over, and prints
// how many conversions a second that is.
#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "core/Date.h"

int main(int argc, char** argv) {
    int rounds = argc > 1 ? std::atoi(argv[1]) : 10;
    if (rounds < 1)
        rounds = 1;
    long long conversions = 0;
    long long mismatches = 0;
    auto start = std::chrono::steady_clock::now();
    for (int round = 0; round < rounds; ++round) {
        for (CDate solar(CDate::kLunarFirstYear, 1, 1);
             solar <= CDate(CDate::kLunarLastYear, 12, 31); solar.NextDay()) {
            int year, month, day;
            int kind = solar.ToLunar(&year, &month, &day);
            ++conversions;
            if (year < CDate::kLunarFirstYear)
                continue; // the first days of 1901 lie in lunar 1900, which converts one way
            CDate back;
            if (CDate::LunarToSolar(back, year, month, day, kind == 2) != 0 || back != solar)
                ++mismatches;
            ++conversions;
        }
    }
    double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("%lld conversions in %.3f s: %.0f conversions/s (%d rounds, %lld mismatches)\n",
                conversions, seconds, seconds > 0 ? conversions / seconds : 0.0, rounds,
                mismatches);
    return mismatches == 0 ? 0 : 1;
}
