#include "chemdata/names.h"

#include "morva/tables.h"

namespace morva {

namespace {

/// A name from the fixed vocabularies without its padding.
std::string trimmed(std::string_view name) {
  return std::string(name.substr(0, name.find_last_not_of(' ') + 1));
}

}  // namespace

const std::vector<std::string>& species_names() {
  static const std::vector<std::string> names = [] {
    std::vector<std::string> n;
    for (int i = 1; i <= species_vector::size; ++i) n.push_back(trimmed(spenam(i)));
    return n;
  }();
  return names;
}

const std::vector<std::string>& mineral_names() {
  static const std::vector<std::string> names = [] {
    std::vector<std::string> n;
    for (int j = 1; j <= mineral_vector::size; ++j) n.push_back(trimmed(minnam(j)));
    return n;
  }();
  return names;
}

}  // namespace morva
