#pragma once
// The sample file: blocks of 34 fixed-column lines, one per discharge analysis.

#include <array>
#include <iosfwd>
#include <string>
#include <utility>

#include "chemdata/indexed.h"
#include "report/fields.h"

namespace morva {

/// One sample as read from the sample file.
struct sample_record {
  std::string number = std::string(16, ' ');    ///< sample number, 16 characters
  std::string location = std::string(80, ' ');  ///< location or description, 80 characters
  double pressure_bar_g = 0.0;                  ///< collection pressure, bar gauge
  double enthalpy = 0.0;                        ///< discharge enthalpy, kJ/kg; 0 when not measured
  double ph = 0.0;                              ///< water pH
  double ph_t = 0.0;                            ///< temperature of the pH measurement, K
  component_vector water;                       ///< water totals, mol/kg
  component_vector steam;                       ///< steam totals, mol per kg of condensate
  gas_vector gas;                               ///< dry-gas composition, volume %
  std::array<double, 4> condensate{};           ///< condensate CO2, H2S, NH3, Na, mg/kg
  std::array<double, 3> steam_mgkg{};           ///< steam CO2, H2S, NH3, mg/kg
  /// Collection data, 1-based as in the file: 1 discharge (kg/s), 2 collection temperature
  /// (°C), 3 condensate pH, 4 its temperature (°C), 5 litres of gas per kg of condensate,
  /// 6 gas collection temperature (°C).
  one_based<struct collection_tag, 6> collection;
  double tds = 0.0;  ///< total dissolved solids, mg/kg
  int type = 1;      ///< 1 water only, 2 steam-phase data present
};

/// An open sample file: the stream it is read from, its name for messages, and the number of
/// lines read so far, so that a fault can be placed by its line within the file.
class sample_file {
 public:
  /// name is the file name as the user knows it (without trailing blanks).
  sample_file(std::istream& in, std::string name) : in_(in), name_(std::move(name)) {}
  const std::string& name() const { return name_; }
  /// Number of lines read so far, which is the line number of the last line read.
  long lines_read() const { return lines_; }
  /// The next line, counted; end_of_file when no character is left.
  read_status next_line(std::string& line);

 private:
  std::istream& in_;
  std::string name_;
  long lines_ = 0;
};

/// What a call of `input` met.
struct read_outcome {
  enum class kind { sample, end_of_file, input_error };
  kind result = kind::sample;
  std::string file;   ///< input_error: the sample file's name
  long line = 0;      ///< input_error: line number within the file (the first line is 1)
  std::string fault;  ///< input_error: "read unexpected character", or "read error" on I/O failure
  /// input_error: the stop diagnostic, e.g.
  /// "morva: sample file morva.in, line 27: read unexpected character".
  record diagnostic() const;
};

/// Reads the next 34-line sample block of f into s: water totals in mol/kg, steam totals in mol
/// per kg of condensate, pH temperature in K, sample type. eof is 0 when s holds a sample and 1
/// when it does not (end of the samples, or an input error: the outcome tells which). A file
/// that ends inside lines 25 to 33 of a block drops that sample with a line on term and counts
/// as the end of the samples.
read_outcome input(sample_file& f, sample_record& s, int& eof, std::ostream& term);

}  // namespace morva
