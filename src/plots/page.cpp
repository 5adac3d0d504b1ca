// The page of a run: one self-contained HTML5 file that opens offline, written as
// well-formed XML so that the same writer makes it and any XML reader can check it.

#include <algorithm>
#include <cstddef>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "plots/plots.h"
#include "plots/svg.h"

namespace morva {
namespace {

// Pictures scale down with the window; the two triangles stand one under the other, each as
// wide as the text (up to 960 px), so that their labels can be read.
constexpr const char* style = R"(
body { font-family: DejaVu Sans, Arial, Helvetica, sans-serif; margin: 1.5em; color: #111;
       max-width: 1260px; }
h1 { font-size: 1.5em; }
h2 { font-size: 1.2em; margin-top: 1.6em; }
.wide { overflow-x: auto; }
table { border-collapse: collapse; font-size: 0.9em; }
th, td { padding: 0.25em 0.6em; border-bottom: 1px solid #ccc; text-align: left;
         vertical-align: top; }
th { border-bottom: 2px solid #333; }
td:nth-child(2) { min-width: 14em; }
td.n { text-align: right; font-variant-numeric: tabular-nums; white-space: nowrap; }
figure { margin: 0 0 1em 0; }
.triangle { max-width: 960px; }
.triangle svg { width: 100%; }
svg { max-width: 100%; height: auto; display: block; }
dl.flags { display: grid; grid-template-columns: max-content auto; gap: 0.2em 1em;
           font-size: 0.9em; }
dl.flags dt { font-family: DejaVu Sans Mono, monospace; }
dl.flags dd { margin: 0; }
)";

/// What each flag of the estimate means, for the legend under the table.
// clang-format off
constexpr std::pair<const char*, const char*> flag_meanings[] = {
    {"edge",                   "the least RMS of the indices lies at an end of the temperature grid: no estimate"},
    {"no_crossing",            "the median saturation index never crosses zero"},
    {"few_minerals",           "fewer than 4 minerals have an index: no estimate"},
    {"ion_balance",            "the ion balance of the sampled water lies beyond ±10 %"},
    {"acid",                   "reference pH below 4, where silicate equilibria rarely hold"},
    {"fit_at_bound",           "the fitted water factor or CO₂ lies at a bound of its range: the fit may want to go further"},
    {"ph_temperature_assumed", "the temperature of the pH measurement was not given and is assumed"},
    {"below_detection",        "a value below its detection limit was replaced by the chosen rule"},
};
// clang-format on

/// A value of the table: x with the given decimals, or a dash where there is none.
std::string cell_text(const std::optional<double>& x, int decimals) {
  return x ? table_number(*x, decimals) : "\u2013";
}

/// A water's shares of a triangle's corners, whole % (a dot of the diagrams spans about
/// 2 %), or a dash where it has no point.
std::string shares_text(const std::optional<corner_shares>& s) {
  if (!s) return "\u2013";
  return table_number(s->left, 0) + "\u2009:\u2009" + table_number(s->right, 0) + "\u2009:\u2009" +
         table_number(s->top, 0);
}

}  // namespace

std::string html_page_start(const std::string& title, const std::vector<page_row>& rows,
                            const std::string& giggenbach, const std::string& cl_so4_hco3,
                            const std::vector<ternary_sample>& points,
                            const std::vector<std::string>& more_diagrams) {
  // With more dots than can be labelled, the table says where each water stands.
  std::vector<std::optional<corner_shares>> nakmg, anions;
  if (points.size() == rows.size()) {
    for (const ternary_sample& p : points) {
      nakmg.push_back(giggenbach_shares(p));
      anions.push_back(cl_so4_hco3_shares(p));
    }
  }
  const auto drawn = [](const std::vector<std::optional<corner_shares>>& v) {
    return static_cast<std::size_t>(
        std::count_if(v.begin(), v.end(), [](const auto& s) { return s.has_value(); }));
  };
  const bool listed = drawn(nakmg) > ternary_label_limit || drawn(anions) > ternary_label_limit;

  xml_writer x;
  x.markup("<!DOCTYPE html>\n");
  x.open("html", {{"xmlns", "http://www.w3.org/1999/xhtml"}, {"lang", "en"}});
  x.open("head");
  x.leaf("meta", {{"charset", "utf-8"}});
  x.leaf("meta", {{"name", "viewport"}, {"content", "width=device-width, initial-scale=1"}});
  x.text("title", {}, title);
  x.text("style", {}, style);
  x.close();
  x.open("body");
  x.text("h1", {}, title);

  x.text("h2", {}, "Samples");
  x.open("div", {{"class", "wide"}});
  x.open("table");
  x.open("tr");
  for (const char* h :
       {"sample", "location", "T ref (\u00B0C)", "T ref from", "pH", "quartz (\u00B0C)",
        "chalcedony (\u00B0C)", "Na/K (\u00B0C)", "multicomponent (\u00B0C)", "status"}) {
    x.text("th", {}, h);
  }
  if (listed) {
    x.text("th", {}, "Na/1000 : K/100 : \u221AMg (%)");
    x.text("th", {}, "SO\u2084 : HCO\u2083 : Cl (%)");
  }
  x.close();
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const page_row& r = rows[i];
    x.open("tr");
    x.text("td", {}, r.id);
    x.text("td", {}, r.location);
    x.text("td", {{"class", "n"}}, cell_text(r.t_ref_c, 1));
    x.text("td", {}, r.t_ref_origin);
    x.text("td", {{"class", "n"}}, cell_text(r.ph, 2));
    for (const auto& t : {r.quartz_c, r.chalcedony_c, r.nak_c}) {
      x.text("td", {{"class", "n"}}, cell_text(t, 1));
    }
    // The estimate with its range (one mineral left out at a time) and its flags.
    std::string estimate = cell_text(r.multicomponent_c, 1);
    if (r.multicomponent_low_c && r.multicomponent_high_c) {
      estimate += " (" + cell_text(r.multicomponent_low_c, 1) + "\u2013" +
                  cell_text(r.multicomponent_high_c, 1) + ")";
    }
    for (std::size_t k = 0; k < r.multicomponent_flags.size(); ++k) {
      estimate += (k == 0 ? "; " : ", ") + r.multicomponent_flags[k];
    }
    x.text("td", {{"class", "n"}}, estimate);
    x.text("td", {}, r.status);
    if (listed) {
      for (const auto& s : {nakmg[i], anions[i]}) x.text("td", {{"class", "n"}}, shares_text(s));
    }
    x.close();
  }
  x.close().close();
  // The legend of the flags the table shows, in the order of their meanings.
  bool any_flag = false;
  for (const auto& [flag, meaning] : flag_meanings) {
    const bool used = std::any_of(rows.begin(), rows.end(), [&, f = flag](const page_row& r) {
      return std::find(r.multicomponent_flags.begin(), r.multicomponent_flags.end(), f) !=
             r.multicomponent_flags.end();
    });
    if (!used) continue;
    if (!any_flag) {
      x.text("p", {}, "Flags of the multicomponent estimate:");
      x.open("dl", {{"class", "flags"}});
      any_flag = true;
    }
    x.text("dt", {}, flag);
    x.text("dd", {}, meaning);
  }
  if (any_flag) x.close();

  x.text("h2", {}, "Classification of the waters");
  for (const std::string* svg : {&giggenbach, &cl_so4_hco3}) {
    x.open("figure", {{"class", "triangle"}}).markup(*svg).close();
  }
  if (listed) {
    x.text("p", {},
           "Too many waters to label their points: the table of the samples gives each "
           "water's shares of the corners of both triangles.");
  }

  if (!more_diagrams.empty()) {
    x.text("h2", {}, "Geothermometers, origin and mixing of the waters");
    x.open("div", {{"class", "row"}});
    for (const std::string& svg : more_diagrams) x.open("figure").markup(svg).close();
    x.close();
  }

  x.text("h2", {}, "Saturation indices of the minerals");
  return x.partial();
}

std::string html_page_figure(const std::string& saturation_svg) {
  xml_writer x;
  return x.open("figure").markup(saturation_svg).str();
}

std::string html_page_end() { return "</body>\n</html>\n"; }

std::string html_page(const std::string& title, const std::vector<page_row>& rows,
                      const std::string& giggenbach, const std::string& cl_so4_hco3,
                      const std::vector<std::string>& saturation_svgs) {
  std::string page = html_page_start(title, rows, giggenbach, cl_so4_hco3);
  for (const std::string& svg : saturation_svgs) page += html_page_figure(svg);
  return page + html_page_end();
}

}  // namespace morva
