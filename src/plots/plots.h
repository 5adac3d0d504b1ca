#pragma once
// The pictures of a run as SVG text, and the page that gathers them: the saturation curves
// of one sample, the two ternary diagrams that classify geothermal waters, the Na-K-Ca,
// Cl-Li-B, Schoeller, Piper and silica-enthalpy diagrams, and a self-contained HTML page with
// the samples' table and every picture inline.

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "morva/mineral_curves.h"
#include "morva/sample.h"
#include "plots/labels.h"

namespace morva {

/// The saturation indices log(Q/K) of the chosen minerals of r against temperature (°C), a
/// curve each (cut off at ±10 with an arrow where it leaves), with the ±0.5 band about
/// equilibrium, the estimate and its range (or, without one, the temperature of the least
/// RMS) and the classical geothermometers on the top axis; below them the RMS and the median
/// of the indices, and lines saying the reference state, the form of the indices and the
/// flags. Titled with the number and location of sample s; a refused sample gives a small
/// picture that says why.
std::string saturation_svg(const sample_record& s, const saturation_result& r);

/// The misfit map of a sample's fitted curves (fit_map of the library) as a heat map over
/// temperature and water factor, darkest where the RMS of the indices is least, with the fit
/// of r circled; id heads it (UTF-8).
std::string fit_map_svg(const std::string& id, const saturation_fit_map& map,
                        const saturation_result& r);

/// The analysis of one water for the classification diagrams, mg/kg.
struct ternary_sample {
  std::string id;
  double na_mgkg = 0.0;
  double k_mgkg = 0.0;
  double mg_mgkg = 0.0;
  double cl_mgkg = 0.0;
  double so4_mgkg = 0.0;
  double hco3_mgkg = 0.0;
  /// What the analysis left out that a triangle needs, such as "Mg" or "CO2, pH" (the HCO3
  /// corner is found from the total carbonate at the measured pH): empty when all was
  /// analysed. The triangle leaves such a sample out and names it in a note under the
  /// picture; a zero that was analysed is drawn.
  std::string nakmg_missing{};
  std::string anions_missing{};
};

/// Dots a triangle labels with their samples' ids: past this many the labels could not be
/// read, so the dots are drawn alone and the page's table gives each sample's shares.
inline constexpr std::size_t ternary_label_limit = 200;

/// A water's place in a triangle: the shares of its corners, %, summing to 100.
struct corner_shares {
  double left, right, top;
};

/// The shares of Na/1000, K/100 and √Mg of sample s; empty when the Na-K-Mg triangle leaves
/// it out (a corner not analysed, or no usable amounts).
std::optional<corner_shares> giggenbach_shares(const ternary_sample& s);

/// The shares of SO4, HCO3 and Cl of sample s; empty when the Cl-SO4-HCO3 triangle leaves it
/// out (a corner not analysed, or no usable amounts).
std::optional<corner_shares> cl_so4_hco3_shares(const ternary_sample& s);

/// The fields of the Cl-SO4-HCO3 triangle, by the origin of the water.
enum class anion_field { mature, volcanic, steam_heated, peripheral };

/// The field of the Cl-SO4-HCO3 triangle that holds a water of shares s (% of SO4, HCO3 and
/// Cl, as cl_so4_hco3_shares gives them); a water on a boundary goes to the field first in the
/// order of anion_field.
anion_field cl_so4_hco3_field(const corner_shares& s);

/// The name of field f as the triangle writes it ("mature chloride waters").
const char* field_name(anion_field f);

/// The Na-K-Mg triangle (Giggenbach 1988): corners Na/1000, K/100 and √Mg (mg/kg), with the
/// full-equilibrium curve (over the temperatures it is ticked with), the boundary of immature
/// waters and the Na-K and K-Mg isotherms; one labelled point per sample, the label beside the
/// dot clear of every other text, line and label, or where there is no room a number beside
/// the dot and its id in a key under the triangle. Samples with no Na, K or Mg (or a negative or
/// non-finite value) are left out.
std::string giggenbach_svg(const std::vector<ternary_sample>& samples);

/// The Cl-SO4-HCO3 triangle (mg/kg) with the fields of mature chloride, volcanic,
/// steam-heated and peripheral waters (those of cl_so4_hco3_field); one labelled point per
/// sample, labelled as in giggenbach_svg. Samples with none of
/// the three anions (or a negative or non-finite value) are left out.
std::string cl_so4_hco3_svg(const std::vector<ternary_sample>& samples);

/// The analysis of one water for the diagrams of its major ions, boron, lithium and silica:
/// mg/kg as analysed, the carbonate from the speciation of the sampled water, meq/kg.
struct water_point {
  std::string id;
  double na_mgkg = 0.0;
  double k_mgkg = 0.0;
  double ca_mgkg = 0.0;
  double mg_mgkg = 0.0;
  double cl_mgkg = 0.0;
  double so4_mgkg = 0.0;
  double b_mgkg = 0.0;
  double sio2_mgkg = 0.0;
  std::optional<double> li_mgkg{};  ///< empty when not analysed
  double hco3_meq = 0.0;            ///< HCO3- of the sampled water, meq/kg
  double co3_meq = 0.0;             ///< CO3-- of the sampled water, meq/kg
  /// What the analysis left out, by the names of the analysis table ("Na", "Li", "CO2",
  /// "pH"; "CO2" not when an alkalinity stands for it): a diagram leaves the water out when
  /// it lacks one that the diagram needs, and names it in a note under the picture.
  std::vector<std::string> not_analysed{};
  /// Enthalpy of the water as sampled, kJ/kg: the discharge enthalpy, or that of liquid water
  /// at the collection temperature; empty when neither is given.
  std::optional<double> h_sampled_kjkg{};
  /// The aquifer liquid of the reference state: its enthalpy (that of the whole fluid),
  /// kJ/kg, and its silica, mg/kg; empty when it was not calculated.
  std::optional<double> h_reservoir_kjkg{};
  std::optional<double> sio2_reservoir_mgkg{};
};

/// A water's place on the Na-K-Ca plane: log10(√Ca/Na) and log10(Na/K) of its molalities.
struct nakca_coordinates {
  double log_ca_na, log_na_k;
};
/// The Na-K-Ca coordinates of w; empty when Na, K or Ca is missing or not above 0.
std::optional<nakca_coordinates> nakca_point(const water_point& w);
/// The Na-K-Ca plot (Fournier and Truesdell 1973): log10(Na/K) against log10(√Ca/Na) of the
/// molalities, the isotherms of the geothermometer as straight lines (slope −4/3 up to
/// 100 °C where √Ca/Na is above 1, −1/3 elsewhere, as its β rule gives), one dot per water.
std::string nakca_svg(const std::vector<water_point>& waters);

/// The shares, %, of Cl/100 (left), B/4 (right) and Li (top) of w, mg/kg; empty when one is
/// missing or all are 0.
std::optional<corner_shares> cl_li_b_shares(const water_point& w);
/// The Cl-Li-B triangle (Giggenbach 1991): corners Cl/100, Li and B/4 (mg/kg).
std::string cl_li_b_svg(const std::vector<water_point>& waters);

/// The major ions of a water, meq/kg, in the order of the Schoeller and Piper diagrams.
struct major_ions {
  double ca, mg, na_k, cl, so4, hco3_co3;
};
/// The major ions of w; empty when the analysis lacks one of them.
std::optional<major_ions> major_ions_of(const water_point& w);
/// The Schoeller diagram: Ca, Mg, Na+K, Cl, SO4 and HCO3+CO3, meq/kg on a log axis, one
/// line per water (a zero leaves a gap).
std::string schoeller_svg(const std::vector<water_point>& waters);

/// A water's three points on the Piper diagram, px of its picture.
struct piper_points {
  px_point cations, anions, diamond;
};
/// The corners of the Piper diagram's triangles and diamond, px of its picture: the cation
/// triangle's Ca, Na+K and Mg, the anion triangle's HCO3+CO3, Cl and SO4, and the diamond's
/// bottom (Na+K with HCO3+CO3), left (Ca+Mg with HCO3+CO3), right (Na+K with Cl+SO4) and top
/// (Ca+Mg with Cl+SO4).
struct piper_frame {
  px_point ca, na_k, mg, hco3, cl, so4, bottom, left, right, top;
};
piper_frame piper_corners();
/// The points of ions on the Piper diagram; empty when the cations or the anions sum to 0.
std::optional<piper_points> piper_place(const major_ions& ions);
/// The Piper diagram (Piper 1944): the cation triangle (Ca, Mg, Na+K) and the anion triangle
/// (HCO3+CO3, SO4, Cl), meq %, and the diamond where the two meet.
std::string piper_svg(const std::vector<water_point>& waters);

/// Silica of water saturated with quartz, mg/kg, at t_c (°C).
double quartz_sio2_mgkg(double t_c);
/// Silica of water saturated with chalcedony, mg/kg, at t_c (°C).
double chalcedony_sio2_mgkg(double t_c);
/// A cold water that mixes with the hot one: its temperature, °C, and silica, mg/kg.
struct cold_water {
  double t_c, sio2_mgkg;
};
/// The enthalpy, kJ/kg, where the mixing line from the cold water c through the point
/// (h_kjkg, sio2_mgkg) meets the quartz solubility curve beyond that point: the hot water of
/// the mixture without steam loss; empty when it does not meet it below 340 °C.
std::optional<double> quartz_mixing_enthalpy(const cold_water& c, double h_kjkg, double sio2_mgkg);
/// The silica-enthalpy diagram (Fournier 1977): the quartz and chalcedony solubility curves
/// against the enthalpy of saturated liquid water, each water at its sampled enthalpy and
/// silica and at its reservoir's, and, given a cold water, the mixing line from it through
/// each water to the quartz curve.
std::string silica_enthalpy_svg(const std::vector<water_point>& waters,
                                const std::optional<cold_water>& cold = std::nullopt);

/// One sample's line of the page's table; temperatures °C, empty where there is none.
struct page_row {
  std::string id;
  std::string location;
  std::string t_ref_origin;  ///< how the reference temperature was chosen
  std::optional<double> t_ref_c;
  std::optional<double> ph;
  std::optional<double> quartz_c;
  std::optional<double> chalcedony_c;
  std::optional<double> nak_c;
  std::optional<double> multicomponent_c;  ///< the estimate of the saturation curves
  /// Its range with one mineral left out at a time, and the flags of how far to trust it.
  std::optional<double> multicomponent_low_c{};
  std::optional<double> multicomponent_high_c{};
  std::vector<std::string> multicomponent_flags{};
  std::string status;  ///< "calculated", or why not
};

/// A self-contained HTML5 page (UTF-8, inline style, no script, nothing fetched): the title,
/// the table of the samples with a legend of the flags it shows, the two ternary diagrams one
/// under the other at the width of the text, and each sample's saturation picture, the pictures as
/// the functions above write them. It is also well-formed XML.
std::string html_page(const std::string& title, const std::vector<page_row>& rows,
                      const std::string& giggenbach, const std::string& cl_so4_hco3,
                      const std::vector<std::string>& saturation_svgs);

/// The page of html_page written in three parts, so that the saturation pictures can be kept
/// on disk as they are made: html_page_start, then html_page_figure of each picture, then
/// html_page_end. The start holds the table and the diagrams, then more_diagrams (the
/// pictures of more kinds, each in its own section, two to a row); points[i] is the water of
/// rows[i] (or points is empty), and when a triangle holds too many dots to label, the table
/// gives each water's shares in both triangles.
std::string html_page_start(const std::string& title, const std::vector<page_row>& rows,
                            const std::string& giggenbach, const std::string& cl_so4_hco3,
                            const std::vector<ternary_sample>& points = {},
                            const std::vector<std::string>& more_diagrams = {});
/// One saturation picture of the page.
std::string html_page_figure(const std::string& saturation_svg);
/// The end of the page, after the last picture.
std::string html_page_end();

}  // namespace morva
