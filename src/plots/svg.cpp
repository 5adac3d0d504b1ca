#include "plots/svg.h"

#include <charconv>
#include <cmath>

#include "chemdata/names.h"
#include "text/encoding.h"

namespace morva {

std::string svg_number(double x, int decimals) {
  if (!std::isfinite(x)) return "0";
  char buf[64];
  const auto [end, ec] =
      std::to_chars(buf, buf + sizeof buf, x, std::chars_format::fixed, decimals);
  // Beyond 1e40 px nothing is drawn anyway; the buffer would not hold the digits.
  if (ec != std::errc{}) return x < 0 ? "-1e40" : "1e40";
  std::string s(buf, end);
  if (s.find('.') != std::string::npos) {
    s.erase(s.find_last_not_of('0') + 1);
    if (s.back() == '.') s.pop_back();
  }
  if (s == "-0") s = "0";
  return s;
}

std::string label_number(double x, int decimals) {
  std::string s = svg_number(x, decimals);
  if (s.front() == '-') s.replace(0, 1, "\u2212");
  return s;
}

std::string table_number(double x, int decimals) {
  if (!std::isfinite(x)) return "\u2013";
  char buf[64];
  const auto [end, ec] =
      std::to_chars(buf, buf + sizeof buf, x, std::chars_format::fixed, decimals);
  if (ec != std::errc{}) return "\u2013";
  std::string s(buf, end);
  if (s.front() == '-') s.replace(0, 1, "\u2212");
  return s;
}

bool xml_admits(std::string_view raw) {
  const std::string utf8 = table_text(raw);
  for (const char c : utf8) {
    const auto b = static_cast<unsigned char>(c);
    if ((b < 0x20 && c != '\t' && c != '\n' && c != '\r') || b == 0x7F) return false;
  }
  return utf8.find("\xEF\xBF\xBE") == std::string::npos &&
         utf8.find("\xEF\xBF\xBF") == std::string::npos;
}

std::string xml_text(std::string_view raw) {
  std::string utf8 = table_text(raw);
  // U+FFFE and U+FFFF are no characters to XML: each becomes U+FFFD.
  for (std::size_t at = utf8.find("\xEF\xBF"); at != std::string::npos;
       at = utf8.find("\xEF\xBF", at + 1)) {
    if (at + 2 < utf8.size() && (utf8[at + 2] == '\xBE' || utf8[at + 2] == '\xBF')) {
      utf8[at + 2] = '\xBD';
    }
  }
  return xml_text_unchecked(utf8);
}

std::string xml_text_unchecked(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  for (const char c : utf8) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      case '\'':
        out += "&apos;";
        break;
      default:
        // XML admits no control characters but tab and line ends.
        const auto b = static_cast<unsigned char>(c);
        out += (b < 0x20 && c != '\t' && c != '\n') || b == 0x7F ? ' ' : c;
    }
  }
  return out;
}

path_data& path_data::move(double x, double y) {
  d_ += (d_.empty() ? "M" : " M") + svg_number(x) + ' ' + svg_number(y);
  return *this;
}

path_data& path_data::line(double x, double y) {
  d_ += " L" + svg_number(x) + ' ' + svg_number(y);
  return *this;
}

path_data& path_data::close() {
  d_ += " Z";
  return *this;
}

void xml_writer::start_tag(std::string_view tag, attrs a) {
  out_ += '<';
  out_ += tag;
  for (const attr& at : a) {
    out_ += ' ';
    out_ += at.name;
    out_ += "=\"";
    out_ += xml_text(at.value);
    out_ += '"';
  }
}

xml_writer& xml_writer::open(std::string_view tag, attrs a) {
  start_tag(tag, a);
  out_ += ">\n";
  open_.emplace_back(tag);
  return *this;
}

xml_writer& xml_writer::close() {
  out_ += "</" + open_.back() + ">\n";
  open_.pop_back();
  return *this;
}

xml_writer& xml_writer::leaf(std::string_view tag, attrs a) {
  start_tag(tag, a);
  out_ += "/>\n";
  return *this;
}

xml_writer& xml_writer::text(std::string_view tag, attrs a, std::string_view content) {
  start_tag(tag, a);
  out_ += '>';
  out_ += xml_text(content);
  out_ += "</";
  out_ += tag;
  out_ += ">\n";
  return *this;
}

xml_writer& xml_writer::markup(std::string_view m) {
  out_ += m;
  return *this;
}

std::string xml_writer::str() {
  while (!open_.empty()) close();
  return out_;
}

xml_writer& open_svg(xml_writer& x, double w, double h) {
  return x.open("svg", {{"xmlns", "http://www.w3.org/2000/svg"},
                        {"width", w, 0},
                        {"height", h, 0},
                        {"viewBox", "0 0 " + svg_number(w, 0) + ' ' + svg_number(h, 0)},
                        {"font-family", "DejaVu Sans, Arial, Helvetica, sans-serif"},
                        {"font-size", "12"}});
}

}  // namespace morva
