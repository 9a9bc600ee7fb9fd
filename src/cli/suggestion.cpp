// "Did you mean": the subcommand or option nearest to a mistyped word of the command line.
#include "cli/suggestion.hpp"

#include <algorithm>
#include <vector>

namespace vq::cli {
namespace {

std::size_t edit_distance(std::string_view a, std::string_view b) {
  std::vector<std::size_t> row(b.size() + 1);
  for (std::size_t j = 0; j <= b.size(); ++j) row[j] = j;
  for (std::size_t i = 1; i <= a.size(); ++i) {
    std::size_t diagonal = row[0];
    row[0] = i;
    for (std::size_t j = 1; j <= b.size(); ++j) {
      const std::size_t up = row[j];
      row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
      diagonal = up;
    }
  }
  return row[b.size()];
}

// The nearest of `names`, if near enough to be a slip of the keyboard.
std::string nearest(std::string_view word, const std::vector<std::string>& names) {
  const std::size_t limit = std::max<std::size_t>(2, word.size() / 3);
  std::string best;
  std::size_t best_distance = limit + 1;
  for (const auto& n : names) {
    const auto d = edit_distance(word, n);
    if (d < best_distance) {
      best = n;
      best_distance = d;
    }
  }
  return best;
}

std::vector<std::string> option_names(const CLI::App& app) {
  std::vector<std::string> names;
  for (const CLI::Option* o : app.get_options())
    for (const auto& l : o->get_lnames()) names.push_back("--" + l);
  return names;
}

const CLI::Option* find_option(const std::vector<const CLI::App*>& chain, std::string_view word) {
  const std::string name(word.substr(0, word.find('=')));
  for (auto it = chain.rbegin(); it != chain.rend(); ++it)
    if (const CLI::Option* o = (*it)->get_option_no_throw(name)) return o;
  return nullptr;
}

}  // namespace

std::string suggestion(const CLI::App& root, int argc, const char* const* argv) {
  std::vector<const CLI::App*> chain{&root};
  for (int i = 1; i < argc; ++i) {
    const std::string_view word = argv[i];
    if (word.starts_with("-")) {
      const CLI::Option* o = find_option(chain, word);
      if (!o) {
        std::vector<std::string> names;
        for (const CLI::App* a : chain) {
          auto more = option_names(*a);
          names.insert(names.end(), more.begin(), more.end());
        }
        return nearest(word.substr(0, word.find('=')), names);
      }
      if (o->get_items_expected_min() > 0 && word.find('=') == std::string_view::npos) ++i;  // its value
      continue;
    }
    const CLI::App* current = chain.back();
    const auto subs = current->get_subcommands([](const CLI::App* a) { return !a->get_group().empty(); });
    if (subs.empty()) continue;  // an argument of the command
    const auto it = std::find_if(subs.begin(), subs.end(), [&](const CLI::App* a) { return a->get_name() == word; });
    if (it != subs.end()) {
      chain.push_back(*it);
      continue;
    }
    std::vector<std::string> names;
    for (const CLI::App* a : subs) names.push_back(a->get_name());
    return nearest(word, names);
  }
  return {};
}

}  // namespace vq::cli
