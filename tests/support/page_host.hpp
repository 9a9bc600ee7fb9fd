#pragma once
// A page host for page tests that need no window: it owns a configuration.
#include "memory/configuration.hpp"
#include "settings/ui/pages/settings_page.hpp"

namespace vq::test {

class TestPageHost : public gui::PageHost {
 public:
  memory::Configuration config;
  bool demo = false;
  memory::Configuration* configuration() override { return &config; }
  bool demo_mode() const override { return demo; }
};

}  // namespace vq::test
