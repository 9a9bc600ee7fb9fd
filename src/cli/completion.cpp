// `vantorq-cli completion`: the bash completion script, written from the command tree itself
// so it never lags behind the commands and options.
#include <cstdio>
#include <string>
#include <vector>

#include "cli/commands.hpp"

namespace vq::cli {
namespace {

struct Level {
  std::string path;  // subcommands from the top, space separated ("" for the program itself)
  std::vector<std::string> subcommands;
  std::vector<std::string> options;         // every spelling of every option
  std::vector<std::string> value_options;   // those that take a value
};

void collect(const CLI::App& app, const std::string& path, std::vector<Level>& out) {
  Level level{path, {}, {}, {}};
  for (const CLI::Option* o : app.get_options()) {
    if (!o->nonpositional() || o->get_group().empty()) continue;
    std::vector<std::string> names;
    for (const auto& l : o->get_lnames()) names.push_back("--" + l);
    for (const auto& s : o->get_snames()) names.push_back("-" + s);
    for (const auto& n : names) {
      level.options.push_back(n);
      if (o->get_items_expected_min() > 0) level.value_options.push_back(n);
    }
  }
  const auto subs = app.get_subcommands([](const CLI::App* a) { return !a->get_group().empty(); });
  for (const CLI::App* sub : subs) level.subcommands.push_back(sub->get_name());
  out.push_back(level);
  for (const CLI::App* sub : subs) collect(*sub, path.empty() ? sub->get_name() : path + " " + sub->get_name(), out);
}

std::string joined(const std::vector<std::string>& words) {
  std::string out;
  for (const auto& w : words) out += (out.empty() ? "" : " ") + w;
  return out;
}

std::string bash_completion(const CLI::App& root) {
  std::vector<Level> levels;
  collect(root, "", levels);
  std::string s =
      "# bash completion for vantorq-cli, written by `vantorq-cli completion`.\n"
      "_vantorq_cli() {\n"
      "  local cur=\"${COMP_WORDS[COMP_CWORD]}\" prev=\"\"\n"
      "  (( COMP_CWORD > 0 )) && prev=\"${COMP_WORDS[COMP_CWORD-1]}\"\n"
      "  local path=\"\" subs opts values i w skip=0\n"
      "  _vantorq_cli_level() {\n"
      "    case \"$1\" in\n";
  for (const auto& l : levels) {
    s += "      \"" + l.path + "\") subs=\"" + joined(l.subcommands) + "\"; opts=\"" + joined(l.options) +
         "\"; values=\"" + joined(l.value_options) + "\" ;;\n";
  }
  s += "      *) subs=\"\"; opts=\"\"; values=\"\" ;;\n"
       "    esac\n"
       "  }\n"
       "  # The subcommands typed so far, skipping options and their values.\n"
       "  local all_values=\"\"\n"
       "  for ((i = 1; i < COMP_CWORD; i++)); do\n"
       "    w=\"${COMP_WORDS[i]}\"\n"
       "    _vantorq_cli_level \"$path\"\n"
       "    all_values=\"$all_values $values\"\n"
       "    if (( skip )); then skip=0; continue; fi\n"
       "    case \"$w\" in\n"
       "      -*=*) continue ;;\n"
       "      -*) [[ \" $all_values \" == *\" $w \"* ]] && skip=1; continue ;;\n"
       "    esac\n"
       "    [[ \" $subs \" == *\" $w \"* ]] && path=\"${path:+$path }$w\"\n"
       "  done\n"
       "  _vantorq_cli_level \"$path\"\n"
       "  case \"$prev\" in\n"
       "    --device)\n"
       "      if [[ \"$cur\" == unix:* ]]; then\n"
       "        local IFS=$'\\n'\n"
       "        COMPREPLY=($(compgen -f -- \"${cur#unix:}\" | sed 's/^/unix:/'))\n"
       "      else\n"
       "        COMPREPLY=($(compgen -W \"usb sim sim:empty tcp:127.0.0.1: unix:\" -- \"$cur\"))\n"
       "      fi\n"
       "      compopt -o nospace 2>/dev/null\n"
       "      return ;;\n"
       "    --pacing) COMPREPLY=($(compgen -W \"panel none\" -- \"$cur\")); return ;;\n"
       "    --rs485) COMPREPLY=($(compgen -W \"ftdi ftdi: serial:/dev/ttyUSB0\" -- \"$cur\")); return ;;\n"
       "  esac\n"
       "  if [[ -n \"$prev\" && \" $all_values $values \" == *\" $prev \"* ]]; then\n"
       "    COMPREPLY=($(compgen -f -- \"$cur\"))\n"
       "    return\n"
       "  fi\n"
       "  if [[ \"$cur\" == -* ]]; then\n"
       "    COMPREPLY=($(compgen -W \"$opts\" -- \"$cur\"))\n"
       "  elif [[ -n \"$subs\" ]]; then\n"
       "    COMPREPLY=($(compgen -W \"$subs\" -- \"$cur\"))\n"
       "  else\n"
       "    COMPREPLY=($(compgen -f -- \"$cur\"))\n"
       "  fi\n"
       "}\n"
       "complete -o filenames -F _vantorq_cli vantorq-cli\n";
  return s;
}

}  // namespace

void add_completion_command(CLI::App& app, Action& action) {
  auto* cmd = app.add_subcommand("completion", "Print the bash completion script (eval \"$(vantorq-cli completion)\")");
  cmd->callback([&app, &action] {
    action = [&app] {
      const std::string script = bash_completion(app);
      std::fwrite(script.data(), 1, script.size(), stdout);
      return 0;
    };
  });
}

}  // namespace vq::cli
