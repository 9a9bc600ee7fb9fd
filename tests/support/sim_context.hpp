#pragma once
// The run's facts for a window under test: its files in a scratch folder, the built-in
// virtual panel, no protocol waits, a short answer time-out.
#include <QTemporaryDir>

#include "shell/ui/app_context.hpp"
#include "sim/demo_panel.hpp"

namespace vq::test {

inline gui::AppContext sim_context(const QTemporaryDir& dir, int timeout_ms = 300, bool demo_contents = true) {
  gui::AppContext ctx;
  ctx.program_path = (dir.path() + "/vantorq").toStdString();
  ctx.data_dir = (dir.path() + "/data").toStdString();
  ctx.preferences_file = (dir.path() + "/vantorq.ini").toStdString();
  ctx.device = "sim";
  ctx.pacing = "none";
  ctx.timeout_ms = timeout_ms;
  ctx.sim_panel = sim::make_panel(demo_contents);
  return ctx;
}

}  // namespace vq::test
