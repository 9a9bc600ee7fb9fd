#include <cstdio>

#include "cli/commands.hpp"
#include "link/system_search.hpp"

namespace vq::cli {

void add_identify_command(CLI::App& app, const GlobalOptions& options, Action& action) {
  auto* cmd = app.add_subcommand("identify", "Find the panel and print its type and firmware version");
  cmd->callback([&options, &action] {
    action = [&options]() -> int {
      auto ctx = Context::open(options);
      if (!ctx) return report_failure(ctx.error());
      auto found = link::connect_panel((*ctx)->session(), link::SearchKind::byte_wise);
      if (!found) return report_failure(found.error());
      std::printf("%s\n", link::identification_line(*found).c_str());
      return 0;
    };
  });
}

}  // namespace vq::cli
