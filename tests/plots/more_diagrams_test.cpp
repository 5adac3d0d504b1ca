// The diagrams of the waters beyond the two classification triangles: where the reference
// waters of each published figure land, and waters that lack a component left out and named.

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "geotherm/geothermometers.h"
#include "morva/analysis_csv.h"
#include "morva/geothermometers.h"
#include "morva/tables.h"
#include "morva/units.h"
#include "plots/plots.h"
#include "steam/saturation.h"

namespace morva {
namespace {

/// A water of the given analyses, mg/kg, every component analysed.
water_point water(const std::string& id, double na, double k, double ca, double mg, double cl,
                  double so4, double hco3_meq) {
  water_point w;
  w.id = id;
  w.na_mgkg = na;
  w.k_mgkg = k;
  w.ca_mgkg = ca;
  w.mg_mgkg = mg;
  w.cl_mgkg = cl;
  w.so4_mgkg = so4;
  w.hco3_meq = hco3_meq;
  return w;
}

TEST(NakcaPlot, WaterOnAnIsothermHasItsTemperature) {
  // A water placed on the isotherm of t_c at molal log10(√Ca/Na) x, with the β the rule
  // draws there, gives t_c by the geothermometer of the classical table: isotherms and
  // geothermometer are one equation. Same arithmetic, so 1e-9 °C.
  struct point {
    double t_c, x, beta;
  };
  constexpr double na = 500.0;
  // The molal log10(√Ca/Na) of Ca 1 mg/kg: from it, the Ca of any x.
  const double c = nakca_log_ca_na(na, 1.0);
  for (const point& p :
       {point{80, 0.5, 4.0 / 3}, point{80, -0.5, 1.0 / 3}, point{200, -1.0, 1.0 / 3},
        point{200, 0.3, 1.0 / 3}, point{40, 1.5, 4.0 / 3}, point{300, -1.5, 1.0 / 3}}) {
    SCOPED_TRACE(p.t_c);
    SCOPED_TRACE(p.x);
    const double ca = std::pow(std::pow(10.0, p.x - c), 2.0);
    const double k = na / std::pow(10.0, nakca_log_na_k(p.t_c, p.x, p.beta));
    const gt_estimate t = nakca_temperature(na, k, ca);
    ASSERT_TRUE(t.t_c);
    EXPECT_NEAR(*t.t_c, p.t_c, 1e-9);
    const auto at = nakca_point(water("W", na, k, ca, 1, 1, 1, 1));
    ASSERT_TRUE(at);
    EXPECT_NEAR(at->log_ca_na, p.x, 1e-12);
  }
}

TEST(NakcaPlot, HotIsothermEndsAtTheHundredDegreeLine) {
  // Beyond the 100 °C line of slope −4/3 the β rule takes 4/3 and gives at most 100 °C: a
  // water on the continuation of the 150 °C line there does not have 150 °C.
  constexpr double na = 500.0;
  const double c = nakca_log_ca_na(na, 1.0);
  const double x = 1.0;  // past where the 150 °C line meets the 100 °C line (x ≈ 0.52)
  const double ca = std::pow(std::pow(10.0, x - c), 2.0);
  const double k = na / std::pow(10.0, nakca_log_na_k(150, x, 1.0 / 3));
  const gt_estimate t = nakca_temperature(na, k, ca);
  ASSERT_TRUE(t.t_c);
  EXPECT_LE(*t.t_c, 100.0);
}

TEST(NakcaPlot, AxesAreMolalRatios) {
  // log10(√Ca/Na) and log10(Na/K) of the molalities, Na 22.99, K 39.10, Ca 40.08 g/mol;
  // the geothermometer's 2.06 rounds the shift of √Ca/Na to 0.001.
  const auto at = nakca_point(water("W", 230, 39.1, 400.8, 1, 1, 1, 1));
  ASSERT_TRUE(at);
  EXPECT_NEAR(at->log_na_k, std::log10(10.0 / 1.0), 1e-3);
  EXPECT_NEAR(at->log_ca_na, std::log10(std::sqrt(0.01) / 0.01), 1e-3);
}

TEST(ClLiB, CornersAreScaledAsTheTriangleDraws) {
  // Corners Cl/100, B/4 and Li, mg/kg: 100 mg/kg Cl, 4 B and 1 Li weigh alike.
  struct water_case {
    double cl, b, li;
    corner_shares want;
  };
  for (const water_case& c :
       {water_case{100, 0, 0, {100, 0, 0}}, water_case{0, 4, 0, {0, 100, 0}},
        water_case{0, 0, 1, {0, 0, 100}}, water_case{100, 4, 1, {100.0 / 3, 100.0 / 3, 100.0 / 3}},
        water_case{300, 4, 0, {75, 25, 0}}}) {
    water_point w = water("W", 1, 1, 1, 1, c.cl, 1, 1);
    w.b_mgkg = c.b;
    w.li_mgkg = c.li;
    const auto s = cl_li_b_shares(w);
    ASSERT_TRUE(s);
    EXPECT_NEAR(s->left, c.want.left, 1e-12);
    EXPECT_NEAR(s->right, c.want.right, 1e-12);
    EXPECT_NEAR(s->top, c.want.top, 1e-12);
  }
}

TEST(MajorIons, MilliequivalentsOfTheIons) {
  // 1 mmol/kg of CaCl2, of Na2SO4 and of MgCl2: 2 meq of each ion.
  // mg of 1 mmol: the molecular weights (mg/mol) over 1000.
  const double ca = w(comp::ca) / 1000, cl = w(comp::cl) / 1000, na = w(comp::na) / 1000,
               so4 = w(comp::so4) / 1000, mg = w(comp::mg) / 1000;
  const auto a = major_ions_of(water("W", 0, 0, ca, 0, 2 * cl, 0, 0));
  ASSERT_TRUE(a);
  EXPECT_NEAR(a->ca, 2.0, 1e-12);
  EXPECT_NEAR(a->cl, 2.0, 1e-12);
  const auto b = major_ions_of(water("W", 2 * na, 0, 0, mg, 2 * cl, so4, 0.5));
  ASSERT_TRUE(b);
  EXPECT_NEAR(b->na_k, 2.0, 1e-12);
  EXPECT_NEAR(b->mg, 2.0, 1e-12);
  EXPECT_NEAR(b->so4, 2.0, 1e-12);
  EXPECT_NEAR(b->hco3_co3, 0.5, 1e-12);
}

TEST(Piper, CornerWatersLandOnTheCorners) {
  // A water of one cation and one anion sits on their corners and on the diamond's corner of
  // the pair; half and half of each lies in the middle of the diamond. 1e-9 px.
  const piper_frame c = piper_corners();
  struct water_case {
    major_ions ions;
    px_point cations, anions, diamond;
  };
  const px_point centre{(c.left.x + c.right.x) / 2, (c.left.y + c.right.y) / 2};
  for (const water_case& k : {
           water_case{{1, 0, 0, 0, 0, 1}, c.ca, c.hco3, c.left},
           water_case{{0, 0, 1, 1, 0, 0}, c.na_k, c.cl, c.right},
           water_case{{0, 1, 0, 0, 1, 0}, c.mg, c.so4, c.top},
           water_case{{0, 0, 2, 0, 0, 3}, c.na_k, c.hco3, c.bottom},
           water_case{{1, 0, 1, 1, 0, 1},
                      {(c.ca.x + c.na_k.x) / 2, c.ca.y},
                      {(c.hco3.x + c.cl.x) / 2, c.cl.y},
                      centre},
       }) {
    const auto p = piper_place(k.ions);
    ASSERT_TRUE(p);
    for (const auto& [got, want] :
         {std::pair{p->cations, k.cations}, std::pair{p->anions, k.anions},
          std::pair{p->diamond, k.diamond}}) {
      EXPECT_NEAR(got.x, want.x, 1e-9);
      EXPECT_NEAR(got.y, want.y, 1e-9);
    }
  }
  EXPECT_FALSE(piper_place({0, 0, 0, 1, 1, 1}));  // no cations at all
}

TEST(SilicaEnthalpy, CurvesAreTheSilicaGeothermometersInverted) {
  // The silica on each curve at t gives t back by the program's quartz and chalcedony
  // temperatures. At 200 °C quartz holds 265 mg/kg by Fournier's (1977) fit
  // 1309 / (5.19 - log S) and 261.5 by that of Fournier and Potter (1982) the program
  // uses: the two fits agree to about 1.5 %, so 5 mg/kg.
  for (const double t : {50.0, 100.0, 150.0, 200.0, 250.0, 300.0}) {
    SCOPED_TRACE(t);
    EXPECT_NEAR(hqtz(quartz_sio2_mgkg(t) / w(comp::sio2)), t + zero_celsius_k, 0.01);
    if (t <= 250.0) {
      EXPECT_NEAR(hcha(chalcedony_sio2_mgkg(t) / w(comp::sio2)), t + zero_celsius_k, 1e-6);
    }
  }
  EXPECT_NEAR(quartz_sio2_mgkg(200.0), 265.0, 5.0);
  EXPECT_GT(chalcedony_sio2_mgkg(150.0), quartz_sio2_mgkg(150.0));
}

TEST(SilicaEnthalpy, MixingLineFindsTheHotWater) {
  // A hot water saturated with quartz mixed with a cold one: the line from the cold water
  // through the mixture meets the quartz curve at the hot water's enthalpy. Enthalpy and
  // silica mix linearly; the crossing is found to 1e-9 °C, so 0.01 kJ/kg.
  const cold_water cold{10.0, 12.0};
  const double h_cold = entwat(cold.t_c + zero_celsius_k);
  struct mix {
    double t_hot_c, cold_share;
  };
  for (const mix& m : {mix{150, 0.3}, mix{200, 0.5}, mix{250, 0.7}, mix{300, 0.2}}) {
    SCOPED_TRACE(m.t_hot_c);
    const double h_hot = entwat(m.t_hot_c + zero_celsius_k);
    const double s_hot = quartz_sio2_mgkg(m.t_hot_c);
    const double h = m.cold_share * h_cold + (1 - m.cold_share) * h_hot;
    const double s = m.cold_share * cold.sio2_mgkg + (1 - m.cold_share) * s_hot;
    const auto found = quartz_mixing_enthalpy(cold, h, s);
    ASSERT_TRUE(found);
    EXPECT_NEAR(*found, h_hot, 0.01);
  }
  // A water above every line through the cold water to the curve: no hot water.
  EXPECT_FALSE(quartz_mixing_enthalpy(cold, 400.0, 600.0));
}

TEST(MoreDiagrams, WaterLackingAComponentIsLeftOutAndNamed) {
  // Each diagram leaves out a water without a component it needs and names it under the
  // picture, as the triangles do; an analysed zero is no reason to leave a water out.
  water_point good = water("A-1", 200, 20, 5, 0.5, 300, 50, 1.0);
  good.li_mgkg = 0.8;
  good.b_mgkg = 4;
  good.sio2_mgkg = 250;
  good.h_sampled_kjkg = 400;
  struct kind_case {
    const char* name;
    std::function<std::string(const std::vector<water_point>&)> svg;
    const char* component;
  };
  for (const kind_case& k :
       {kind_case{"na-k-ca", nakca_svg, "Ca"}, kind_case{"cl-li-b", cl_li_b_svg, "Li"},
        kind_case{"schoeller", schoeller_svg, "SO4"}, kind_case{"piper", piper_svg, "pH"},
        kind_case{"silica-enthalpy",
                  [](const std::vector<water_point>& v) { return silica_enthalpy_svg(v); },
                  "SiO2"}}) {
    SCOPED_TRACE(k.name);
    water_point lacking = good;
    lacking.id = "B-2";
    lacking.not_analysed = {k.component};
    const std::string svg = k.svg({good, lacking});
    EXPECT_NE(svg.find(">A-1</text>"), std::string::npos);
    EXPECT_EQ(svg.find(">B-2</text>"), std::string::npos);
    EXPECT_NE(svg.find("Not drawn, not analysed: B-2 (" + std::string(k.component) + ")"),
              std::string::npos);
    EXPECT_TRUE(svg.starts_with("<svg") && svg.ends_with("</svg>\n")) << svg.substr(0, 80);
  }
  // An analysed zero of Li is drawn (at the Cl-B side), not named.
  water_point zero = good;
  zero.li_mgkg = 0.0;
  const std::string svg = cl_li_b_svg({zero});
  EXPECT_NE(svg.find(">A-1</text>"), std::string::npos);
  EXPECT_EQ(svg.find("Not drawn"), std::string::npos);
}

TEST(LithiumColumn, ReadOnlyWhenAsked) {
  // Asked for, a Li column (any of its names, a unit of mass) gives sample_record::li_mgkg;
  // a blank leaves it empty. Not asked for, it is an unknown column as before.
  struct table_case {
    const char* text;
    std::optional<double> li;
  };
  for (const table_case& c : {table_case{"sample,Na,Li (mg/kg)\nA,100,1.5\n", 1.5},
                              table_case{"sample,Na,lithium (ug/L)\nA,100,250\n", 0.25},
                              table_case{"sample,Na,Li+\nA,100,\n", std::nullopt}}) {
    SCOPED_TRACE(c.text);
    std::istringstream in(c.text);
    analysis_reading how;
    how.lithium = true;
    analysis_csv_reader r(in, "survey.csv", how);
    const csv_read_result got = r.next();
    ASSERT_EQ(got.what, csv_read_result::kind::sample) << got.error;
    EXPECT_TRUE(got.warnings.empty());
    ASSERT_EQ(got.sample.li_mgkg.has_value(), c.li.has_value());
    if (c.li) {
      EXPECT_NEAR(*got.sample.li_mgkg, *c.li, 1e-12);
    }
  }
  {
    // Li has no molar mass in the tables: a molar unit is refused as other unknown units are,
    // and a second Li column is named and ignored.
    analysis_reading how;
    how.lithium = true;
    std::istringstream molar("sample,Na,Li (mmol/L)\nA,100,1\n");
    const csv_read_result refused = analysis_csv_reader(molar, "survey.csv", how).next();
    EXPECT_EQ(refused.what, csv_read_result::kind::bad_file);
    EXPECT_NE(refused.error.find("the unit \"mmol/L\" is not known; Li takes mg/kg"),
              std::string::npos)
        << refused.error;
    std::istringstream twice("sample,Na,Li,lithium\nA,100,1,2\n");
    const csv_read_result got = analysis_csv_reader(twice, "survey.csv", how).next();
    ASSERT_EQ(got.what, csv_read_result::kind::sample);
    EXPECT_EQ(got.sample.li_mgkg, 1.0);
    EXPECT_EQ(got.warnings, std::vector<std::string>{"survey.csv, row 1, column 4: \"lithium\" "
                                                     "repeats column Li, ignored"});
  }
  std::istringstream in("sample,Na,Li (mg/kg)\nA,100,1.5\n");
  analysis_csv_reader r(in, "survey.csv");
  const csv_read_result got = r.next();
  ASSERT_EQ(got.what, csv_read_result::kind::sample);
  EXPECT_FALSE(got.sample.li_mgkg);
  EXPECT_EQ(got.warnings,
            std::vector<std::string>{
                "survey.csv, row 1, column 3: \"Li (mg/kg)\" is not a known column, ignored"});
}

/// The text of file p, empty when it cannot be read.
std::string file_text(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

/// Runs morva with args in folder dir, standard error into err.txt there; the exit status.
int morva_in(const std::filesystem::path& dir, const std::string& args) {
  const std::string command =
      "cd '" + dir.string() + "' && '" MORVA_EXE "' " + args + " > /dev/null 2> err.txt";
  const int raw = std::system(command.c_str());
  return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
}

TEST(HtmlPage, MoreDiagramsFollowTheTriangles) {
  // The pictures of more kinds stand in their own section after the two triangles and before
  // the saturation pictures; without them the page is as it was.
  const std::vector<page_row> rows(1);
  const std::string plain = html_page_start("T", rows, "<svg id=\"g\"/>", "<svg id=\"c\"/>");
  const std::string more = html_page_start("T", rows, "<svg id=\"g\"/>", "<svg id=\"c\"/>", {},
                                           {"<svg id=\"n\"/>", "<svg id=\"p\"/>"});
  EXPECT_EQ(plain.find("Geothermometers, origin and mixing"), std::string::npos);
  const std::size_t c = more.find("id=\"c\""), n = more.find("id=\"n\""), p = more.find("id=\"p\""),
                    sat = more.find("Saturation indices");
  EXPECT_TRUE(c < n && n < p && p < sat);
  EXPECT_EQ(more.substr(0, c), plain.substr(0, c));
}

TEST(DiagramCommand, DrawsEveryKindOfTheExampleWaters) {
  // Each kind draws the three example waters (Cl-Li-B names them: the sample file has no Li)
  // without a number that is not finite; Li is read only for Cl-Li-B, and the other kinds
  // still warn of the column as before.
  const std::filesystem::path dir =
      std::filesystem::temp_directory_path() / ("morva-kinds-" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  std::filesystem::copy_file(MORVA_EXAMPLES "/morva.in", dir / "morva.in",
                             std::filesystem::copy_options::overwrite_existing);
  for (const char* kind : {"na-k-ca", "cl-li-b", "schoeller", "piper", "silica-enthalpy"}) {
    SCOPED_TRACE(kind);
    ASSERT_EQ(morva_in(dir, std::string("diagram morva.in --out d.svg --kind ") + kind), 0)
        << file_text(dir / "err.txt");
    const std::string svg = file_text(dir / "d.svg");
    for (const char* id : {"HS-07", "KV-12", "MP-03"}) EXPECT_NE(svg.find(id), std::string::npos);
    EXPECT_EQ(svg.find("nan"), std::string::npos);
    EXPECT_EQ(svg.find("inf"), std::string::npos);
    EXPECT_EQ(svg.find("Not drawn") != std::string::npos, std::string(kind) == "cl-li-b");
  }
  std::ofstream(dir / "li.csv") << "sample,Na,K,Mg,Cl,B,Li (mg/kg)\nW-1,200,20,0.1,300,4,1.2\n";
  ASSERT_EQ(morva_in(dir, "diagram li.csv --out li.svg --kind cl-li-b"), 0);
  EXPECT_EQ(file_text(dir / "err.txt"), "");
  EXPECT_NE(file_text(dir / "li.svg").find(">W-1</text>"), std::string::npos);
  ASSERT_EQ(morva_in(dir, "diagram li.csv --out g.svg --kind giggenbach"), 0);
  EXPECT_EQ(file_text(dir / "err.txt"),
            "morva: li.csv, row 1, column 7: \"Li (mg/kg)\" is not a known column, ignored\n");
  // A cold water needs its temperature and its silica.
  EXPECT_EQ(morva_in(dir, "diagram morva.in --out s.svg --kind silica-enthalpy --cold-water 10"),
            2);
  EXPECT_EQ(morva_in(dir, "diagram morva.in --out s.svg --kind silica-enthalpy --cold-water 10,25"),
            0);
  EXPECT_NE(file_text(dir / "s.svg").find("cold water"), std::string::npos);
  // The saturation page shows them when asked, after the two triangles.
  ASSERT_EQ(morva_in(dir, "saturation morva.in --minerals quartz --html p.html --more-diagrams"), 0)
      << file_text(dir / "err.txt");
  const std::string page = file_text(dir / "p.html");
  for (const char* title :
       {">Na-K-Ca<", ">Cl-Li-B<", ">Schoeller<", ">Piper<", ">Silica-enthalpy<"})
    EXPECT_NE(page.find(title), std::string::npos) << title;
  EXPECT_EQ(morva_in(dir, "saturation morva.in --minerals quartz --more-diagrams"), 2);
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace morva
