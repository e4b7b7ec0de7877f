// The kinds of property table by their names on every interface.

#include <string>
#include <string_view>

#include "zeltra5/property_table.hpp"

namespace zeltra5 {

const TableKindInfo TABLE_KINDS[TABLE_KIND_COUNT] = {
    {TableKind::saturation_temperature,
     "saturation",
     "saturation-t",
     "saturation_temperature",
     nullptr,
     "t",
     -1,
     FIELD_TEMPERATURE,
     {"Насыщение по температуре", "Saturation by temperature"},
     "the saturated liquid and vapour at each temperature"},
    {TableKind::saturation_pressure,
     "saturation",
     "saturation-p",
     "saturation_pressure",
     nullptr,
     "p",
     -1,
     FIELD_PRESSURE,
     {"Насыщение по давлению", "Saturation by pressure"},
     "the saturated liquid and vapour at each pressure"},
    {TableKind::isotherm,
     "isotherm",
     "isotherm",
     "isotherm",
     "t",
     "p",
     FIELD_TEMPERATURE,
     FIELD_PRESSURE,
     {"Изотерма", "Isotherm"},
     "p-t at each pressure, `fixed` the temperature"},
    {TableKind::isobar,
     "isobar",
     "isobar",
     "isobar",
     "p",
     "t",
     FIELD_PRESSURE,
     FIELD_TEMPERATURE,
     {"Изобара", "Isobar"},
     "p-t at each temperature, `fixed` the pressure"},
    {TableKind::isochore,
     "isochore",
     "isochore",
     "isochore",
     "rho",
     "t",
     FIELD_DENSITY,
     FIELD_TEMPERATURE,
     {"Изохора", "Isochore"},
     "t-rho at each temperature, `fixed` the density"},
};

namespace {

const char* name_of(const TableKindInfo& info, const TableKindNaming naming) {
    switch (naming) {
        case TableKindNaming::c:
            return info.c_name;
        case TableKindNaming::core:
            return info.core_name;
        default:
            return info.name;
    }
}

}  // namespace

const TableKindInfo& table_kind_info(const TableKind kind) {
    const auto k = static_cast<int>(kind);
    return TABLE_KINDS[k >= 0 && k < TABLE_KIND_COUNT ? k : 0];
}

const TableKindInfo* find_table_kind(const std::string_view name, const TableKindNaming naming) {
    for (const TableKindInfo& info : TABLE_KINDS) {
        if (name == name_of(info, naming)) {
            return &info;
        }
    }
    return nullptr;
}

std::string table_kind_names(const TableKindNaming naming) {
    std::string list;
    for (int k = 0; k < TABLE_KIND_COUNT; ++k) {
        const char* name = name_of(TABLE_KINDS[k], naming);
        if (k > 0 && std::string_view(name) == name_of(TABLE_KINDS[k - 1], naming)) {
            continue;
        }
        list += list.empty() ? "" : ", ";
        list += name;
    }
    return list;
}

}  // namespace zeltra5
