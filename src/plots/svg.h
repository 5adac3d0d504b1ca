#pragma once
// A small writer of SVG and XHTML text: nested elements with attributes, texts escaped for
// XML, and coordinates with few decimals. Every picture and the page are written through it,
// so each is well-formed by construction.

#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace morva {

/// x in decimal with at most `decimals` decimals, trailing zeros and the sign of a zero
/// dropped ("12.5", "3", "-0.25"); a value that is not finite is written as 0, so that no
/// picture ever holds "nan" or "inf".
std::string svg_number(double x, int decimals = 1);

/// A number as a tick or a label shows it: svg_number with a typographic minus sign (U+2212).
std::string label_number(double x, int decimals);

/// A number as a table column shows it: exactly `decimals` decimals, a typographic minus
/// sign; "–" when x is not finite.
std::string table_number(double x, int decimals);

/// raw as XML character data or attribute value: read as the tables read texts (valid UTF-8
/// kept, every other byte taken as Latin-1, trailing blanks dropped), control characters as
/// blanks, U+FFFE and U+FFFF (no characters to XML) as U+FFFD, and & < > " ' as character
/// entities.
std::string xml_text(std::string_view raw);
/// The UTF-8 text with XML's five special characters escaped and control characters but tab
/// and line feed made blanks (no other character replaced).
std::string xml_text_unchecked(std::string_view utf8);
/// True when xml_text keeps every character of raw: none of them is one XML forbids.
/// (Control characters and U+FFFE, U+FFFF are replaced; a front end warns of them.)
bool xml_admits(std::string_view raw);

/// One attribute of an element: a text, or a number written by svg_number.
struct attr {
  attr(std::string_view n, std::string_view v) : name(n), value(v) {}
  attr(std::string_view n, double v, int decimals = 1) : name(n), value(svg_number(v, decimals)) {}
  std::string_view name;
  std::string value;
};
using attrs = std::initializer_list<attr>;

/// Path data (the d attribute of a path), coordinates in user units.
class path_data {
 public:
  path_data& move(double x, double y);
  path_data& line(double x, double y);
  path_data& close();
  bool empty() const { return d_.empty(); }
  const std::string& str() const { return d_; }

 private:
  std::string d_;
};

/// An XML document written element by element; the elements left open are closed by str().
class xml_writer {
 public:
  /// Opens an element that holds others, closed by close().
  xml_writer& open(std::string_view tag, attrs a = {});
  /// Closes the element opened last.
  xml_writer& close();
  /// An element without content, <tag .../>.
  xml_writer& leaf(std::string_view tag, attrs a = {});
  /// An element holding only the text content (escaped by xml_text).
  xml_writer& text(std::string_view tag, attrs a, std::string_view content);
  /// Markup written by another xml_writer (an inline picture), as it stands.
  xml_writer& markup(std::string_view m);
  /// The document, every element still open closed.
  std::string str();
  /// The text written so far, the elements still open left open: a document in parts.
  const std::string& partial() const { return out_; }

 private:
  void start_tag(std::string_view tag, attrs a);
  std::string out_;
  std::vector<std::string> open_;
};

/// Opens the root of an SVG picture of w x h pixels with the house font.
xml_writer& open_svg(xml_writer& x, double w, double h);

}  // namespace morva
