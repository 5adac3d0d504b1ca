// The page of a run: one self-contained HTML5 file that opens offline, written as
// well-formed XML so that the same writer makes it and any XML reader can check it.

#include <optional>
#include <string>
#include <vector>

#include "plots/plots.h"
#include "plots/svg.h"

namespace morva {
namespace {

// Pictures scale down with the window; the two triangles stand side by side and wrap one
// under the other on a narrow window.
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
.row { display: flex; flex-wrap: wrap; gap: 1em; }
figure { margin: 0 0 1em 0; }
.row figure { flex: 1 1 480px; max-width: 640px; }
svg { max-width: 100%; height: auto; display: block; }
)";

/// A value of the table: x with the given decimals, or a dash where there is none.
std::string cell_text(const std::optional<double>& x, int decimals) {
  return x ? table_number(*x, decimals) : "\u2013";
}

}  // namespace

std::string html_page(const std::string& title, const std::vector<page_row>& rows,
                      const std::string& giggenbach, const std::string& cl_so4_hco3,
                      const std::vector<std::string>& saturation_svgs) {
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
  x.close();
  for (const page_row& r : rows) {
    x.open("tr");
    x.text("td", {}, r.id);
    x.text("td", {}, r.location);
    x.text("td", {{"class", "n"}}, cell_text(r.t_ref_c, 1));
    x.text("td", {}, r.t_ref_origin);
    x.text("td", {{"class", "n"}}, cell_text(r.ph, 2));
    for (const auto& t : {r.quartz_c, r.chalcedony_c, r.nak_c, r.multicomponent_c}) {
      x.text("td", {{"class", "n"}}, cell_text(t, 1));
    }
    x.text("td", {}, r.status);
    x.close();
  }
  x.close().close();

  x.text("h2", {}, "Classification of the waters");
  x.open("div", {{"class", "row"}});
  for (const std::string* svg : {&giggenbach, &cl_so4_hco3}) {
    x.open("figure").markup(*svg).close();
  }
  x.close();

  x.text("h2", {}, "Saturation indices of the minerals");
  for (const std::string& svg : saturation_svgs) x.open("figure").markup(svg).close();
  return x.str();
}

}  // namespace morva
