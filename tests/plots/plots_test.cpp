#include "plots/plots.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <functional>
#include <limits>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "chemdata/units.h"
#include "morva/sample_file.h"
#include "plots/labels.h"
#include "plots/svg.h"
#include "result_tables/result_tables.h"

namespace morva {
namespace {

constexpr double nan = std::numeric_limits<double>::quiet_NaN();
constexpr double inf = std::numeric_limits<double>::infinity();

/// The first fault of doc as XML, empty when it is well-formed: elements balanced, one root,
/// attributes quoted and not repeated, '&' only in the five named or numeric entities, no
/// '<' in attribute values, and valid UTF-8 throughout. A doctype, comments and processing
/// instructions are passed over.
std::string xml_fault(std::string_view doc) {
  for (std::size_t i = 0; i < doc.size();) {  // UTF-8: lead byte, then its continuation bytes
    const auto b = static_cast<unsigned char>(doc[i]);
    const std::size_t n = b < 0x80         ? 1
                          : (b >> 5) == 6  ? 2
                          : (b >> 4) == 14 ? 3
                          : (b >> 3) == 30 ? 4
                                           : 0;
    if (n == 0 || i + n > doc.size()) return "bad UTF-8 at " + std::to_string(i);
    for (std::size_t k = 1; k < n; ++k) {
      if ((static_cast<unsigned char>(doc[i + k]) >> 6) != 2)
        return "bad UTF-8 at " + std::to_string(i);
    }
    i += n;
  }
  auto entities_ok = [](std::string_view s) {
    for (std::size_t a = s.find('&'); a != std::string_view::npos; a = s.find('&', a + 1)) {
      const std::size_t semi = s.find(';', a);
      if (semi == std::string_view::npos) return false;
      const std::string_view e = s.substr(a + 1, semi - a - 1);
      const bool named = e == "amp" || e == "lt" || e == "gt" || e == "quot" || e == "apos";
      const std::string_view digits = e.substr(e.starts_with("#x") ? 2 : 1);
      const bool numeric =
          e.starts_with('#') && !digits.empty() &&
          digits.find_first_not_of(e.starts_with("#x") ? "0123456789abcdefABCDEF" : "0123456789") ==
              std::string_view::npos;
      if (!named && !numeric) return false;
    }
    return true;
  };
  std::vector<std::string> open;
  int roots = 0;
  std::size_t i = 0;
  auto name_at = [&](std::size_t& p) {
    const std::size_t s = p;
    while (p < doc.size() && (std::isalnum(static_cast<unsigned char>(doc[p])) || doc[p] == ':' ||
                              doc[p] == '-' || doc[p] == '_')) {
      ++p;
    }
    return std::string(doc.substr(s, p - s));
  };
  while (i < doc.size()) {
    const std::size_t lt = doc.find('<', i);
    const std::string_view text = doc.substr(i, lt == std::string_view::npos ? lt : lt - i);
    if (!entities_ok(text)) return "bad entity in text near " + std::to_string(i);
    if (open.empty() && text.find_first_not_of(" \n\t") != std::string_view::npos)
      return "text outside the root";
    if (lt == std::string_view::npos) break;
    for (const auto& [from, to] : {std::pair{"<!--", "-->"}, {"<?", "?>"}, {"<!DOCTYPE", ">"}}) {
      if (doc.substr(lt).starts_with(from)) {
        const std::size_t e = doc.find(to, lt);
        if (e == std::string_view::npos) return std::string("unclosed ") + from;
        i = e + std::string_view(to).size();
        break;
      }
    }
    if (i > lt) continue;
    std::size_t p = lt + 1;
    if (doc.substr(p).starts_with("/")) {
      ++p;
      const std::string name = name_at(p);
      if (open.empty() || open.back() != name || p >= doc.size() || doc[p] != '>')
        return "unbalanced </" + name + ">";
      open.pop_back();
      i = p + 1;
      continue;
    }
    const std::string name = name_at(p);
    if (name.empty()) return "bad tag at " + std::to_string(lt);
    if (open.empty() && ++roots > 1) return "second root <" + name + ">";
    std::set<std::string> seen;
    for (;;) {
      while (p < doc.size() && std::isspace(static_cast<unsigned char>(doc[p]))) ++p;
      if (p >= doc.size()) return "unclosed <" + name;
      if (doc.substr(p).starts_with("/>")) {
        i = p + 2;
        break;
      }
      if (doc[p] == '>') {
        open.push_back(name);
        i = p + 1;
        break;
      }
      const std::string a = name_at(p);
      if (a.empty() || !seen.insert(a).second) return "bad attribute in <" + name;
      if (p + 1 >= doc.size() || doc[p] != '=' || (doc[p + 1] != '"' && doc[p + 1] != '\''))
        return "unquoted attribute " + a + " in <" + name;
      const std::size_t close = doc.find(doc[p + 1], p + 2);
      if (close == std::string_view::npos) return "unclosed attribute " + a;
      const std::string_view value = doc.substr(p + 2, close - p - 2);
      if (value.find('<') != std::string_view::npos || !entities_ok(value))
        return "bad value of " + a + " in <" + name;
      p = close + 1;
    }
  }
  if (!open.empty()) return "unclosed <" + open.back() + ">";
  if (roots != 1) return "no root element";
  return {};
}

TEST(XmlChecker, FindsFaults) {
  struct doc {
    const char* text;
    bool good;
  };
  for (const doc& d :
       {doc{"<a x=\"1\"><b/>t &amp; &#176;</a>", true}, doc{"<!DOCTYPE html>\n<a/>", true},
        doc{"<a><b></a></b>", false}, doc{"<a x=1/>", false}, doc{"<a>&</a>", false},
        doc{"<a x=\"<\"/>", false}, doc{"<a/><b/>", false}, doc{"<a x=\"1\" x=\"2\"/>", false},
        doc{"<a>\xB0</a>", false}, doc{"<a>", false}}) {
    SCOPED_TRACE(d.text);
    EXPECT_EQ(xml_fault(d.text).empty(), d.good);
  }
}

/// Number of times s occurs in doc.
int count(std::string_view doc, std::string_view s) {
  int n = 0;
  for (std::size_t p = doc.find(s); p != std::string_view::npos; p = doc.find(s, p + 1)) ++n;
  return n;
}

/// The start tags of the elements of a class, as [begin, end) of doc.
std::vector<std::pair<std::size_t, std::size_t>> start_tags(const std::string& doc,
                                                            const std::string& cls) {
  std::vector<std::pair<std::size_t, std::size_t>> tags;
  const std::string key = "class=\"" + cls + "\"";
  for (std::size_t p = doc.find(key); p != std::string::npos; p = doc.find(key, p + 1)) {
    tags.emplace_back(doc.rfind('<', p), doc.find('>', p) + 1);
  }
  return tags;
}

/// Texts of the elements of a class, the texts of their children joined by a blank.
std::vector<std::string> texts(const std::string& doc, const std::string& cls) {
  std::vector<std::string> out;
  for (const auto& [b, e] : start_tags(doc, cls)) {
    if (doc[e - 2] == '/') continue;  // an element without content
    const std::string name = doc.substr(b + 1, doc.find_first_of(" >", b) - b - 1);
    std::string t;
    bool in_tag = false;
    for (std::size_t i = e; i < doc.find("</" + name + ">", e); ++i) {
      if (doc[i] == '<' || doc[i] == '>') in_tag = doc[i] == '<';
      const char c = in_tag || doc[i] == '>' || doc[i] == '\n' ? ' ' : doc[i];
      if (c != ' ' || (!t.empty() && t.back() != ' ')) t += c;
    }
    if (!t.empty() && t.back() == ' ') t.pop_back();
    out.push_back(t);
  }
  return out;
}

/// Values of one attribute of the elements of a class.
std::vector<std::string> attribute(const std::string& doc, const std::string& cls,
                                   const std::string& name) {
  std::vector<std::string> out;
  for (const auto& [b, e] : start_tags(doc, cls)) {
    const std::string tag = doc.substr(b, e - b);
    const std::size_t v = tag.find(" " + name + "=\"");
    if (v != std::string::npos) {
      const std::size_t from = v + name.size() + 3;
      out.push_back(tag.substr(from, tag.find('"', from) - from));
    }
  }
  return out;
}

/// No word of the document is "nan" or "inf", in any case.
bool all_finite(const std::string& doc) {
  std::string low;
  for (const char c : doc) low += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  auto letter = [&](std::size_t i) {
    return i < low.size() && std::isalpha(static_cast<unsigned char>(low[i]));
  };
  for (const char* w : {"nan", "inf"}) {
    for (std::size_t p = low.find(w); p != std::string::npos; p = low.find(w, p + 1)) {
      if ((p == 0 || !letter(p - 1)) && !letter(p + 3)) return false;
    }
  }
  return true;
}

void expect_good(const std::string& doc) {
  EXPECT_EQ(xml_fault(doc), "");
  EXPECT_TRUE(all_finite(doc));
}

TEST(SvgWriter, WritesShortNumbers) {
  struct c {
    double x;
    int decimals;
    const char* text;
  };
  for (const c& k : {c{12.5, 1, "12.5"}, c{3.0, 1, "3"}, c{-0.04, 1, "0"}, c{-0.25, 2, "-0.25"},
                     c{99.96, 1, "100"}, c{nan, 1, "0"}, c{-inf, 1, "0"}}) {
    SCOPED_TRACE(k.x);
    EXPECT_EQ(svg_number(k.x, k.decimals), k.text);
  }
  EXPECT_EQ(label_number(-2.5, 1), "\u22122.5");
}

TEST(SvgWriter, EscapesTextsAndReadsLatin1) {
  struct c {
    const char* raw;
    const char* xml;
  };
  for (const c& k : {c{"a&b<c>\"d'", "a&amp;b&lt;c&gt;&quot;d&apos;"},
                     c{"T \xB0"
                       "C  ",
                       "T \u00B0C"},
                     c{"T \u00B0C", "T \u00B0C"},
                     c{"a\x01\x7F"
                       "b",
                       "a  b"}}) {
    SCOPED_TRACE(k.raw);
    EXPECT_EQ(xml_text(k.raw), k.xml);
  }
}

/// Sample KV-12 of the example file.
sample_record well_sample() {
  std::ifstream in(MORVA_EXAMPLES "/morva.in", std::ios::binary);
  sample_reader reader(in, "morva.in");
  for (read_result r = reader.next(); r.what == read_result::kind::sample; r = reader.next()) {
    if (r.sample.number.starts_with("KV-12")) return r.sample;
  }
  ADD_FAILURE() << "no KV-12 in morva.in";
  return {};
}

const std::vector<int> assemblage = {
    min::quartz,    min::albite,   min::microcline, min::muscovite, min::laumontite,
    min::wairakite, min::prehnite, min::zoisite,    min::epidote,   min::calcite,
    min::anhydrite, min::fluorite, min::mg_chlorite};

/// Saturation curves of the chosen minerals from 25 to 350 °C: straight lines of different
/// slopes through zero near 243 °C, as a water equilibrated there gives.
saturation_result synthetic(const std::vector<int>& minerals) {
  saturation_result r;
  r.calculation.reference.state.t = 256.0 + zero_celsius_k;
  r.minerals = minerals;
  for (double t = 25.0; t <= 350.0; t += 5.0) {
    saturation_point p;
    p.t_c = t;
    p.solved = true;
    std::vector<double> si;
    for (std::size_t i = 0; i < minerals.size(); ++i) {
      const double slope = 0.5 + 0.45 * static_cast<double>(i) * (i % 2 ? -1.0 : 1.0);
      si.push_back(slope * (243.0 - t) / 100.0 + 0.05 * static_cast<double>(i % 3));
      p.si[minerals[i]] = si.back();
    }
    double sq = 0.0;
    for (const double v : si) sq += v * v;
    std::sort(si.begin(), si.end());
    p.stats.count = static_cast<int>(si.size());
    p.stats.rms = std::sqrt(sq / static_cast<double>(si.size()));
    p.stats.median = si[si.size() / 2];
    r.points.push_back(p);
  }
  r.t_min_rms_c = 243.0;
  r.min_rms = 0.057;
  return r;
}

TEST(SaturationPlot, DrawsEveryMineralWithItsName) {
  const sample_record s = well_sample();
  const std::string svg = saturation_svg(s, synthetic(assemblage));
  expect_good(svg);
  EXPECT_EQ(count(svg, "class=\"si-curve\""), 13);
  const std::vector<std::string> labels = texts(svg, "label");
  for (const int j : assemblage) {
    SCOPED_TRACE(j);
    EXPECT_EQ(std::count(labels.begin(), labels.end(), mineral_names()[j - 1]), 1);
  }
  // Thirteen curves in print: no two share both colour and dashes.
  const std::vector<std::string> colour = attribute(svg, "si-curve", "stroke");
  const std::vector<std::string> dash = attribute(svg, "si-curve", "stroke-dasharray");
  std::set<std::string> looks;
  for (std::size_t i = 0; i < colour.size(); ++i) looks.insert(colour[i] + dash[i]);
  EXPECT_EQ(looks.size(), 13u);
  EXPECT_EQ(texts(svg, "title"), std::vector<std::string>{"KV-12"});
  EXPECT_EQ(texts(svg, "location").at(0).rfind("Kaldvik field, well 12", 0), 0u);
  EXPECT_GE(count(svg, "class=\"zero-line\""), 1);
  EXPECT_EQ(count(svg, "class=\"band\""), 1);
  EXPECT_EQ(texts(svg, "min-rms"),
            std::vector<std::string>{"T(min RMS) = 243 \u00B0C, RMS = 0.06"});
  // Label positions keep at least 10 px apart, however the curve ends crowd.
  std::vector<double> y;
  for (const std::string& v : attribute(svg, "label", "y")) y.push_back(std::stod(v));
  std::sort(y.begin(), y.end());
  for (std::size_t i = 1; i < y.size(); ++i) EXPECT_GE(y[i] - y[i - 1], 10.0);
}

TEST(SaturationPlot, EmptyValueBreaksCurveAndUnsolvedPointIsSkipped) {
  saturation_result r = synthetic({min::quartz, min::calcite, min::mg_chlorite});
  r.points[10].si[min::quartz].reset();
  r.points[11].si[min::quartz] = nan;
  r.points[20].solved = false;
  r.points[20].si[min::calcite].reset();
  for (saturation_point& p : r.points) p.si[min::mg_chlorite].reset();
  r.points[30].stats = {};
  r.points[31].stats.rms = inf;
  const std::string svg = saturation_svg(well_sample(), r);
  expect_good(svg);
  const std::vector<std::string> d = attribute(svg, "si-curve", "d");
  ASSERT_EQ(d.size(), 2u);
  const int n = static_cast<int>(r.points.size());
  EXPECT_EQ(count(d[0], "M"), 2);          // quartz: two pieces about the gap
  EXPECT_EQ(count(d[0], "L"), n - 3 - 2);  // ... of n - 3 points
  EXPECT_EQ(count(d[1], "M"), 1);          // calcite: one piece over the unsolved point
  EXPECT_EQ(count(d[1], "L"), n - 1 - 1);
  EXPECT_EQ(texts(svg, "note"), std::vector<std::string>{"no saturation index: Mg-Chlorite"});
}

TEST(SaturationPlot, RefusedSampleSaysWhy) {
  saturation_result r;
  r.calculation.refused = refusal_reason::reference_below_0;
  sample_record s = well_sample();
  s.location = "Kettleby \xB0 & <spring>";  // 8-bit text of the sample file
  const std::string svg = saturation_svg(s, r);
  expect_good(svg);
  EXPECT_EQ(
      texts(svg, "note"),
      std::vector<std::string>{xml_text("refused: " + refusal_message(*r.calculation.refused))});
  EXPECT_EQ(texts(svg, "location"),
            std::vector<std::string>{"Kettleby \u00B0 &amp; &lt;spring&gt;"});
  EXPECT_EQ(count(svg, "si-curve"), 0);
}

/// The box (px) a text element of the picture covers: its x, y and anchor, its characters
/// at about 0.6 em of its size (0.66 em bold), from 0.8 em above the baseline to 0.25 below.
struct text_box {
  double x0, y0, x1, y1;
  std::string text;
};
std::vector<text_box> text_boxes(const std::string& svg, const std::string& cls, double size) {
  std::vector<text_box> out;
  const std::vector<std::string> t = texts(svg, cls);
  const std::vector<std::string> x = attribute(svg, cls, "x");
  const std::vector<std::string> y = attribute(svg, cls, "y");
  std::vector<std::string> anchor;
  std::vector<bool> bold;
  for (const auto& [b, e] : start_tags(svg, cls)) {
    if (svg[e - 2] == '/') continue;
    const std::string tag = svg.substr(b, e - b);
    anchor.push_back(tag.find("\"end\"") != std::string::npos      ? "end"
                     : tag.find("\"middle\"") != std::string::npos ? "middle"
                                                                   : "start");
    bold.push_back(tag.find("bold") != std::string::npos);
  }
  for (std::size_t i = 0; i < t.size(); ++i) {
    const auto chars = std::count_if(t[i].begin(), t[i].end(), [](char c) {
      return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    });
    const double w = static_cast<double>(chars) * size * (bold[i] ? 0.66 : 0.6);
    const double x0 = std::stod(x[i]) - (anchor[i] == "end"      ? w
                                         : anchor[i] == "middle" ? w / 2
                                                                 : 0);
    const double yb = std::stod(y[i]);
    out.push_back({x0, yb - 0.8 * size, x0 + w, yb + 0.25 * size, t[i]});
  }
  return out;
}

TEST(SaturationPlot, ShowsEstimateGeothermometersAndWhatLeavesTheFrame) {
  // Each case a picture a geochemist meets: a well discharge of thirteen minerals whose
  // geothermometers crowd one spot on the axis; a boiling spring whose curves run far off the
  // frame; an acid water with its flag; a grid whose least RMS lies at its end (no estimate).
  struct c {
    const char* name;
    double slope_scale;  // the synthetic curves steepened by this factor
    std::vector<std::string> flags;
    bool estimate;
    si_form normalise;
    std::optional<double> boiling_spring_c;
    const char* caption;  // a piece of the caption lines of the case
  };
  for (const c& k :
       {c{"well", 1.0, {}, true, si_form::ions, {}, "normalised by ions"},
        c{"boiling spring", 4.0, {}, true, si_form::ions, 99.5, "boiling at 99.5"},
        c{"acid", 1.0, {"acid"}, true, si_form::none, {}, "acid (reference pH"},
        c{"edge", 0.1, {"edge"}, false, si_form::ions, {}, "No estimate; flags: edge"},
        c{"fitted",
          1.0,
          {"fit_at_bound"},
          true,
          si_form::ions,
          {},
          "Curves of the fitted liquid: non-volatile totals \u00D7 0.726 (steam loss undone), "
          "CO2 added 0.0026 mol/kg. Al set at each temperature by Microcline at saturation "
          "(0.107 mg/kg at the estimate)"}}) {
    SCOPED_TRACE(k.name);
    saturation_result r = synthetic(assemblage);
    for (saturation_point& p : r.points) {
      for (const int j : assemblage) *p.si[j] *= k.slope_scale;
    }
    r.flags = k.flags;
    r.normalise = k.normalise;
    if (k.estimate) {
      r.t_estimate_c = 243.0;
      r.t_estimate_low_c = 231.0;
      r.t_estimate_high_c = 262.0;
      r.rms_at_estimate = 0.057;
    }
    derived_results& d = r.calculation.reference.state.derived;
    for (const auto& [g, t_c] :
         {std::pair{&d.quartz, 256.0}, {&d.chalcedony, 244.0}, {&d.na_k, 251.0}}) {
      g->state = geotemperature::status::value;
      g->t = t_c + zero_celsius_k;
    }
    if (k.boiling_spring_c) r.calculation.reference.tb = *k.boiling_spring_c + zero_celsius_k;
    if (std::string(k.name) == "fitted") {
      r.fitted = true;
      r.fitted_water_factor = 0.726;
      r.fitted_co2_mol_kg = 0.0026;
      r.fix_al = min::microcline;
      r.al_fixed_mg_kg = 0.107;
    }
    const std::string svg = saturation_svg(well_sample(), r);
    expect_good(svg);

    // The estimate's band over both panels and its line, or neither without an estimate.
    EXPECT_EQ(count(svg, "class=\"estimate-range\""), k.estimate ? 2 : 0);
    EXPECT_EQ(texts(svg, "estimate").size(), k.estimate ? 1u : 0u);
    EXPECT_EQ(texts(svg, "min-rms").size(), k.estimate ? 0u : 1u);
    // Quartz, chalcedony and Na/K as labelled ticks on the top axis.
    EXPECT_EQ(count(svg, "class=\"gt-tick\""), 3);
    EXPECT_EQ(texts(svg, "gt-label"),
              (std::vector<std::string>{"quartz 256", "chalcedony 244", "Na/K 251"}));
    // Curves beyond ±10 end at the frame with an arrow there, its tip on the frame's edge.
    double si_max = 0.0;
    for (const saturation_point& p : r.points) {
      for (const int j : assemblage) si_max = std::max(si_max, std::abs(*p.si[j]));
    }
    const std::vector<std::string> arrows = attribute(svg, "off-frame", "d");
    EXPECT_EQ(arrows.empty(), si_max <= 10.0);
    for (const std::string& a : arrows) {
      // "Mx y Lx tip Lx y Z": the tip 7 px from the base, towards the nearer edge.
      std::istringstream in(a);
      char m, l;
      double x0, y0, x1, y1;
      in >> m >> x0 >> y0 >> l >> x1 >> y1;
      EXPECT_EQ(std::abs(y1 - y0), 7.0) << a;
    }
    // Thirteen curves, thirteen colours.
    const std::vector<std::string> colour = attribute(svg, "si-curve", "stroke");
    EXPECT_EQ(colour.size(), 13u);
    EXPECT_EQ(std::set<std::string>(colour.begin(), colour.end()).size(), 13u);
    // The caption says the reference state and the form of the indices.
    std::string caption;
    for (const char* cls : {"reference-state", "si-form", "adjusted", "flags"}) {
      for (const std::string& t : texts(svg, cls)) caption += t + " ";
    }
    EXPECT_NE(caption.find("aquifer liquid at Tref 256.0 \u00B0C (measured)"), std::string::npos);
    EXPECT_NE(caption.find("cooled conductively"), std::string::npos);
    EXPECT_NE(caption.find(k.caption), std::string::npos) << caption;
    // No label's box overlaps another's.
    std::vector<text_box> boxes;
    for (const char* cls : {"label", "estimate", "min-rms", "t-ref", "title", "location"}) {
      for (const text_box& b : text_boxes(svg, cls, 12)) boxes.push_back(b);
    }
    for (const text_box& b : text_boxes(svg, "gt-label", 11)) boxes.push_back(b);
    for (std::size_t i = 0; i < boxes.size(); ++i) {
      for (std::size_t j = i + 1; j < boxes.size(); ++j) {
        const text_box& a = boxes[i];
        const text_box& b = boxes[j];
        EXPECT_FALSE(a.x0 < b.x1 && b.x0 < a.x1 && a.y0 < b.y1 && b.y0 < a.y1)
            << a.text << " | " << b.text;
      }
    }
  }
}

TEST(LabelPlacement, LabelsKeepClearOfLinesAndOfEachOther) {
  // A plot 0..200 x 0..100 px crossed by a diagonal line: of the candidates, the first clear
  // of the line and of the box taken is chosen; when none is clear, the one meeting fewest.
  label_field field({0, 0, 200, 100});
  field.add_line({{0, 0}, {200, 100}});
  field.take({150, 10, 190, 30});
  const px_box on_line{90, 40, 110, 55}, on_box{160, 15, 180, 25}, outside{-10, 60, 20, 70},
      clear{10, 70, 40, 85};
  EXPECT_EQ(field.choose({on_line, on_box, outside, clear}), 3u);
  EXPECT_EQ(field.choose({on_line, clear}), 0u);  // clear is now taken: both meet one
  EXPECT_EQ(field.choose({}), std::nullopt);
  EXPECT_TRUE(segment_crosses({0, 0}, {10, 10}, {4, 4, 6, 6}));
  EXPECT_FALSE(segment_crosses({0, 10}, {10, 0}, {8, 8, 9, 9}));
  // Tick labels along an axis: crowded ones move apart by the gap, the centre of the run
  // kept, and stay within the axis; lone ones stay where they want to be.
  const std::vector<double> at = spread_spans({100, 102, 104, 300}, {40, 40, 40, 20}, 6, 0, 320);
  EXPECT_NEAR(at[1], 102.0, 1e-9);
  EXPECT_NEAR(at[1] - at[0], 46.0, 1e-9);
  EXPECT_NEAR(at[2] - at[1], 46.0, 1e-9);
  EXPECT_NEAR(at[3], 300.0, 1e-9);
  const std::vector<double> edge = spread_spans({5, 8}, {20, 20}, 6, 0, 320);
  EXPECT_NEAR(edge[0], 10.0, 1e-9);
  EXPECT_NEAR(edge[1], 36.0, 1e-9);
}

std::vector<ternary_sample> waters() {
  return {
      {"HS-07", 187.5, 14.6, 0.01, 112.0, 105.0, 95.0},
      {"KV-12", 268.0, 46.3, 0.02, 290.0, 41.6, 30.0},
      {"MP-03", 24.0, 4.2, 14.0, 4.0, 680.0, 0.0},
      {"empty", 0, 0, 0, 0, 0, 0},
      {"bad", nan, 1, 1, -1, 1, inf},
  };
}

TEST(Ternary, DrawsEachUsableSampleOnce) {
  for (std::size_t n : {0u, 1u, 5u}) {
    SCOPED_TRACE(n);
    std::vector<ternary_sample> w = waters();
    w.resize(n);
    const int usable = static_cast<int>(std::min<std::size_t>(n, 3));
    for (const std::string& svg : {giggenbach_svg(w), cl_so4_hco3_svg(w)}) {
      expect_good(svg);
      EXPECT_EQ(count(svg, "class=\"sample\""), usable);
      EXPECT_EQ(texts(svg, "sample-label").size(), static_cast<std::size_t>(usable));
    }
  }
}

TEST(Ternary, AWaterWhoseCornerWasNotAnalysedIsLeftOutAndNamed) {
  // HS-07 without its Mg, KV-12 without its SO4 and pH; MP-03's analysed zero HCO3 is drawn.
  std::vector<ternary_sample> w = waters();
  w.resize(3);
  w[0].nakmg_missing = "Mg";
  w[1].anions_missing = "SO4, pH";
  const std::string nakmg = giggenbach_svg(w), anions = cl_so4_hco3_svg(w);
  expect_good(nakmg);
  expect_good(anions);
  EXPECT_EQ(texts(nakmg, "sample-label"), (std::vector<std::string>{"KV-12", "MP-03"}));
  EXPECT_EQ(texts(nakmg, "left-out"),
            std::vector<std::string>{"Not drawn, not analysed: HS-07 (Mg)"});
  EXPECT_EQ(texts(anions, "sample-label"), (std::vector<std::string>{"HS-07", "MP-03"}));
  EXPECT_EQ(texts(anions, "left-out"),
            std::vector<std::string>{"Not drawn, not analysed: KV-12 (SO4, pH)"});
  // Without a water left out there is no note, and the picture keeps its height.
  EXPECT_TRUE(texts(giggenbach_svg(waters()), "left-out").empty());
}

TEST(Ternary, NaKMgHasEquilibriumCurveAndTicks) {
  const std::string svg = giggenbach_svg(waters());
  EXPECT_EQ(count(svg, "class=\"equilibrium\""), 1);
  EXPECT_EQ(count(svg, "class=\"immature\""), 1);
  std::vector<std::string> ticks;
  for (int t = 100; t <= 340; t += 20) ticks.push_back(std::to_string(t));
  EXPECT_EQ(texts(svg, "equilibrium-tick"), ticks);
  const std::vector<std::string> regions = texts(svg, "region");
  for (const char* name : {"full equilibrium", "partial equilibration", "immature waters"}) {
    EXPECT_EQ(std::count(regions.begin(), regions.end(), name), 1) << name;
  }
}

/// Drawn positions of the samples' dots, px.
std::vector<std::pair<double, double>> dots(const std::string& svg) {
  const std::vector<std::string> x = attribute(svg, "sample", "cx");
  const std::vector<std::string> y = attribute(svg, "sample", "cy");
  std::vector<std::pair<double, double>> p;
  for (std::size_t i = 0; i < x.size(); ++i) p.emplace_back(std::stod(x[i]), std::stod(y[i]));
  return p;
}

TEST(Ternary, WaterAtFullEquilibriumLiesOnTheCurve) {
  // Na and Mg of waters with 40 mg/kg K in which both geothermometers give t.
  std::vector<ternary_sample> w;
  for (const double t : {120.0, 200.0, 280.0}) {
    const double na = 40.0 * std::pow(10.0, 1390.0 / (t + 273.15) - 1.75);
    const double mg = 40.0 * 40.0 / std::pow(10.0, 14.0 - 4410.0 / (t + 273.15));
    w.push_back({std::to_string(t), na, 40.0, mg, 0, 0, 0});
  }
  const std::string svg = giggenbach_svg(w);
  const std::string d = attribute(svg, "equilibrium", "d").at(0);
  std::vector<std::pair<double, double>> curve;
  std::string numbers = d;
  std::replace_if(
      numbers.begin(), numbers.end(), [](char c) { return c == 'M' || c == 'L'; }, ' ');
  std::istringstream in(numbers);
  for (double cx, cy; in >> cx >> cy;) curve.emplace_back(cx, cy);
  for (const auto& [x, y] : dots(svg)) {
    double nearest = inf;
    for (const auto& [cx, cy] : curve) nearest = std::min(nearest, std::hypot(cx - x, cy - y));
    EXPECT_LT(nearest, 2.0) << x << ' ' << y;  // the curve has a vertex every 2 °C
  }
}

TEST(Ternary, PureWatersSitAtTheirCorners) {
  // A water of one constituent alone at the corner that bears its name.
  struct c {
    ternary_sample w;
    bool nakmg;
    const char* corner;
  };
  for (const c& k :
       {c{{"a", 10, 0, 0, 0, 0, 0}, true, "Na/1000"}, c{{"a", 0, 10, 0, 0, 0, 0}, true, "K/100"},
        c{{"a", 0, 0, 10, 0, 0, 0}, true, "\u221AMg"}, c{{"a", 0, 0, 0, 10, 0, 0}, false, "Cl"},
        c{{"a", 0, 0, 0, 0, 10, 0}, false, "SO\u2084"},
        c{{"a", 0, 0, 0, 0, 0, 10}, false, "HCO\u2083"}}) {
    SCOPED_TRACE(k.corner);
    const std::string svg = k.nakmg ? giggenbach_svg({k.w}) : cl_so4_hco3_svg({k.w});
    const auto [x, y] = dots(svg).at(0);
    const std::vector<std::string> names = texts(svg, "corner");
    const std::vector<std::string> cx = attribute(svg, "corner", "x");
    const std::vector<std::string> cy = attribute(svg, "corner", "y");
    double nearest = inf;
    std::string name;
    for (std::size_t i = 0; i < names.size(); ++i) {
      const double dist = std::hypot(std::stod(cx[i]) - x, std::stod(cy[i]) - y);
      if (dist < nearest) std::tie(nearest, name) = std::pair{dist, names[i]};
    }
    EXPECT_EQ(name, k.corner);
  }
}

TEST(Ternary, ClSO4HCO3NamesItsFields) {
  EXPECT_EQ(texts(cl_so4_hco3_svg(waters()), "field-label"),
            (std::vector<std::string>{"mature chloride waters", "volcanic waters",
                                      "steam-heated waters", "peripheral waters"}));
}

TEST(Ternary, ReferenceWatersFallInTheirFields) {
  // Shares of SO4, HCO3 and Cl, %, of typical waters of each origin, and of waters near the
  // boundaries: a neutral chloride well with some sulphate and bicarbonate and a chloride water
  // diluted by bicarbonate groundwater are mature, one with a quarter sulphate is not.
  struct c {
    const char* water;
    corner_shares s;
    anion_field field;
  };
  for (const c& k : {c{"deep chloride well", {5, 5, 90}, anion_field::mature},
                     c{"neutral chloride well, pH 9", {10.8, 19.6, 69.6}, anion_field::mature},
                     c{"chloride water diluted", {3, 35, 62}, anion_field::mature},
                     c{"acid chloride-sulphate crater lake", {42, 3, 55}, anion_field::volcanic},
                     c{"chloride water, a quarter sulphate", {25, 3, 72}, anion_field::volcanic},
                     c{"steam-heated acid sulphate pool", {90, 7, 3}, anion_field::steam_heated},
                     c{"peripheral bicarbonate spring", {5, 85, 10}, anion_field::peripheral},
                     c{"boundary of the mature field", {25, 0, 75}, anion_field::mature}}) {
    SCOPED_TRACE(k.water);
    EXPECT_EQ(cl_so4_hco3_field(k.s), k.field);
  }
  // The example waters by their analyses, mg/kg: the well is mature, the mud pot steam-heated.
  const std::vector<ternary_sample> w = waters();
  EXPECT_EQ(cl_so4_hco3_field(*cl_so4_hco3_shares(w[1])), anion_field::mature);
  EXPECT_EQ(cl_so4_hco3_field(*cl_so4_hco3_shares(w[2])), anion_field::steam_heated);
  EXPECT_STREQ(field_name(anion_field::peripheral), "peripheral waters");
}

TEST(Ternary, EquilibriumCurveSpansTheTickedTemperatures) {
  // The curve begins at the water in full equilibrium at 100 °C and ends at the one at
  // 340 °C, the lowest and highest temperatures it is ticked with (40 mg/kg K).
  std::vector<ternary_sample> w;
  for (const double t : {100.0, 340.0}) {
    const double na = 40.0 * std::pow(10.0, 1390.0 / (t + 273.15) - 1.75);
    const double mg = 40.0 * 40.0 / std::pow(10.0, 14.0 - 4410.0 / (t + 273.15));
    w.push_back({std::to_string(t), na, 40.0, mg, 0, 0, 0});
  }
  const std::string svg = giggenbach_svg(w);
  std::string d = attribute(svg, "equilibrium", "d").at(0);
  std::replace_if(
      d.begin(), d.end(), [](char c) { return c == 'M' || c == 'L'; }, ' ');
  std::istringstream in(d);
  std::vector<std::pair<double, double>> curve;
  for (double cx, cy; in >> cx >> cy;) curve.emplace_back(cx, cy);
  ASSERT_FALSE(curve.empty());
  const auto p = dots(svg);
  // Half a unit of the path's 0.1 px rounding, in each coordinate.
  EXPECT_LT(std::hypot(curve.front().first - p[0].first, curve.front().second - p[0].second), 0.1);
  EXPECT_LT(std::hypot(curve.back().first - p[1].first, curve.back().second - p[1].second), 0.1);
}

TEST(LabelPlacement, DotLabelsAvoidTextsThenTakeANumber) {
  // A dot with a text on its right takes its label on the left; a dot boxed in by texts on
  // every side at both distances takes a number beside it, and one boxed in more widely still
  // has its number on the dot.
  label_field field({0, 0, 400, 300});
  field.take({56, 40, 120, 60});  // right of the dot at (50, 50)
  const std::vector<dot_label> one = place_dot_labels(field, {{50, 50}}, {40}, {1});
  ASSERT_TRUE(one[0].label);
  EXPECT_EQ(one[0].label->anchor, text_anchor::end);
  for (const double half : {30.0, 60.0}) {
    SCOPED_TRACE(half);
    label_field boxed({0, 0, 400, 300});
    for (const px_box& b : {px_box{200 - half, 150 - half, 200 + half, 144},
                            px_box{200 - half, 156, 200 + half, 150 + half},
                            px_box{200 - half, 144, 194, 156}, px_box{206, 144, 200 + half, 156}}) {
      boxed.take(b);
    }
    const std::vector<dot_label> got = place_dot_labels(boxed, {{200, 150}}, {40}, {1});
    EXPECT_FALSE(got[0].label);
    EXPECT_EQ(got[0].marker.has_value(), half < 45);
  }
}

TEST(Page, ExplainsTheFlagsItsTableShows) {
  // A legend entry for each flag that a row shows, once, and none for the others; no legend
  // without flags.
  std::vector<page_row> rows(2);
  rows[0].multicomponent_flags = {"acid"};
  rows[1].multicomponent_flags = {"edge", "acid"};
  const std::string page = html_page("Survey", rows, giggenbach_svg({}), cl_so4_hco3_svg({}), {});
  expect_good(page);
  EXPECT_EQ(count(page, "<dt>"), 2);
  EXPECT_EQ(count(page, "<dt>acid</dt>"), 1);
  EXPECT_EQ(count(page, "<dt>edge</dt>"), 1);
  rows[0].multicomponent_flags.clear();
  rows[1].multicomponent_flags.clear();
  EXPECT_EQ(count(html_page("Survey", rows, giggenbach_svg({}), cl_so4_hco3_svg({}), {}), "<dl"),
            0);
}

TEST(Ternary, AWaterNotAnalysedHasNoShares) {
  // The page's table of shares leaves out, as the triangles do, a water whose corner was not
  // analysed, rather than taking the missing amount as zero.
  std::vector<ternary_sample> w = waters();
  w[0].nakmg_missing = "Mg";
  w[1].anions_missing = "CO2, pH";
  EXPECT_FALSE(giggenbach_shares(w[0]));
  EXPECT_TRUE(cl_so4_hco3_shares(w[0]));
  EXPECT_TRUE(giggenbach_shares(w[1]));
  EXPECT_FALSE(cl_so4_hco3_shares(w[1]));
}

TEST(Ternary, LabelsOfACrowdedSetOverlapNothing) {
  // Fifteen waters, five of them close together near full equilibrium and mature, three at
  // the Mg corner and at the SO4 corner: no sample's label or number overlaps another text of
  // the picture, none crosses a side of the triangle, and each sample is named once (beside
  // its dot or in the key).
  const std::vector<ternary_sample> w = {{"KV-12", 268.0, 46.3, 0.02, 290.0, 41.6, 30.0},
                                         {"KV-14", 275.0, 44.0, 0.03, 300.0, 30.0, 35.0},
                                         {"KV-15", 262.0, 47.5, 0.02, 310.0, 25.0, 28.0},
                                         {"KV-21", 280.0, 45.1, 0.015, 295.0, 20.0, 40.0},
                                         {"KV-22", 255.0, 48.0, 0.025, 305.0, 35.0, 22.0},
                                         {"HS-07", 187.5, 14.6, 0.01, 112.0, 105.0, 95.0},
                                         {"HS-09", 190.0, 15.0, 0.012, 120.0, 100.0, 90.0},
                                         {"MP-03", 24.0, 4.2, 14.0, 4.0, 680.0, 0.0},
                                         {"MP-04", 22.0, 3.9, 15.5, 6.0, 700.0, 3.0},
                                         {"MP-05", 26.0, 4.4, 12.0, 5.0, 650.0, 8.0},
                                         {"CS-01", 60.0, 5.0, 2.5, 20.0, 15.0, 300.0},
                                         {"CS-02", 55.0, 4.8, 2.8, 25.0, 12.0, 280.0},
                                         {"NW-9", 310.0, 40.0, 0.03, 420.0, 65.0, 118.0},
                                         {"VC-1", 150.0, 30.0, 1.0, 360.0, 290.0, 5.0},
                                         {"MT-6", 250.0, 35.0, 0.05, 500.0, 24.0, 283.0}};
  for (const std::string& svg : {giggenbach_svg(w), cl_so4_hco3_svg(w)}) {
    expect_good(svg);
    std::vector<text_box> own, others;
    for (const text_box& b : text_boxes(svg, "sample-label", 12)) own.push_back(b);
    for (const text_box& b : text_boxes(svg, "sample-marker", 10)) own.push_back(b);
    for (const auto& [cls, size] :
         {std::pair{"corner", 15.0}, {"tick", 10.0}, {"equilibrium-tick", 9.5}, {"title", 16.0}}) {
      for (const text_box& b : text_boxes(svg, cls, size)) others.push_back(b);
    }
    EXPECT_EQ(texts(svg, "sample-label").size(), w.size());
    for (std::size_t i = 0; i < own.size(); ++i) {
      const text_box& a = own[i];
      for (std::size_t j = 0; j < others.size() + own.size(); ++j) {
        if (j == others.size() + i) continue;
        const text_box& b = j < others.size() ? others[j] : own[j - others.size()];
        EXPECT_FALSE(a.x0 < b.x1 && b.x0 < a.x1 && a.y0 < b.y1 && b.y0 < a.y1)
            << a.text << " | " << b.text;
      }
    }
    // The triangle's corners from its path, "Mx y Lx y Lx y Z".
    std::istringstream d(attribute(svg, "triangle", "d").at(0));
    char m = 0, l1 = 0, l2 = 0;
    px_point c[3];
    d >> m >> c[0].x >> c[0].y >> l1 >> c[1].x >> c[1].y >> l2 >> c[2].x >> c[2].y;
    ASSERT_TRUE(d) << "unexpected path";
    for (const text_box& b : own) {
      for (int k = 0; k < 3; ++k) {
        EXPECT_FALSE(segment_crosses(c[k], c[(k + 1) % 3], {b.x0, b.y0, b.x1, b.y1})) << b.text;
      }
    }
  }
}

TEST(Page, HoldsTableAndEveryPictureOffline) {
  const sample_record s = well_sample();
  const std::vector<std::string> sat = {saturation_svg(s, synthetic(assemblage)),
                                        saturation_svg(s, saturation_result{})};
  std::vector<page_row> rows(2);
  rows[0] = {"KV-12",     "Kaldvik \xB0 well & <12>",
             "quartz",    256.0,
             9.18,        256.0,
             243.4,       259.1,
             243.0,       {},
             {},          {},
             "calculated"};
  rows[1].id = "MP-03";
  const std::string page =
      html_page("Survey <2024>", rows, giggenbach_svg(waters()), cl_so4_hco3_svg(waters()), sat);
  expect_good(page);
  EXPECT_TRUE(page.starts_with("<!DOCTYPE html>"));
  EXPECT_EQ(count(page, "<meta charset=\"utf-8\"/>"), 1);
  EXPECT_EQ(count(page, "<svg xmlns="), 4);
  EXPECT_EQ(count(page, "<tr>"), 3);
  EXPECT_EQ(count(page, "<td class=\"n\">\u2013</td>"), 6);  // the second row has no values
  EXPECT_EQ(count(page, "<td class=\"n\">256.0</td>"), 2);   // reference and quartz
  EXPECT_EQ(count(page, "Kaldvik \u00B0 well &amp; &lt;12&gt;"), 1);
  EXPECT_EQ(count(page, "<title>Survey &lt;2024&gt;</title>"), 1);
  for (const char* fetch : {"<script", "src=", "href=", "url(", "@import"}) {
    EXPECT_EQ(count(page, fetch), 0) << fetch;
  }
}

/// The places of the labels as a comparison of each candidate box with every box taken
/// before would choose them: the search the grid must reproduce exactly.
std::vector<label_place> places_by_comparing_all(const std::vector<px_point>& dots,
                                                 const std::vector<std::size_t>& chars) {
  struct box {
    double x0, y0, x1, y1;
  };
  const label_place sides[] = {{8, 4, text_anchor::start},   {-8, 4, text_anchor::end},
                               {0, -9, text_anchor::middle}, {0, 17, text_anchor::middle},
                               {8, -8, text_anchor::start},  {8, 16, text_anchor::start},
                               {-8, -8, text_anchor::end},   {-8, 16, text_anchor::end}};
  std::vector<box> taken;
  for (const px_point& p : dots) taken.push_back({p.x - 6, p.y - 6, p.x + 6, p.y + 6});
  std::vector<label_place> places;
  for (std::size_t i = 0; i < dots.size(); ++i) {
    const double w = 8.5 * static_cast<double>(chars[i]);
    const auto box_of = [&](const label_place& sd) {
      const double x0 = dots[i].x + sd.dx -
                        (sd.anchor == text_anchor::end      ? w
                         : sd.anchor == text_anchor::middle ? w / 2
                                                            : 0);
      return box{x0, dots[i].y + sd.dy - 11, x0 + w, dots[i].y + sd.dy + 2};
    };
    label_place chosen = sides[0];
    for (const label_place& sd : sides) {
      const box b = box_of(sd);
      if (std::none_of(taken.begin(), taken.end(), [&](const box& o) {
            return b.x0 < o.x1 && o.x0 < b.x1 && b.y0 < o.y1 && o.y0 < b.y1;
          })) {
        chosen = sd;
        break;
      }
    }
    taken.push_back(box_of(chosen));
    places.push_back(chosen);
  }
  return places;
}

TEST(LabelPlacement, GridChoosesAsComparingEveryBox) {
  // Sparse and crowded dots, repeated dots, dots on cell edges (multiples of 16 px), far
  // outside the picture, and labels long enough to span many cells.
  std::mt19937 random(7);
  std::uniform_real_distribution<double> wide(60, 580), tight(300, 330), far(-5000, 5000);
  std::uniform_int_distribution<std::size_t> length(0, 20);
  std::uniform_int_distribution<int> cell(0, 20);
  const auto sparse = [&] { return px_point{wide(random), wide(random)}; };
  const auto crowded = [&] { return px_point{tight(random), tight(random)}; };
  const auto repeated = [&] { return px_point{std::round(tight(random) / 8) * 8, 320}; };
  const auto edges = [&] { return px_point{16.0 * cell(random), 16.0 * cell(random)}; };
  const auto apart = [&] { return px_point{far(random), far(random)}; };
  struct spread {
    const char* name;
    std::function<px_point()> dot;
  };
  for (const spread& sp :
       {spread{"sparse", sparse}, spread{"crowded", crowded}, spread{"repeated", repeated},
        spread{"cell edges", edges}, spread{"far apart", apart}}) {
    SCOPED_TRACE(sp.name);
    std::vector<px_point> dots;
    std::vector<std::size_t> chars;
    for (int i = 0; i < 400; ++i) {
      dots.push_back(sp.dot());
      chars.push_back(length(random));
    }
    const std::vector<label_place> got = place_labels(dots, chars);
    const std::vector<label_place> want = places_by_comparing_all(dots, chars);
    ASSERT_EQ(got.size(), want.size());
    for (std::size_t i = 0; i < got.size(); ++i) {
      EXPECT_EQ(got[i].dx, want[i].dx) << i;
      EXPECT_EQ(got[i].dy, want[i].dy) << i;
      EXPECT_EQ(got[i].anchor, want[i].anchor) << i;
    }
  }
}

TEST(Ternary, TooManyDotsAreDrawnWithoutLabels) {
  // Up to the limit every dot has its label; past it none has, and a note gives the count.
  for (const std::size_t n : {ternary_label_limit, ternary_label_limit + 1}) {
    SCOPED_TRACE(n);
    std::vector<ternary_sample> w;
    for (std::size_t i = 0; i < n; ++i) {
      std::string id = "W";  // appended, not "W" + ...: GCC 12 -O2 warns falsely on the latter
      id += std::to_string(i);
      w.push_back(
          {id, 100.0 + static_cast<double>(i), 20, 1, 50, 40, 30.0 + static_cast<double>(i % 7)});
    }
    for (const std::string& svg : {giggenbach_svg(w), cl_so4_hco3_svg(w)}) {
      expect_good(svg);
      EXPECT_EQ(count(svg, "class=\"sample\""), static_cast<int>(n));
      const bool labelled = n <= ternary_label_limit;
      EXPECT_EQ(texts(svg, "sample-label").size(), labelled ? n : 0);
      EXPECT_EQ(texts(svg, "note"),
                labelled
                    ? std::vector<std::string>{}
                    : std::vector<std::string>{std::to_string(n) + " waters, too many to label"});
    }
  }
}

TEST(Page, InPartsEqualsWholeAndListsSharesPastTheLabelLimit) {
  // A page of as many waters as can be labelled has the columns of every page; one more and
  // the table gives each water's shares, which sum to 100 % in each triangle.
  const sample_record s = well_sample();
  const std::string sat = saturation_svg(s, synthetic(assemblage));
  for (const std::size_t n : {ternary_label_limit, ternary_label_limit + 1}) {
    SCOPED_TRACE(n);
    std::vector<ternary_sample> w;
    std::vector<page_row> rows(n);
    for (std::size_t i = 0; i < n; ++i) {
      // Appended piece by piece: "W" + a temporary trips a false warning of GCC 12.
      std::string id = "W";
      id += std::to_string(i);
      w.push_back({id, 187.5, 14.6 + static_cast<double>(i), 0.01, 112.0, 105.0, 95.0});
      rows[i].id = w.back().id;
    }
    const std::string g = giggenbach_svg(w), cl = cl_so4_hco3_svg(w);
    const std::string page =
        html_page_start("Survey", rows, g, cl, w) + html_page_figure(sat) + html_page_end();
    expect_good(page);
    const bool listed = n > ternary_label_limit;
    EXPECT_EQ(count(page, "<th>"), listed ? 12 : 10);
    if (!listed) {
      EXPECT_EQ(page, html_page("Survey", rows, g, cl, {sat}));
      continue;
    }
    // The shares of the last water in the last two cells of its row.
    std::string last = "<td>W";
    last += std::to_string(n - 1);
    last += "</td>";
    const std::size_t row = page.rfind(last);
    ASSERT_NE(row, std::string::npos);
    const std::string cells = page.substr(row, page.find("</tr>", row) - row);
    std::vector<double> sums;
    for (const std::size_t back : {2, 1}) {
      std::size_t at = cells.size();
      for (std::size_t k = 0; k < back; ++k) at = cells.rfind("<td class=\"n\">", at - 1);
      const std::size_t from = cells.find('>', at) + 1;
      // The thin spaces about the colons read as blanks.
      const std::string cell = cells.substr(from, cells.find("</td>", from) - from);
      std::string shares;
      for (std::size_t at_char = 0; at_char < cell.size();) {
        if (cell.compare(at_char, 3, "\u2009") == 0) {
          shares += ' ';
          at_char += 3;
        } else {
          shares += cell[at_char++];
        }
      }
      std::istringstream in(shares);
      double a = 0, b = 0, c = 0;
      char colon1 = 0, colon2 = 0;
      in >> a >> colon1 >> b >> colon2 >> c;
      EXPECT_TRUE(in && colon1 == ':' && colon2 == ':') << cells;
      sums.push_back(a + b + c);
    }
    for (const double sum : sums) EXPECT_NEAR(sum, 100.0, 1.5);  // three values rounded to whole %
  }
}

}  // namespace
}  // namespace morva

namespace morva {
namespace {

TEST(FitMap, OneCellPerTemperatureAndFactorWithTheFitCircled) {
  // The well discharge fitted for its water factor on a coarse grid: a cell for each grid
  // temperature and factor, each RMS that of the curves of the liquid given that factor, the
  // fit circled; a refused sample has no map.
  const sample_record s = well_sample();
  saturation_choices how;
  how.fit_water = true;
  const saturation_grid grid{150.0, 300.0, 25.0};
  const saturation_result r =
      saturation(s, run_options{}, grid, default_saturation_minerals(), how);
  const saturation_fit_map map = fit_map(s, run_options{}, grid, how, r, 5);
  ASSERT_EQ(map.t_c.size(), 7u);
  ASSERT_EQ(map.water_factor, (std::vector<double>{0.5, 0.75, 1.0, 1.25, 1.5}));
  ASSERT_EQ(map.rms.size(), 35u);
  saturation_choices at_one = how;
  at_one.fit_water = false;
  const saturation_result plain =
      saturation(s, run_options{}, grid, default_saturation_minerals(), at_one);
  for (std::size_t k = 0; k < map.t_c.size(); ++k) {
    ASSERT_TRUE(map.rms[2 * 7 + k] && plain.points[k].stats.rms);
    EXPECT_NEAR(*map.rms[2 * 7 + k], *plain.points[k].stats.rms, 1e-9);  // factor 1
  }
  const std::string svg = fit_map_svg("KV-12", map, r);
  expect_good(svg);
  EXPECT_EQ(count(svg, "<rect x="), 35 + 1 + 32);  // cells, frame, colour scale
  EXPECT_EQ(count(svg, "class=\"fitted\""), 1);
  saturation_result refused;
  refused.calculation.refused = refusal_reason::ph_not_analysed;
  EXPECT_TRUE(fit_map(s, run_options{}, grid, how, refused).rms.empty());
  EXPECT_EQ(count(fit_map_svg("X", saturation_fit_map{}, refused), "class=\"note\""), 1);
}

}  // namespace
}  // namespace morva
