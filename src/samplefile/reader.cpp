#include <initializer_list>
#include <istream>
#include <string>

#include "chemdata/units.h"
#include "morva/sample_file.h"
#include "morva/tables.h"
#include "text/fields.h"

namespace morva {

namespace {

/// Reads consecutive 16-column numeric fields of a data line into the given places.
bool read_fields(field_reader& r, std::initializer_list<double*> xs) {
  for (double* x : xs) {
    if (!r.F(16, *x)) return false;
  }
  return true;
}

read_result fault_at(long line, const char* fault) {
  read_result o;
  o.what = read_result::kind::error;
  o.line = line;
  o.fault = fault;
  return o;
}

}  // namespace

void complete_sample(sample_record& s) {
  s.ph_t = s.ph_t_c + zero_celsius_k;
  for (int i = 1; i <= component_vector::size; ++i) s.water[i] = s.water_mgkg[i] / w(i);

  // Steam-phase data: gas volume, steam or condensate volatiles. Gas percentages and
  // condensate Na alone do not describe a steam phase.
  const double gas_l_per_kg = s.collection[5];
  const bool steam_phase = gas_l_per_kg > 0.0 || s.steam_mgkg[0] > 0.0 || s.steam_mgkg[1] > 0.0 ||
                           s.steam_mgkg[2] > 0.0 || s.condensate[0] > 0.0 ||
                           s.condensate[1] > 0.0 || s.condensate[2] > 0.0;
  s.type = steam_phase ? 2 : 1;

  // Molar volume of the dry gas, L/mol, at its collection temperature (25 °C when not given).
  constexpr double molar_volume_25c = 24.465;
  const double tg_c = s.collection[6];
  const double v =
      tg_c <= 0.0 ? molar_volume_25c : molar_volume_25c + molar_volume_25c * (tg_c - 25.0) / 298.15;

  // Litres of gas per kg of condensate: measured, or from the first of CO2, H2S, NH3 whose
  // steam concentration and gas share are both known (steam minus condensate is in the gas).
  double g = gas_l_per_kg;
  if (!(g > 0.0)) {
    for (int i = 1; i <= 3; ++i) {
      const double steam_i = s.steam_mgkg[static_cast<std::size_t>(i - 1)];
      if (steam_i > 0.0 && s.gas[i] > 0.0) {
        g = (steam_i - s.condensate[static_cast<std::size_t>(i - 1)]) * v /
            (w(i) * s.gas[i] / 100.0);
        break;
      }
    }
  }

  for (int i = 1; i <= 3; ++i) {
    const auto j = static_cast<std::size_t>(i - 1);
    s.steam[i] = s.steam_mgkg[j] > 0.0 ? s.steam_mgkg[j] / w(i)
                                       : s.condensate[j] / w(i) + (g / v) * (s.gas[i] / 100.0);
  }
  for (int i = 4; i <= 7; ++i) s.steam[i] = (g / v) * (s.gas[i] / 100.0);
  for (int i = 8; i <= component_vector::size; ++i) s.steam[i] = 0.0;
}

void sample_reader::skip_rest_of_block() {
  constexpr long block_lines = 34;
  std::string line;
  while (lines_ % block_lines != 0 && read_line(in_, line) == read_status::ok) ++lines_;
}

read_result sample_reader::next() {
  using comp::b, comp::ca, comp::ch4, comp::cl, comp::co2, comp::fe, comp::h2, comp::h2s, comp::k,
      comp::mg, comp::n2, comp::na, comp::nh3, comp::o2, comp::sio2, comp::so4;
  constexpr int block_lines = 34;
  constexpr int last_droppable_line = 24;  // the file may end anywhere up to here: no sample
  read_result got;
  got.what = read_result::kind::sample;
  sample_record& s = got.sample;

  component_vector& water_mgkg = s.water_mgkg;
  double& ph_t_c = s.ph_t_c;
  std::string line;
  for (int n = 1; n <= block_lines; ++n) {
    const read_status st = read_line(in_, line);
    if (st == read_status::input_error) return fault_at(lines_ + 1, "read error");
    if (st == read_status::end_of_file) {
      if (n == block_lines) break;  // no condensate line: the analyses stay 0
      read_result end;
      end.what = read_result::kind::end;
      // An analysis cut short after its water data is named, not dropped silently.
      if (n > last_droppable_line) end.dropped = padded(s.number, 16);
      return end;
    }
    ++lines_;
    field_reader r(line);
    bool ok = true;
    switch (n) {
      case 4:
        s.number = r.A(16);
        s.location = r.A(80);
        break;
      case 7:
        ok = read_fields(r, {&s.collection[2], &s.pressure_bar_g, &s.enthalpy, &s.collection[1]});
        break;
      case 10:
        ok = read_fields(r, {&s.ph, &ph_t_c, &water_mgkg[co2], &water_mgkg[h2s]});
        break;
      case 13:
        ok = read_fields(r, {&water_mgkg[nh3], &water_mgkg[h2], &water_mgkg[o2], &water_mgkg[ch4],
                             &water_mgkg[n2]});
        break;
      case 16:
        ok = read_fields(
            r, {&water_mgkg[sio2], &water_mgkg[b], &water_mgkg[comp::al], &water_mgkg[fe]});
        break;
      case 19:
        ok = read_fields(r, {&water_mgkg[na], &water_mgkg[k], &water_mgkg[mg], &water_mgkg[ca]});
        break;
      case 22:
        ok = read_fields(r, {&water_mgkg[comp::f], &water_mgkg[cl], &water_mgkg[so4], &s.tds});
        break;
      case 25:
        ok = read_fields(r, {&s.gas[1], &s.gas[2], &s.gas[3], &s.gas[4], &s.gas[5]});
        break;
      case 28:
        ok = read_fields(r, {&s.gas[6], &s.gas[7], &s.collection[5], &s.collection[6]});
        break;
      case 31:
        ok = read_fields(r, {&s.steam_mgkg[0], &s.steam_mgkg[1], &s.steam_mgkg[2], &s.collection[3],
                             &s.collection[4]});
        break;
      case 34:
        ok = read_fields(r,
                         {&s.condensate[0], &s.condensate[1], &s.condensate[2], &s.condensate[3]});
        break;
      default:
        break;  // title, header and empty lines: not looked at
    }
    if (!ok) return fault_at(lines_, "read unexpected character");
  }

  complete_sample(s);
  return got;
}

}  // namespace morva
