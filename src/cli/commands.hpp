#pragma once
// Each command registers itself on the app and leaves the action to run after parsing.
#include <functional>

#include <CLI/CLI.hpp>

#include "cli/context.hpp"

namespace vq::cli {

using Action = std::function<int()>;

void add_identify_command(CLI::App& app, const GlobalOptions& options, Action& action);
void add_sim_command(CLI::App& app, const GlobalOptions& options, Action& action);
void add_config_command(CLI::App& app, const GlobalOptions& options, Action& action);
void add_log_command(CLI::App& app, const GlobalOptions& options, Action& action);
void add_firmware_command(CLI::App& app, const GlobalOptions& options, Action& action);
// Needs the whole app: it prints the completion of every command.
void add_completion_command(CLI::App& app, Action& action);
void add_usb_command(CLI::App& app, const GlobalOptions& options, Action& action);

}  // namespace vq::cli
