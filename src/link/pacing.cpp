#include "link/pacing.hpp"

#include <string>
#include <thread>

namespace vq::link {

void PanelPacing::wait(std::chrono::milliseconds ms) { std::this_thread::sleep_for(ms); }

Result<std::unique_ptr<Pacing>> make_pacing(std::string_view name) {
  if (name == "panel") return std::make_unique<PanelPacing>();
  if (name == "none") return std::make_unique<NoPacing>();
  return fail("Неизвестный режим пауз: " + std::string(name) + " (ожидается panel или none)");
}

}  // namespace vq::link
