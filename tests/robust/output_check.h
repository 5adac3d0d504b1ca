#pragma once
// Readers of what a run leaves behind, for the robustness tests: the terminal cut into the
// calculations of the samples, the report cut into pages, and scans for numbers a finite
// calculation cannot print.

#include <cctype>
#include <string>
#include <string_view>
#include <vector>

namespace morva {

/// The lines of a text; a last line without its line feed counts too.
inline std::vector<std::string> split_lines(std::string_view text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) {
      lines.emplace_back(text.substr(start));
      break;
    }
    lines.emplace_back(text.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

/// What the terminal showed between the last answer of a sample's options dialog and the
/// next sample screen (or the end of the run), one entry per calculated sample, in order.
inline std::vector<std::string> calculation_outputs(const std::string& screen) {
  const std::string last_question = " No cooling = <RETURN> ..... :  ";
  const std::string next_screen = "\n\n\n Sample id. :  ";
  std::vector<std::string> outs;
  std::size_t pos = 0;
  while ((pos = screen.find(last_question, pos)) != std::string::npos) {
    pos += last_question.size();
    std::size_t end = screen.find(next_screen, pos);
    if (end == std::string::npos) end = screen.size();
    outs.push_back(screen.substr(pos, end - pos));
    pos = end;
  }
  return outs;
}

/// One page of the report: its lines, the separator line first.
struct report_page {
  std::vector<std::string> lines;
  std::string number;  ///< the sample number it belongs to, without trailing blanks
  /// True when some line contains the text.
  bool has(std::string_view s) const {
    for (const std::string& l : lines) {
      if (l.find(s) != std::string::npos) return true;
    }
    return false;
  }
  /// The last line that is not blank.
  std::string last_line() const {
    for (auto it = lines.rbegin(); it != lines.rend(); ++it) {
      if (it->find_first_not_of(' ') != std::string::npos) return *it;
    }
    return {};
  }
};

/// The first word starting with `prefix` that stands after a blank: the sample number.
inline std::string number_on_page(const std::vector<std::string>& lines, std::string_view prefix) {
  for (const std::string& l : lines) {
    std::size_t p = 0;
    while ((p = l.find(prefix, p)) != std::string::npos) {
      if (p > 0 && l[p - 1] == ' ') {
        const std::size_t end = l.find(' ', p);
        return l.substr(p, end == std::string::npos ? std::string::npos : end - p);
      }
      p += prefix.size();
    }
  }
  return {};
}

/// The report cut into pages at the lines that hold a lone NUL or form feed. Text before the
/// first separator (there should be none) makes a page without a separator.
inline std::vector<report_page> report_pages(const std::string& report,
                                             std::string_view number_prefix) {
  std::vector<report_page> pages;
  for (std::string& l : split_lines(report)) {
    const bool separator = l == std::string(1, '\0') || l == "\f";
    if (separator || pages.empty()) pages.emplace_back();
    pages.back().lines.push_back(std::move(l));
  }
  for (report_page& p : pages) p.number = number_on_page(p.lines, number_prefix);
  return pages;
}

/// True when the letters at s[i...] spell the word w (any case) and no letter touches it.
inline bool word_at(std::string_view s, std::size_t i, std::string_view w) {
  if (i + w.size() > s.size()) return false;
  for (std::size_t j = 0; j < w.size(); ++j) {
    if (std::tolower(static_cast<unsigned char>(s[i + j])) != w[j]) return false;
  }
  const auto letter = [](char c) { return std::isalpha(static_cast<unsigned char>(c)) != 0; };
  return (i == 0 || !letter(s[i - 1])) && (i + w.size() == s.size() || !letter(s[i + w.size()]));
}

/// Lines of text that show a number no finite calculation prints: "nan" or "inf" as a word, or a
/// field of asterisks. allow_stars(lines, i) may excuse line i whose asterisks are legitimate.
template <class Excuse>
std::vector<std::string> non_finite_lines(const std::string& text, Excuse allow_stars) {
  std::vector<std::string> bad;
  const std::vector<std::string> lines = split_lines(text);
  for (std::size_t n = 0; n < lines.size(); ++n) {
    const std::string& l = lines[n];
    bool flagged = false;
    for (std::size_t i = 0; i < l.size() && !flagged; ++i) {
      flagged = word_at(l, i, "nan") || word_at(l, i, "inf") || word_at(l, i, "infinity");
    }
    if (!flagged && l.find("**") != std::string::npos && !allow_stars(lines, n)) flagged = true;
    if (flagged) bad.push_back(l);
  }
  return bad;
}

}  // namespace morva
