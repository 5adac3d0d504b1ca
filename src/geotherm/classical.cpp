// The classical geothermometers on the analyses as given: each published equation with its
// units, its source and the range it was calibrated on.

#include <cmath>
#include <limits>

#include "morva/geothermometers.h"
#include "morva/units.h"

namespace morva {

namespace {

/// No temperature: the equation lacks an analysed input.
constexpr gt_estimate lacking{std::nullopt, gt_problem::inputs};
/// No temperature: outside the calibrated range, or the fit has none.
constexpr gt_estimate out_of_range{std::nullopt, gt_problem::range};

/// True when a concentration was analysed: a value not analysed reads as 0.
bool given(double x) { return x > 0.0; }

/// The temperature t_c (°C) when it is finite and within lo..hi (°C), else the range flag.
gt_estimate within(double t_c, double lo, double hi) {
  if (!std::isfinite(t_c) || t_c < lo || t_c > hi) return out_of_range;
  return {t_c, std::nullopt};
}

/// °C of a fit of the form T (K) = a / (b - log10 x) (silica, K-Mg): none when the
/// denominator is not positive; lo..hi the calibrated range, °C.
gt_estimate reciprocal(double a, double b, double log_x, double lo, double hi) {
  const double denom = b - log_x;
  if (!(denom > 0.0)) return out_of_range;
  return within(a / denom - zero_celsius_k, lo, hi);
}

/// Na/K temperature, °C, of the form T (K) = a / (log10(Na/K) + b), Na and K in mg/kg.
gt_estimate nak(double na, double k, double a, double b, double lo, double hi) {
  if (!given(na) || !given(k)) return lacking;
  return reciprocal(a, b, -std::log10(na / k), lo, hi);
}

// Na-K-Ca temperature; Fournier and Truesdell (Geochim. Cosmochim. Acta 37, 1255-1275, 1973),
// in the mg/kg form of Fournier's later tables:
//   T (K) = 1647 / (log(Na/K) + β (log(√Ca/Na) + 2.06) + 2.47), 4-340 °C,
// where log(√Ca/Na) + 2.06 is log(√Ca/Na) of the molalities the fit was made on. β rule:
// β = 1/3 when that molal log(√Ca/Na) is negative; otherwise β = 4/3 first, and β = 1/3 when
// that gives above 100 °C.
/// 1647 K: the numerator of the Na-K-Ca fit.
constexpr double nakca_a = 1647.0;
/// The constant of its denominator, Na and K in mg/kg.
constexpr double nakca_b = 2.47;
/// log10(√Ca/Na) of molalities less that of mg/kg.
constexpr double nakca_molal = 2.06;

/// The Na-K-Ca temperature, °C, of l_nak = log10(Na/K) (mg/kg) and β at molal
/// l_cana = log10(√Ca/Na); NaN where the denominator is not positive.
double nakca_t_c(double l_nak, double l_cana, double beta) {
  const double denom = l_nak + beta * l_cana + nakca_b;
  return denom > 0.0 ? nakca_a / denom - zero_celsius_k : std::numeric_limits<double>::quiet_NaN();
}

}  // namespace

double nakca_log_ca_na(double na, double ca) {
  return std::log10(std::sqrt(ca) / na) + nakca_molal;
}

gt_estimate nakca_temperature(double na, double k, double ca) {
  if (!given(na) || !given(k) || !given(ca)) return lacking;
  const double l_nak = std::log10(na / k);
  const double l_cana = nakca_log_ca_na(na, ca);
  const auto t_c = [&](double beta) { return nakca_t_c(l_nak, l_cana, beta); };
  double t = l_cana < 0.0 ? t_c(1.0 / 3.0) : t_c(4.0 / 3.0);
  if (l_cana >= 0.0 && !(t <= 100.0)) t = t_c(1.0 / 3.0);
  return within(t, 4.0, 340.0);
}

double nakca_log_na_k(double t_c, double l_cana, double beta) {
  return nakca_a / (t_c + zero_celsius_k) - nakca_b - beta * l_cana;
}

namespace {

/// Mg correction of a Na-K-Ca temperature t_nkc (°C), Mg, Ca and K in mg/kg; Fournier and
/// Potter (Geochim. Cosmochim. Acta 43, 1543-1550, 1979). R = 100 Mg / (Mg + 0.61 Ca +
/// 0.31 K) is the Mg share of the equivalents. R > 50: the water comes from a cool aquifer
/// near its measured temperature, no geothermometer temperature (range). No correction when
/// t_nkc is below 70 °C, R below 1.5 or the correction is negative. Otherwise, with T = t_nkc
/// in K, the temperature falls by
///   R 5-50:  Δt = 10.66 - 4.7415 R + 325.87 (log R)² - 1.032e5 (log R)²/T
///                 - 1.968e7 (log R)²/T² + 1.605e7 (log R)³/T²
///   R 1.5-5: Δt = -1.03 + 59.971 log R + 145.05 (log R)² - 36711 (log R)²/T
///                 - 1.67e7 log R/T².
gt_estimate mg_corrected(const gt_estimate& nkc, double mg, double ca, double k) {
  if (!nkc.t_c) return nkc;
  if (!given(mg)) return lacking;
  const double r = 100.0 * mg / (mg + 0.61 * ca + 0.31 * k);
  if (r > 50.0) return out_of_range;
  const double t_nkc = *nkc.t_c;
  if (t_nkc < 70.0 || r < 1.5) return nkc;
  const double t = t_nkc + zero_celsius_k;
  const double lr = std::log10(r);
  const double dt = r >= 5.0 ? 10.66 - 4.7415 * r + 325.87 * lr * lr - 1.032e5 * lr * lr / t -
                                   1.968e7 * lr * lr / (t * t) + 1.605e7 * lr * lr * lr / (t * t)
                             : -1.03 + 59.971 * lr + 145.05 * lr * lr - 36711.0 * lr * lr / t -
                                   1.67e7 * lr / (t * t);
  if (!(dt > 0.0)) return nkc;
  return within(t_nkc - dt, 4.0, 340.0);
}

/// Gas temperature, °C, of D'Amore and Panichi (Geochim. Cosmochim. Acta 44, 549-556, 1980)
/// from the dry gas in volume %: T (K) = 24775 / (α + β + 36.05), reported as T - 273,
///   α = 2 log(CH4/CO2) - 6 log(H2/CO2) - 3 log(H2S/CO2),  β = -7 log P_CO2 (atm), where
///   P_CO2 = 0.1 atm when CO2 < 75 %; 10 atm when CO2 > 75 %, CH4 > 2 H2 and H2S > 2 H2;
///   1 atm otherwise.
/// The fit states no range; taken as 100-400 °C, about the span of the systems it was
/// calibrated on.
gt_estimate damore_panichi(const gas_vector& gas) {
  const double co2 = gas[comp::co2];
  const double h2s = gas[comp::h2s];
  const double h2 = gas[comp::h2];
  const double ch4 = gas[comp::ch4];
  if (!given(co2) || !given(h2s) || !given(h2) || !given(ch4)) return lacking;
  const double alpha =
      2.0 * std::log10(ch4 / co2) - 6.0 * std::log10(h2 / co2) - 3.0 * std::log10(h2s / co2);
  const double p_co2 = co2 < 75.0 ? 0.1 : (ch4 > 2.0 * h2 && h2s > 2.0 * h2) ? 10.0 : 1.0;
  const double denom = alpha - 7.0 * std::log10(p_co2) + 36.05;
  if (!(denom > 0.0)) return out_of_range;
  return within(24775.0 / denom - 273.0, 100.0, 400.0);
}

/// Chloride, mg/kg, from which Arnórsson and Gunnlaugsson give the H2S and H2 forms of
/// waters above 300 °C to all waters.
constexpr double cl_saline_mgkg = 500.0;

/// Gas temperature, °C, from a gas in steam (mmol/kg) by the fits of Arnórsson and
/// Gunnlaugsson (Geochim. Cosmochim. Acta 49, 1307-1325, 1985), Q = log10 of it; range taken
/// as 200-350 °C, the high-temperature fields of the calibration. The H2S and H2 fits have two
/// forms: `dilute` for waters with under 500 mg/kg chloride (or not analysed) up to 300 °C,
/// `saline` for the others and above 300 °C.
gt_estimate steam_gas(double mmol, double (*dilute)(double), double (*saline)(double),
                      bool is_saline) {
  if (!given(mmol)) return lacking;
  const double q = std::log10(mmol);
  double t = is_saline ? saline(q) : dilute(q);
  if (!is_saline && t > 300.0) t = saline(q);
  return within(t, 200.0, 350.0);
}

}  // namespace

std::string_view gt_name(classical_gt g) {
  switch (g) {
    case classical_gt::quartz_conductive:
      return "quartz_conductive";
    case classical_gt::quartz_steam_loss:
      return "quartz_steam_loss";
    case classical_gt::chalcedony_fournier:
      return "chalcedony_fournier";
    case classical_gt::chalcedony_arnorsson:
      return "chalcedony_arnorsson";
    case classical_gt::nak_fournier:
      return "nak_fournier";
    case classical_gt::nak_truesdell:
      return "nak_truesdell";
    case classical_gt::nak_arnorsson:
      return "nak_arnorsson";
    case classical_gt::nak_giggenbach:
      return "nak_giggenbach";
    case classical_gt::nakca:
      return "nakca";
    case classical_gt::nakca_mg:
      return "nakca_mg";
    case classical_gt::kmg:
      return "kmg";
    case classical_gt::gas_dp:
      return "gas_dp";
    case classical_gt::co2:
      return "co2";
    case classical_gt::h2s:
      return "h2s";
    case classical_gt::h2:
      return "h2";
  }
  return "";
}

gt_estimates classical_geothermometers(const sample_record& s) {
  gt_estimates e;
  const auto at = [&e](classical_gt g) -> gt_estimate& {
    return e[static_cast<std::size_t>(static_cast<int>(g))];
  };
  const component_vector& c = s.water_mgkg;
  const double sio2 = c[comp::sio2];
  const double na = c[comp::na];
  const double k = c[comp::k];
  const double ca = c[comp::ca];
  const double mg = c[comp::mg];

  // Silica, S in mg/kg SiO2 of the sampled water.
  if (given(sio2)) {
    const double ls = std::log10(sio2);
    // Quartz, no steam loss (Fournier and Potter, Geotherm. Resour. Counc. Bull. 11(10),
    // 3-12, 1982): T (°C) = -42.198 + 0.28831 S - 3.6686e-4 S² + 3.1665e-7 S³ + 77.034 log S,
    // 20-330 °C.
    at(classical_gt::quartz_conductive) =
        within(-42.198 + 0.28831 * sio2 - 3.6686e-4 * sio2 * sio2 + 3.1665e-7 * sio2 * sio2 * sio2 +
                   77.034 * ls,
               20.0, 330.0);
    // Quartz, maximum steam loss at 100 °C (Fournier, Geothermics 5, 41-50, 1977):
    // T (K) = 1522 / (5.75 - log S), 0-250 °C.
    at(classical_gt::quartz_steam_loss) = reciprocal(1522.0, 5.75, ls, 0.0, 250.0);
    // Chalcedony (Fournier 1977): T (K) = 1032 / (4.69 - log S), 0-250 °C.
    at(classical_gt::chalcedony_fournier) = reciprocal(1032.0, 4.69, ls, 0.0, 250.0);
    // Chalcedony (Arnórsson, Gunnlaugsson and Svavarsson, Geochim. Cosmochim. Acta 47,
    // 567-577, 1983): T (K) = 1112 / (4.91 - log S), 25-180 °C.
    at(classical_gt::chalcedony_arnorsson) = reciprocal(1112.0, 4.91, ls, 25.0, 180.0);
  } else {
    for (classical_gt g : {classical_gt::quartz_conductive, classical_gt::quartz_steam_loss,
                           classical_gt::chalcedony_fournier, classical_gt::chalcedony_arnorsson})
      at(g) = lacking;
  }

  // Na/K, Na and K in mg/kg: T (K) = a / (log(Na/K) + b).
  // Fournier (1979, as printed in his later tables), 150-350 °C.
  at(classical_gt::nak_fournier) = nak(na, k, 1217.0, 1.483, 150.0, 350.0);
  // Truesdell (1976), 100-275 °C; later tables print it rounded, 856 and 0.857.
  at(classical_gt::nak_truesdell) = nak(na, k, 855.6, 0.8573, 100.0, 275.0);
  // Arnórsson et al. (1983), 25-250 °C.
  at(classical_gt::nak_arnorsson) = nak(na, k, 933.0, 0.993, 25.0, 250.0);
  // Giggenbach (Geochim. Cosmochim. Acta 52, 2749-2765, 1988); no range stated, taken as
  // 100-350 °C, where the Na/K pair equilibrates.
  at(classical_gt::nak_giggenbach) = nak(na, k, 1390.0, 1.75, 100.0, 350.0);

  at(classical_gt::nakca) = nakca_temperature(na, k, ca);
  at(classical_gt::nakca_mg) = mg_corrected(at(classical_gt::nakca), mg, ca, k);

  // K-Mg (Giggenbach 1988), K and Mg in mg/kg: T (K) = 4410 / (14.0 - log(K²/Mg)); no range
  // stated, taken as 0-350 °C.
  at(classical_gt::kmg) = given(k) && given(mg)
                              ? reciprocal(4410.0, 14.0, std::log10(k * k / mg), 0.0, 350.0)
                              : lacking;

  at(classical_gt::gas_dp) = damore_panichi(s.gas);

  // Gases of the steam, mmol/kg: the steam analysis, or condensate and gas volume together.
  const sample_totals tot = derive(s);
  const bool saline = c[comp::cl] >= cl_saline_mgkg;
  at(classical_gt::co2) = steam_gas(
      1000.0 * tot.steam[comp::co2],
      [](double q) { return -44.1 + 269.25 * q - 76.88 * q * q + 9.52 * q * q * q; },
      [](double q) { return -44.1 + 269.25 * q - 76.88 * q * q + 9.52 * q * q * q; }, saline);
  at(classical_gt::h2s) = steam_gas(
      1000.0 * tot.steam[comp::h2s], [](double q) { return 173.2 + 65.04 * q; },
      [](double q) { return 246.7 + 44.81 * q; }, saline);
  at(classical_gt::h2) = steam_gas(
      1000.0 * tot.steam[comp::h2], [](double q) { return 212.2 + 38.59 * q; },
      [](double q) { return 277.2 + 20.99 * q; }, saline);
  return e;
}

}  // namespace morva
