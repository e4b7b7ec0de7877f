#pragma once
// Property tables for simulation tools: OpenFOAM's tabulated thermophysical models (rhoTabulated,
// hTabulated or eTabulated, tabulated transport) read each property as a uniform table over
// pressure and temperature. The values come from the equation at every node of the grid.

#include <string>
#include <vector>

namespace zeltra5::tabulated {

struct OpenFoamGrid {
    int model = 0;                 // an index of MODELS
    double p_low = 0, p_high = 0;  // Pa
    int p_count = 0;               // nodes along pressure, 2 or more
    double t_low = 0, t_high = 0;  // K
    int t_count = 0;               // nodes along temperature, 2 or more
};

// The most nodes of one grid (each costs one evaluation of the equation).
inline constexpr long long OPENFOAM_MAX_NODES = 4'000'000;

// What is wrong with a grid ("the pressure range is empty: 2e6 Pa is not above 3e6 Pa"), empty
// when it can be exported.
std::string check_openfoam_grid(const OpenFoamGrid& grid);

// The fields written, one file each: OpenFOAM's name, the record's field.
struct OpenFoamField {
    const char* name;  // rho, hs, es, Cp, Cv, mu, kappa
    int field;         // an index of RESULT_VALUE_NAMES
    const char* unit;
};
inline constexpr int OPENFOAM_FIELD_COUNT = 7;
extern const OpenFoamField OPENFOAM_FIELDS[OPENFOAM_FIELD_COUNT];

struct OpenFoamFile {
    std::string name;  // the file's name in the output folder
    std::string text;
};

struct OpenFoamExport {
    std::string problem;  // why nothing was exported (a bad grid, no node inside the domain)
    std::vector<OpenFoamFile> files;  // each field's table, then "physicalProperties"
    long long nodes = 0;
    long long refused = 0;  // nodes outside the domain (their values filled in, as below)
    // Isobars that cross the saturation line: their nodes go from liquid to vapour, and a tool's
    // linear interpolation smears that jump over the cell between them.
    long long crossing = 0;
    long long filled[OPENFOAM_FIELD_COUNT] = {};  // values filled in, per field
};

// The tables of a grid. A node without a value (outside the domain, or a field undefined there:
// a transport correlation's range ended, a state on the saturation line) takes the value of the
// nearest node of its isobar that has one (the lower temperature on a tie), or, where no node of
// the isobar has one, that of the nearest isobar that has: the table stays continuous and each
// file says how many of its values were filled in. Values in SI, h and u on the program's
// reference (h = s = 0 for the saturated liquid at the triple point).
OpenFoamExport export_openfoam(const OpenFoamGrid& grid);

}  // namespace zeltra5::tabulated
