#include <initializer_list>
#include <istream>
#include <string>
#include <string_view>

#include "morva/sample_file.h"
#include "morva/tables.h"
#include "text/encoding.h"
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

/// Text of a fixed-length field without its trailing blanks.
std::string without_trailing_blanks(const std::string& field) {
  return field.substr(0, field.find_last_not_of(' ') + 1);
}

/// How the bytes of a line read: ASCII alone, UTF-8 with characters of several bytes, or
/// bytes that are no UTF-8 (Latin-1, as the lone degree sign 0xB0 of the headings).
enum class line_bytes { ascii, utf8, latin1 };

line_bytes bytes_of(std::string_view line) {
  line_bytes kind = line_bytes::ascii;
  for (std::size_t i = 0; i < line.size();) {
    const std::size_t from = i;
    char32_t cp = 0;
    if (!decode_utf8(line, i, cp)) return line_bytes::latin1;
    if (i - from > 1) kind = line_bytes::utf8;
  }
  return kind;
}

read_result fault_at(long line, const char* fault) {
  read_result o;
  o.what = read_result::kind::error;
  o.line = line;
  o.fault = fault;
  return o;
}

}  // namespace

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
  // A block is read as UTF-8 (a process-step file written so) when its lines hold characters
  // of several bytes and no byte that is not UTF-8, else as Latin-1: the degree sign of the
  // headings after the id line tells a Latin-1 block whose id merely looks like UTF-8. The
  // fixed columns count characters, so a UTF-8 line is made Latin-1 before its fields are cut.
  bool utf8_seen = false, latin1_seen = false;
  std::string id_line;
  const auto take_id = [&] {
    if (utf8_seen && !latin1_seen) id_line = to_latin1(id_line).text;
    field_reader r(id_line);
    s.number = without_trailing_blanks(r.A(16));
    s.location = without_trailing_blanks(r.A(80));
  };
  std::string line;
  for (int n = 1; n <= block_lines; ++n) {
    const read_status st = read_line(in_, line);
    if (st == read_status::input_error) return fault_at(lines_ + 1, "read error");
    if (st == read_status::end_of_file) {
      if (n == block_lines) break;  // no condensate line: the analyses stay 0
      read_result end;
      end.what = read_result::kind::end;
      // An analysis cut short after its water data is named, not dropped silently.
      if (n > last_droppable_line) {
        take_id();
        end.dropped = s.number;
      }
      return end;
    }
    ++lines_;
    const line_bytes bytes = bytes_of(line);
    latin1_seen = latin1_seen || bytes == line_bytes::latin1;
    utf8_seen = utf8_seen || bytes == line_bytes::utf8;
    if (n == 4) {
      id_line = line;
      continue;
    }
    if (bytes == line_bytes::utf8) line = to_latin1(line).text;
    field_reader r(line);
    bool ok = true;
    switch (n) {
      case 7:
        ok = read_fields(
            r, {&s.collection.t_c, &s.pressure_bar_g, &s.enthalpy, &s.collection.discharge_kg_s});
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
        ok = read_fields(r,
                         {&s.gas[6], &s.gas[7], &s.collection.gas_l_per_kg, &s.collection.gas_t_c});
        break;
      case 31:
        ok = read_fields(r, {&s.steam.co2_mgkg, &s.steam.h2s_mgkg, &s.steam.nh3_mgkg,
                             &s.collection.condensate_ph, &s.collection.condensate_ph_t_c});
        break;
      case 34:
        ok = read_fields(r, {&s.condensate.co2_mgkg, &s.condensate.h2s_mgkg, &s.condensate.nh3_mgkg,
                             &s.condensate.na_mgkg});
        break;
      default:
        break;  // title, header and empty lines: not looked at
    }
    if (!ok) {
      read_result bad = fault_at(lines_, "read unexpected character");
      bad.detail = "\"" + r.last_field() + "\"" +
                   (r.last_field_too_large() ? " is a number too large for any calculation"
                                             : " is not a number");
      return bad;
    }
  }
  take_id();
  return got;
}

}  // namespace morva
