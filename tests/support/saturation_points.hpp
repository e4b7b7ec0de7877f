#pragma once
// The check points of the saturation line, the equation's phase equilibrium solved to 60 digits
// by tools/saturation-expansions.py: tests/tr1993/data/saturation_equilibrium_points.csv, whose
// path the test target gives as ZELTRA5_SATURATION_POINTS_CSV.

#include <algorithm>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#ifndef ZELTRA5_SATURATION_POINTS_CSV
#error "the test target defines ZELTRA5_SATURATION_POINTS_CSV, the path of the check points"
#endif

namespace zeltra5::test_support {

struct SaturationPoint {
    double T_K, p, rho_liquid, rho_vapour;
};

// The rows after the header, in file order; empty when the file cannot be read, which the
// tests' count of points catches.
inline const std::vector<SaturationPoint>& saturation_check_points() {
    static const std::vector<SaturationPoint> points = [] {
        std::vector<SaturationPoint> out;
        std::ifstream in(ZELTRA5_SATURATION_POINTS_CSV);
        std::string line;
        std::getline(in, line);  // header
        while (std::getline(in, line)) {
            std::replace(line.begin(), line.end(), ',', ' ');
            std::istringstream row(line);
            SaturationPoint p{};
            if (row >> p.T_K >> p.p >> p.rho_liquid >> p.rho_vapour) {
                out.push_back(p);
            }
        }
        return out;
    }();
    return points;
}

}  // namespace zeltra5::test_support
