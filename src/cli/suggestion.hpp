#pragma once
// For a command line that did not parse: the subcommand or option the user most likely
// meant ("identfy" -> "identify", "--devcie" -> "--device"), or "" when nothing is near.
#include <string>

#include <CLI/CLI.hpp>

namespace vq::cli {

std::string suggestion(const CLI::App& root, int argc, const char* const* argv);

}  // namespace vq::cli
