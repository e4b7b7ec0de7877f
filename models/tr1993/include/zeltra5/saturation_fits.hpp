#pragma once
// Fitted curves of the saturation line, the isobars that bound density searches, and the
// superheat limit of the liquid. Temperatures in degC, pressures in Pa, densities in kg/m3.

namespace zeltra5 {

// Saturated densities; above 132.249999 degC a near-critical correction takes them to exactly
// 225 at 132.25 degC. Above the critical temperature (or for NaN) they return 225.
double sat_liquid_density(const double& t);
double sat_vapour_density(const double& t);

// Saturation temperature at p, written into t; extended linearly above 11333399.7326 Pa.
void sat_temperature(const double& p, double& t);

// Densities along fixed isobars (about 690, 741, 115 and 113 bar, and the lowest pressure).
double rho_isobar_690(const double& t);
double rho_isobar_741(const double& t);
double rho_isobar_115(const double& t);
double rho_isobar_113(const double& t);
double rho_isobar_min(const double& t);

// Highest temperature of superheated liquid at the saturation pressure of ts; identity outside
// (-77, 132.25), never below ts, and not above 132.25 unless ts is.
double superheat_limit_temperature(const double& ts);

}  // namespace zeltra5
