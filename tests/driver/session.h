#pragma once
// Runs the real program in a scratch directory with piped keyboard answers, and the texts
// the terminal is expected to show, written out line by line.

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <string_view>

namespace morva {

/// A fresh working directory for one run, removed with everything in it afterwards.
class scratch_dir {
 public:
  scratch_dir() {
    std::random_device rd;
    path_ = std::filesystem::temp_directory_path() /
            ("morva-driver-" + std::to_string(rd()) + "-" + std::to_string(rd()));
    std::filesystem::create_directories(path_);
  }
  ~scratch_dir() {
    std::error_code e;
    std::filesystem::remove_all(path_, e);
  }
  scratch_dir(const scratch_dir&) = delete;
  scratch_dir& operator=(const scratch_dir&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

  void write(const std::string& name, std::string_view bytes) const {
    std::ofstream f(path_ / name, std::ios::binary | std::ios::trunc);
    f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  }
  std::string read(const std::string& name) const {
    std::ifstream f(path_ / name, std::ios::binary);
    return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
  }
  bool exists(const std::string& name) const { return std::filesystem::exists(path_ / name); }

 private:
  std::filesystem::path path_;
};

/// What one run of the program left: the terminal, the error stream, the exit status.
struct session {
  std::string out;
  std::string err;
  int status = -1;
};

/// Runs the program in `dir` with `keys` as its whole keyboard input.
inline session run_morva(const scratch_dir& dir, std::string_view keys) {
  dir.write("keys.txt", keys);
  const std::string command =
      "cd '" + dir.path().string() + "' && '" MORVA_EXE "' < keys.txt > screen.txt 2> errors.txt";
  const int raw = std::system(command.c_str());
  session s;
  s.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  s.out = dir.read("screen.txt");
  s.err = dir.read("errors.txt");
  return s;
}

/// The example sample file shipped with the program.
/// Runs the program with the command-line arguments args (already quoted for the shell) in dir.
inline session run_command(const scratch_dir& dir, std::string_view args) {
  const std::string command = "cd '" + dir.path().string() + "' && '" MORVA_EXE "' " +
                              std::string(args) + " < /dev/null > stdout.txt 2> stderr.txt";
  const int raw = std::system(command.c_str());
  session s;
  s.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  s.out = dir.read("stdout.txt");
  s.err = dir.read("stderr.txt");
  std::filesystem::remove(dir / "stdout.txt");
  std::filesystem::remove(dir / "stderr.txt");
  return s;
}

inline std::string example_samples() {
  std::ifstream f(std::filesystem::path(MORVA_EXAMPLES) / "morva.in", std::ios::binary);
  return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
}

namespace expected {

inline const std::string banner =
    "\n"
    "\n"
    " TARVELLE  FLUIDS  RESEARCH  UNIT\n"
    "\n"
    " Program MORVA, version 2.4,  April 2010.\n"
    "\n"
    " Reads chemical analyses of water, gas, and steam samples,\n"
    " and computes aqueous speciation, gas pressures, and activity products,\n"
    " at the temperature desired.\n"
    "\n";

// The four run-setup questions; the answers are not echoed, so each open line runs straight
// into the empty line before the next question.
inline const std::string input_file_question =
    "\n"
    " Input file,\n"
    " default is morva.in ....... :  ";
inline const std::string user_question =
    "\n"
    " User name or date ......... :  ";
inline const std::string heading_question =
    "\n"
    " Printout heading .......... :  ";
inline const std::string output_file_question =
    "\n"
    " Output file,\n"
    " default is morva.out ...... :  ";
inline const std::string setup =
    input_file_question + user_question + heading_question + output_file_question;
inline const std::string output_refused =
    "\n"
    "\a OUTPUT FILE MUST NOT BE THE INPUT FILE, cool.out OR boil.out. TRY AGAIN.\a\n"
    "\n";

inline const std::string rule =
    " -------------------------------------------------------------------------------\n";
inline const std::string screen_head =
    "\n"
    "\n"
    "\n";
inline const std::string table_head =
    "\n" + rule +
    "        Water phase composition        ||    Gas phase      ||  Condensate\n"
    "        Concentrations in mg/kg        ||    Volume %       ||  phase, mg/kg\n"
    "                                       ||                   ||\n";
inline const std::string choice =
    "    Do calculation = <RETURN>   //   Next sample = n   //   Quit = q  :  ";

inline const std::string screen_hs07 =
    screen_head +
    " Sample id. :  HS-07           \n"
    " Location   :  Kettleby hot springs, main pool at the vent; clear water over s\n"
    "\n"
    " Collection temperature (\xB0"
    "C) :   97.2      Fluid enthalpy (kJ/kg) :     0.\n"
    " Collection pressure (bar-g) :    0.0      Discharge (kg/s)       :    1.8\n" +
    table_head +
    " pH          9.31  |  Na       187.50  ||  CO2        0.00  ||  pH          0.00\n"
    " pH-temp    21.50  |  K         14.60  ||  H2S        0.00  ||  pH-temp     0.00\n"
    " SiO2      246.00  |  Mg         0.01  ||  NH3        0.00  ||  CO2         0.00\n"
    " B           0.84  |  Ca         2.35  ||  H2         0.00  ||  H2S         0.00\n"
    " CO2        72.00  |  Al         0.61  ||  O2         0.00  ||  NH3         0.00\n"
    " H2S         2.40  |  Fe         0.02  ||  CH4        0.00  ||  Na          0.00\n"
    " NH3         0.12  |  F          4.85  ||  N2         0.00  ||  \n"
    " H2          0.00  |  Cl       112.00  ||                   ||  Steam phase\n"
    " O2          0.00  |  SO4      105.00  || Liters gas per kg ||     mg/kg\n"
    " CH4         0.00  |  TDS      725.00  || condensate   0.00 ||  CO2         0.00\n"
    " N2          0.00  |                   || Gas collection    ||  H2S         0.00\n"
    "                   |                   || temp.        0.00 ||  NH3         0.00\n" +
    rule + choice;

inline const std::string screen_kv12 =
    screen_head +
    " Sample id. :  KV-12           \n"
    " Location   :  Kaldvik field, well 12; two-phase discharge, separator at the w\n"
    "\n"
    " Collection temperature (\xB0"
    "C) :  178.0      Fluid enthalpy (kJ/kg) :  1185.\n"
    " Collection pressure (bar-g) :    8.5      Discharge (kg/s)       :   24.6\n" +
    table_head +
    " pH          9.18  |  Na       268.00  ||  CO2       91.45  ||  pH          4.62\n"
    " pH-temp    20.00  |  K         46.30  ||  H2S        5.62  ||  pH-temp    21.00\n"
    " SiO2      612.00  |  Mg         0.02  ||  NH3        0.08  ||  CO2        95.30\n"
    " B           3.95  |  Ca         0.85  ||  H2         1.54  ||  H2S        58.40\n"
    " CO2        22.40  |  Al         1.72  ||  O2         0.02  ||  NH3         2.90\n"
    " H2S        48.50  |  Fe         0.04  ||  CH4        0.31  ||  Na          0.12\n"
    " NH3         0.35  |  F          1.12  ||  N2         0.98  ||  \n"
    " H2          0.00  |  Cl       290.00  ||                   ||  Steam phase\n"
    " O2          0.00  |  SO4       41.60  || Liters gas per kg ||     mg/kg\n"
    " CH4         0.00  |  TDS     1285.00  || condensate   2.86 ||  CO2      5215.00\n"
    " N2          0.00  |                   || Gas collection    ||  H2S       412.00\n"
    "                   |                   || temp.       18.50 ||  NH3         3.40\n" +
    rule + choice;

inline const std::string screen_mp03 =
    screen_head +
    " Sample id. :  MP-03           \n"
    " Location   :  Hverholt mud pots, acid-sulphate spring; grey turbid water     \n"
    "\n"
    " Collection temperature (\xB0"
    "C) :   88.4      Fluid enthalpy (kJ/kg) :     0.\n"
    " Collection pressure (bar-g) :    0.0      Discharge (kg/s)       :    0.3\n" +
    table_head +
    " pH          2.74  |  Na        24.00  ||  CO2        0.00  ||  pH          0.00\n"
    " pH-temp    22.00  |  K          4.20  ||  H2S        0.00  ||  pH-temp     0.00\n"
    " SiO2      212.00  |  Mg        14.00  ||  NH3        0.00  ||  CO2         0.00\n"
    " B           0.25  |  Ca        45.00  ||  H2         0.00  ||  H2S         0.00\n"
    " CO2        12.00  |  Al        48.00  ||  O2         0.00  ||  NH3         0.00\n"
    " H2S         0.80  |  Fe        32.00  ||  CH4        0.00  ||  Na          0.00\n"
    " NH3         8.00  |  F          0.35  ||  N2         0.00  ||  \n"
    " H2          0.00  |  Cl         4.00  ||                   ||  Steam phase\n"
    " O2          0.00  |  SO4      680.00  || Liters gas per kg ||     mg/kg\n"
    " CH4         0.00  |  TDS     1075.00  || condensate   0.00 ||  CO2         0.00\n"
    " N2          0.00  |                   || Gas collection    ||  H2S         0.00\n"
    "                   |                   || temp.        0.00 ||  NH3         0.00\n" +
    rule + choice;

// The calculation-options dialog, question by question.
inline const std::string temperature_types =
    "\n"
    "\n"
    "\n"
    " Valid reference temperature types are\n"
    "\n"
    "                  Measured   =  0 or <RETURN>\n"
    "                 Arbitrary   =  1\n"
    " Chalcedony geothermometer   =  2\n"
    "     Quartz geothermometer   =  3\n"
    "       Na/K geothermometer   =  4\n"
    "\n"
    " Select temperature type ... :  ";
inline const std::string measured_temperature =
    "\n"
    " Read measured temperature (\xB0"
    "C) from the data file ( = <RETURN>),\n"
    " or input temperature ...... :  ";
inline const std::string arbitrary_temperature =
    "\n"
    " Input temperature (\xB0"
    "C) .... :  ";
inline const std::string boiling_spring =
    "\n"
    "\n"
    "\n"
    "\n"
    " BOILING SPRINGS MODEL: If the fluid is assumed to have boiled and\n"
    " lost steam before sampling, input assumed BOILING TEMPERATURE (\xB0"
    "C).\n"
    " No boiling = <RETURN> ..... :  ";
inline const std::string degassing =
    "\n"
    " The DEGASSING COEFFICIENT is a measure of the completeness of degassing\n"
    " when the fluid boils. Permitted values range from 0.01 (little degassing)\n"
    " to 1 (equilibrium degassing). Default ( = <RETURN>) is equilibrium degassing.\n"
    " Coefficient value ......... :  ";
inline const std::string boiling_steps =
    "\n"
    "\n"
    "\n"
    "\n"
    " To compute the fluid composition after single-stage ADIABATIC BOILING\n"
    " from the reference temperature to another temperature, input the\n"
    " NUMBER OF TEMPERATURE STEPS (maximum 10) followed by the TEMPERATURES (\xB0"
    "C),\n"
    " separated by commas (i.e. no. of steps, temp., temp., ......).\n"
    " No boiling = <RETURN> ..... :  ";
inline const std::string cooling_steps =
    "\n"
    "\n"
    "\n"
    "\n"
    " To compute the fluid composition after CONDUCTIVE COOLING\n"
    " from the reference temperature to another temperature, input the\n"
    " NUMBER OF TEMPERATURE STEPS (maximum 10) followed by the TEMPERATURES (\xB0"
    "C),\n"
    " separated by commas (i.e. no. of steps, temp., temp., ......).\n"
    " No cooling = <RETURN> ..... :  ";
inline const std::string input_error =
    "\n"
    "\a ERROR IN INPUT FROM TERMINAL. TRY THIS AGAIN.\a\n"
    "\n";
inline const std::string type_error =
    "\n"
    "\a TEMPERATURE TYPE IMPROPERLY SPECIFIED. TRY AGAIN.\a\n"
    "\n";
inline const std::string no_measured_temperature =
    "\n"
    "\a NO MEASURED TEMPERATURE IN DATA FILE.\a\n"
    "\n";
inline const std::string step_temperatures =
    "\n"
    "\a STEP TEMPERATURES MUST LIE BETWEEN 0 AND 373.85 \xB0"
    "C. TRY AGAIN.\a\n"
    "\n";

}  // namespace expected

}  // namespace morva
