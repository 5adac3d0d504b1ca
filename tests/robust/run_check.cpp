#include "robust/run_check.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "batch/output_files.h"
#include "driver/run.h"
#include "driver/session.h"
#include "morva/calculate.h"
#include "morva/indexed.h"
#include "morva/sample_file.h"
#include "report/run_files.h"
#include "robust/output_check.h"
#include "text/fields.h"

namespace morva {

namespace {

constexpr double closure_tol = 1e-5;  // relative, per component
const std::string mb_line = "     Mass balance calculation does not converge";

// ---------------------------------------------------------------------------------------------
// Mass balance: each species counted with the number of units of each component it holds.

struct holder {
  int species;
  double units;
};

/// The species holding component k, with their units of it; none for the molecular gases H2,
/// O2, CH4 and N2, which the aqueous species list does not carry.
std::vector<holder> holders(int k) {
  switch (k) {
    case comp::co2:
      return {{9, 1}, {10, 1}, {11, 1}, {31, 1}, {32, 1}, {33, 1}, {34, 1}};
    case comp::h2s:
      return {{12, 1}, {13, 1}, {14, 1}};
    case comp::nh3:
      return {{37, 1}, {38, 1}};
    case comp::b:
      return {{7, 1}, {8, 1}};
    case comp::sio2:
      return {{3, 1}, {4, 1}, {5, 1}, {6, 1}};
    case comp::na:
      return {{21, 1}, {6, 1}, {25, 1}, {27, 1}};
    case comp::k:
      return {{22, 1}, {26, 1}, {28, 1}};
    case comp::mg:
      return {{24, 1}, {30, 1}, {32, 1}, {34, 1}, {36, 1}};
    case comp::ca:
      return {{23, 1}, {29, 1}, {31, 1}, {33, 1}, {35, 1}};
    case comp::f:  // HF, F-, AlF++ to AlF6---
      return {{18, 1}, {19, 1}, {64, 1}, {65, 2}, {66, 3}, {67, 4}, {68, 5}, {69, 6}};
    case comp::cl:  // Cl-, NaCl, KCl, the iron chlorides
      return {{20, 1}, {25, 1}, {26, 1}, {49, 1}, {50, 2}, {51, 1}, {52, 2}, {53, 3}, {54, 4}};
    case comp::so4:
      return {{15, 1}, {16, 1}, {17, 1}, {27, 1}, {28, 1}, {29, 1},
              {30, 1}, {55, 1}, {56, 1}, {62, 1}, {63, 2}};
    case comp::al: {
      std::vector<holder> h;
      for (int i = 57; i <= 69; ++i) h.push_back({i, 1});
      return h;
    }
    case comp::fe: {
      std::vector<holder> h;
      for (int i = 39; i <= 56; ++i) h.push_back({i, 1});
      return h;
    }
    default:
      return {};
  }
}

/// Relative misfit of the species sums against the totals c (mol/kg), worst component first;
/// a component of total 0 must have no species at all.
struct misfit {
  double relative = 0.0;
  int component = 0;
};

misfit closure(const species_vector& m, const component_vector& c) {
  misfit worst;
  for (int k = 1; k <= component_vector::size; ++k) {
    const std::vector<holder> h = holders(k);
    if (h.empty()) continue;
    double sum = 0.0;
    for (const holder& x : h) sum += x.units * m[x.species];
    const double rel = c[k] > 0.0 ? std::abs(sum - c[k]) / c[k] : (sum == 0.0 ? 0.0 : 1.0);
    if (!(rel <= worst.relative)) worst = {rel, k};
  }
  return worst;
}

// ---------------------------------------------------------------------------------------------
// What the terminal says about one calculated sample.

struct outcome {
  bool refused = false;
  std::string message;                    // the refusal's reason line
  std::vector<std::string> skipped_cool;  // cooling steps skipped, their F6.1 temperatures
  std::vector<std::string> skipped_boil;  // boiling steps skipped
  bool mass_balance_unconverged = false;
  std::string problem;  // text the terminal should not show
};

/// A step skipped: " Cooling to" or " Boiling to", the F6.1 temperature, and why.
bool is_skip_line(const std::string& l, const std::string& kind) {
  const std::string why[] = {
      " \xB0"
      "C leaves no liquid water. Step skipped.",
      " \xB0"
      "C gives no finite result. Step skipped."};
  if (l.rfind(kind, 0) != 0) return false;
  for (const std::string& tail : why) {
    if (l.size() == kind.size() + 6 + tail.size() &&
        l.compare(kind.size() + 6, std::string::npos, tail) == 0) {
      return true;
    }
  }
  return false;
}

outcome classify(std::string out) {
  outcome o;
  for (const refusal& r : refusals()) {
    const std::string tail = "\n\n" + r.text + "\n" + (r.closing.empty() ? "" : r.closing + "\n");
    if (out.size() >= tail.size() &&
        out.compare(out.size() - tail.size(), tail.size(), tail) == 0) {
      o.refused = true;
      o.message = r.text;
      out.erase(out.size() - tail.size());
      break;
    }
  }
  for (const std::string& l : split_lines(out)) {
    if (l.empty()) continue;
    if (l == mb_line) {
      o.mass_balance_unconverged = true;
    } else if (!o.refused && is_skip_line(l, " Cooling to")) {
      o.skipped_cool.push_back(l.substr(11, 6));
    } else if (!o.refused && is_skip_line(l, " Boiling to")) {
      o.skipped_boil.push_back(l.substr(11, 6));
    } else {
      o.problem += l + "\n";
    }
  }
  return o;
}

// ---------------------------------------------------------------------------------------------
// The report pages of one reported sample.

std::string f61(double x) { return record{}.F(6, 1, x).text(); }

std::string step_heading_text(const char* what, double t_c) {
  return std::string(what) + f61(t_c) +
         " \xB0"
         "C";
}

/// Checks the pages of sample gs from page p on and moves p past them.
void check_pages(const std::vector<report_page>& pages, std::size_t& p, const generated_sample& gs,
                 const outcome& o) {
  SCOPED_TRACE("report of " + gs.number);
  const auto page = [&](std::size_t i) -> const report_page* {
    return i < pages.size() ? &pages[i] : nullptr;
  };
  const report_page* ref = page(p);
  const report_page* act = page(p + 1);
  ASSERT_TRUE(ref != nullptr && act != nullptr) << "pages missing";
  EXPECT_EQ(ref->number, gs.number);
  EXPECT_TRUE(ref->has("Water sample (mg/kg)"));
  // The page ends with the Na/K geothermometer line (or the line that says why there is none),
  // or with the quartz warning after it.
  const std::string ref_last = ref->last_line();
  EXPECT_TRUE(ref->has("     Chemical geothermometers (degrees C)"));
  EXPECT_TRUE(ref_last.rfind("     Na/K      ", 0) == 0 ||
              ref_last == "     K is zero. Cannot compute Na-K geothermometer temperature." ||
              ref_last == "     Na is zero. Cannot compute Na-K geothermometer temperature." ||
              ref_last == "     *** Reference temperature set to 333 degrees C.")
      << ref_last;
  EXPECT_EQ(act->number, gs.number);
  EXPECT_TRUE(act->has("Activity coefficients in water"));
  EXPECT_NE(act->last_line().find("Chrysotile"), std::string::npos) << act->last_line();
  p += 2;

  // The steps reported: those of the options less those the terminal said were skipped.
  std::vector<std::string> headings;
  const auto steps = [&headings](const char* what, const std::vector<double>& t_c,
                                 std::vector<std::string> skipped) {
    for (const double t : t_c) {
      if (!skipped.empty() && skipped.front() == f61(t)) {
        skipped.erase(skipped.begin());
        continue;
      }
      headings.push_back(step_heading_text(what, t));
    }
    EXPECT_TRUE(skipped.empty()) << "skipped steps the options do not have";
  };
  steps("Aquifer liquid cooled to", gs.options.cool_c, o.skipped_cool);
  steps("Aquifer liquid boiled to", gs.options.boil_c, o.skipped_boil);
  for (const std::string& h : headings) {
    const report_page* a = page(p);
    const report_page* b = page(p + 1);
    ASSERT_TRUE(a != nullptr && b != nullptr) << "step pages missing: " << h;
    EXPECT_EQ(a->number, gs.number);
    ASSERT_GE(a->lines.size(), 2U);
    ASSERT_GE(b->lines.size(), 2U);
    EXPECT_NE(a->lines[1].find(h), std::string::npos) << a->lines[1];
    EXPECT_EQ(b->lines[1], a->lines[1]);
    EXPECT_NE(a->last_line().find("AlF6---"), std::string::npos) << a->last_line();
    EXPECT_NE(b->last_line().find("Chrysotile"), std::string::npos) << b->last_line();
    p += 2;
  }
}

/// The number after the label on the line, 0 when the label is not there.
double value_after(const std::string& l, const std::string& label) {
  const std::size_t i = l.find(label);
  return i == std::string::npos ? 0.0 : std::atof(l.c_str() + i + label.size());
}

/// Asterisks a finite calculation may print:
/// - the quartz warning;
/// - the quartz temperature, whose cubic fit in the silica grows without bound and passes
///   99999 °C (more than its seven columns hold) near 7,700 mg/kg of H4SiO4;
/// - an ion-balance difference beyond -99.99 %, which its six columns cannot hold;
/// - a gas of the vapour phase at a million mg per kg of steam or more: the vapour holds more
///   of the gas than of water, its partial pressure at least 0.64 times that of the water
///   vapour by Henry's law (v = 55.51 p / pH2O mol per kg of steam).
bool stars_allowed(const std::vector<std::string>& lines, std::size_t n) {
  const std::string& l = lines[n];
  if (l.rfind("     *** ", 0) == 0) return true;
  if (l == "     Quartz    *******   (GRC Bulletin, pp. 3-12, Nov. 1982)") return true;
  const std::string diff = "Difference (%) =******";
  if (l.find(diff) != std::string::npos && l.find(diff) + diff.size() == l.size()) {
    const double c = value_after(l, "Cations (mol.eq.) =");
    const double a = value_after(l, "Anions (mol.eq.) =");
    return c + a > 0.0 && 200.0 * (c - a) / (c + a) < -99.99;
  }
  // A gas line: the liquid column, the vapour column (name in columns 60-62, value in 69-77)
  // and the pressure column (name from column 87); the water vapour pressure is on the "H2O"
  // line a few lines below.
  if (l.size() > 90 && l.compare(68, 9, "*********") == 0) {
    const double p_gas = value_after(l.substr(86), l.substr(86, 3));
    double p_water = 0.0;
    for (std::size_t k = n + 1; k < lines.size() && k < n + 8; ++k) {
      if (lines[k].size() > 90 && lines[k].compare(86, 3, "H2O") == 0) {
        p_water = value_after(lines[k].substr(86), "H2O");
      }
    }
    return l.compare(59, 3, l.substr(86, 3)) == 0 && p_water > 0.0 && p_gas >= 0.6 * p_water;
  }
  return false;
}

/// The process-step file read back: the sample numbers of its blocks, which must all be
/// complete water-only samples at a finite state.
std::vector<std::string> step_file_samples(const std::string& text, const std::string& name) {
  std::istringstream in(text);
  sample_reader f(in, name);
  std::vector<std::string> numbers;
  for (;;) {
    const read_result got = f.next();
    EXPECT_NE(got.what, read_result::kind::error) << got.fault << " at line " << got.line;
    EXPECT_EQ(got.dropped.value_or(""), "") << name;
    if (got.what != read_result::kind::sample) break;
    const sample_record& s = got.sample;
    EXPECT_EQ(derive(s).type, sample_type::water);
    EXPECT_TRUE(std::isfinite(s.ph) && s.ph > -2.0 && s.ph < 16.0) << s.ph;
    for (int k = 1; k <= component_vector::size; ++k) EXPECT_GE(derive(s).water[k], 0.0);
    numbers.push_back(file_name(s.number));
  }
  EXPECT_EQ(f.lines_read() % 34, 0) << name;
  return numbers;
}

// ---------------------------------------------------------------------------------------------

/// Checks the mass balance of every state the calculation of sample gs solves, in process.
void check_states(const generated_sample& gs, const outcome& o, tally& t) {
  SCOPED_TRACE("states of " + gs.number + " (" + gs.kind + ")");
  std::istringstream file(gs.block);
  sample_reader f(file, "generated");
  const read_result got = f.next();
  ASSERT_EQ(got.what, read_result::kind::sample);
  const sample_result r = calculate(got.sample, gs.options);
  ASSERT_EQ(r.refused.has_value(), o.refused);
  if (r.refused) return;

  const auto check = [&t](const fluid_state& st, const std::string& what) {
    ++t.states;
    // Amounts are never negative, whatever the solver's state.
    bool signs = true;
    for (int i = 1; i <= species_vector::size; ++i) signs = signs && st.m[i] >= 0.0;
    for (int i = 1; i <= component_vector::size; ++i) signs = signs && st.liquid_mgkg[i] >= 0.0;
    for (int i = 1; i <= gas_vector::size; ++i) signs = signs && st.steam_mgkg[i] >= 0.0;
    signs = signs && st.p_h2o >= 0.0;
    for (int g = 1; g <= gas_vector::size; ++g) signs = signs && st.p_gas[g] >= 0.0;
    EXPECT_TRUE(signs) << what << ": a negative amount or pressure";
    const misfit e = closure(st.m, st.totals);
    // The mass balance converges for every state (damped sweeps take over where the plain
    // ones cycle).
    EXPECT_TRUE(st.mass_balance.converged) << what << ": " << st.mass_balance.sweeps << " sweeps";
    if (!st.mass_balance.converged) {
      ++t.states_unconverged;
      t.worst_unconverged = std::max(t.worst_unconverged, e.relative);
    }
    EXPECT_LE(e.relative, closure_tol) << what << ": component " << e.component;
    EXPECT_TRUE(std::isfinite(st.ah) && st.ah > 0.0) << what;
    EXPECT_TRUE(std::isfinite(st.ionic) && st.ionic >= 0.0) << what;
  };
  check(r.reference.state, "reference state");
  for (std::size_t j = 0; j < r.steps.size(); ++j) {
    const step_result& step = r.steps[j];
    if (!step.state) continue;
    check(*step.state, (step.kind == step_kind::cooling ? "cooling step " : "boiling step ") +
                           std::to_string(j + 1));
  }
}

}  // namespace

/// With MORVA_ROBUST_KEEP naming a directory, the files of a run that found a fault are copied
/// there to be looked at.
void keep_files(const scratch_dir& dir) {
  const char* keep = std::getenv("MORVA_ROBUST_KEEP");
  if (keep == nullptr || !testing::Test::HasFailure()) return;
  std::error_code e;
  std::filesystem::create_directories(keep, e);
  for (const char* name :
       {"morva.in", "keys.txt", "screen.txt", "morva.out", "cool.out", "boil.out"}) {
    std::filesystem::copy_file(dir / name, std::filesystem::path(keep) / name,
                               std::filesystem::copy_options::overwrite_existing, e);
  }
}

/// Runs the program on one generated run and checks everything it left.
void check_run(const generated_run& run, tally& t, bool wide_values) {
  scratch_dir dir;
  struct keeper {
    const scratch_dir& d;
    ~keeper() { keep_files(d); }
  } keep{dir};
  dir.write("morva.in", run.samples);
  const session ses = run_morva(dir, run.keys);
  ASSERT_EQ(ses.status, 0) << ses.err;
  EXPECT_EQ(ses.err, "");

  const std::vector<std::string> outs = calculation_outputs(ses.out);
  ASSERT_EQ(outs.size(), run.list.size()) << "every sample shown and calculated";

  const std::string report = dir.read("morva.out");
  const std::vector<report_page> pages = report_pages(report, "G-");
  std::size_t page = 0;
  std::vector<std::string> cool_expected;
  std::vector<std::string> boil_expected;
  bool cool_asked = false;
  bool boil_asked = false;
  for (std::size_t i = 0; i < outs.size(); ++i) {
    const generated_sample& gs = run.list[i];
    SCOPED_TRACE(gs.number + " (" + gs.kind + ")");
    const outcome o = classify(outs[i]);
    EXPECT_EQ(o.problem, "") << "unexpected terminal text";
    cool_asked = cool_asked || !gs.options.cool_c.empty();
    boil_asked = boil_asked || !gs.options.boil_c.empty();
    if (!gs.expected_refusal.empty()) {
      EXPECT_EQ(o.message, gs.expected_refusal);
    }
    check_states(gs, o, t);
    if (o.refused) {
      ++t.refused[o.message];
      continue;
    }
    ++t.reported;
    t.steps_skipped += static_cast<long>(o.skipped_cool.size() + o.skipped_boil.size());
    check_pages(pages, page, gs, o);
    if (gs.options.cool_c.size() > o.skipped_cool.size()) {
      cool_expected.push_back(gs.number);
    }
    if (gs.options.boil_c.size() > o.skipped_boil.size()) {
      boil_expected.push_back(gs.number);
    }
  }
  EXPECT_EQ(page, pages.size()) << "pages belonging to no reported sample";
  if (!pages.empty()) {
    EXPECT_EQ(pages.front().lines.front(), std::string(1, '\0'));
    for (std::size_t i = 1; i < pages.size(); ++i) EXPECT_EQ(pages[i].lines.front(), "\f");
    EXPECT_EQ(report.back(), '\n');
  }

  const auto any_stars = [](const std::vector<std::string>&, std::size_t) { return true; };
  for (const auto& [name, text] :
       {std::pair<std::string, std::string>{"morva.out", report}, {"terminal", ses.out}}) {
    const std::vector<std::string> bad =
        wide_values ? non_finite_lines(text, any_stars) : non_finite_lines(text, stars_allowed);
    for (const std::string& l : bad) ADD_FAILURE() << name << ": " << l;
  }
  for (const char* name : {"cool.out", "boil.out"}) {
    for (const std::string& l : non_finite_lines(dir.read(name), stars_allowed)) {
      ADD_FAILURE() << name << ": " << l;
    }
  }
  EXPECT_EQ(dir.exists("cool.out"), cool_asked);
  EXPECT_EQ(dir.exists("boil.out"), boil_asked);
  EXPECT_EQ(step_file_samples(dir.read("cool.out"), "cool.out"), cool_expected);
  EXPECT_EQ(step_file_samples(dir.read("boil.out"), "boil.out"), boil_expected);
}

void print_tally(const tally& t, std::ostream& out) {
  long refused = 0;
  for (const auto& [message, count] : t.refused) refused += count;
  out << "reported: " << t.reported << ", states checked: " << t.states
      << ", mass balance unconverged: " << t.states_unconverged << " (largest misfit "
      << t.worst_unconverged << "), steps skipped: " << t.steps_skipped << "\nrefused: " << refused
      << "\n";
  for (const auto& [message, count] : t.refused) out << "  " << count << "  " << message << "\n";
}

}  // namespace morva
