// How long a settings page takes from the click on its tree node to the page painted:
// the tree's own 10 ms change notice, the page's show operation over the whole
// configuration, and one synchronous paint of the window. The largest pages are measured
// with every slot in use (250 registered radio devices, 96 named partitions, 250 bound
// outputs, 1000 identifiers, 768 active speech notices). Offscreen platform:
//   QT_QPA_PLATFORM=offscreen vq_gui_page_paint [--runs N]
#include <QApplication>
#include <QElapsedTimer>
#include <QTreeWidget>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include "memory/configuration.hpp"
#include "settings/ui/dev_settings_form.hpp"
#include "settings/ui/navigator/navigator.hpp"
#include "shell/ui/ui_services.hpp"

namespace {

using vq::gui::Node;
using vq::memory::ImageId;

class SilentUi final : public vq::gui::UiServices {
 public:
  void show_message(QWidget*, vq::gui::BoxIcon, const QString&, const QString&) override {}
  bool ask(QWidget*, vq::gui::BoxIcon, const QString&, const QString&) override { return false; }
  bool run_dialog(QDialog*) override { return false; }
};

// Every slot in use, so each page shows its most.
void fill(vq::memory::Configuration& c) {
  auto parts = c.image(ImageId::partitions).data();
  auto names = c.image(ImageId::partition_names).data();
  for (std::size_t p = 0; p < 96; ++p) {
    parts[2 * p] = static_cast<std::uint8_t>(p % 6 == 1 ? 0 : p % 6);
    names[p] = static_cast<std::uint8_t>(p % 2 ? p % 56 : 63);
    for (std::size_t i = 0; i < 8; ++i) names[105 + 8 * p + i] = static_cast<std::uint8_t>(0xE0 + (p + i) % 32);
  }
  auto devices = c.image(ImageId::radio_devices).data();
  devices[0] = 250;
  const std::uint8_t types[] = {1, 2, 3, 4, 5, 35, 65, 66, 70, 90, 226, 228};
  for (std::size_t n = 0; n < 250; ++n) {
    devices[6 + 2 * n] = types[n % std::size(types)];
    devices[7 + 2 * n] = static_cast<std::uint8_t>(n % 96 + 1);
  }
  auto outputs = c.image(ImageId::system_outputs).data();
  for (std::size_t n = 0; n < 250; ++n) {
    outputs[20 * n] = static_cast<std::uint8_t>(0x20 | (n % 2));
    outputs[20 * n + 1] = static_cast<std::uint8_t>(n + 1);
    outputs[20 * n + 2] = static_cast<std::uint8_t>(n % 8);
    outputs[20 * n + 8 + n % 12] = 0x5A;
  }
  auto remote = c.page(vq::memory::PageId::remote_control).data();
  auto remote_users = c.page(vq::memory::PageId::remote_control_users).data();
  remote[0] = 8;
  for (std::size_t i = 0; i < 8; ++i) {
    const std::size_t at = 3 + 32 * i;
    for (std::size_t k = 0; k < 8; ++k) remote[at + k] = static_cast<std::uint8_t>('1' + (i + k) % 9);
    remote[at + 8] = 0xFF;
    remote[at + 9] = 0x0F;
    for (std::size_t k = 16; k < 32; ++k) remote[at + k] = 0x79;
    remote_users[2 + 2 * i] = static_cast<std::uint8_t>(i + 1);
  }
  // 1000 identifiers of 250 users, four each, kinds in turn.
  auto records = c.image(ImageId::identifier_records).data();
  auto codes = c.image(ImageId::identifier_codes).data();
  auto links = c.image(ImageId::identifier_partitions).data();
  for (std::size_t s = 0; s < 1000; ++s) {
    const std::size_t at = 4 + 11 * s;
    records[at] = static_cast<std::uint8_t>(s / 4 + 1);
    records[at + 2] = static_cast<std::uint8_t>(s % 4 + 1);
    records[at + 6] = static_cast<std::uint8_t>((s + 1) & 0xFF);
    records[at + 7] = static_cast<std::uint8_t>((s + 1) >> 8);
    records[at + 8] = static_cast<std::uint8_t>(s % 5);
    records[at + 9] = static_cast<std::uint8_t>(16 * (s % 3 + 1));
    for (std::size_t i = 0; i < 6; ++i) codes[5 + 6 * s + i] = static_cast<std::uint8_t>(0x30 + (s + i) % 10);
    links[4 + 12 * s + s % 12] = 0xA5;
  }
}

// Eight recipients, each on its own GSM channel, all categories, every partition.
void fill_recipients(vq::memory::Configuration& c) {
  using vq::memory::PageId;
  auto phones = c.page(PageId::phone_numbers).data();
  auto channels = c.page(PageId::channels).data();
  auto recipients = c.page(PageId::recipients).data();
  auto served = c.page(PageId::recipient_partitions).data();
  phones[0] = channels[0] = recipients[0] = 8;
  phones[2] = 12;
  for (std::size_t k = 0; k < 8; ++k) {
    for (std::size_t i = 0; i < 12; ++i) phones[3 + 12 * k + i] = i < 5 ? static_cast<std::uint8_t>(0x79 - k) : 0xFF;
    const std::size_t ch = 1 + 11 * k;
    channels[ch] = static_cast<std::uint8_t>(k + 1);
    channels[ch + 4] = 0x08;
    channels[ch + 5] = 2;
    channels[ch + 6] = static_cast<std::uint8_t>(k + 1);
    const std::size_t r = 2 + 11 * k;
    recipients[r] = static_cast<std::uint8_t>(k + 1);
    recipients[r + 2] = 0x3F;
    recipients[r + 4] = 6;
  }
  for (std::size_t p = 1; p <= 96; ++p) served[3 + p] = 0xFF;
  // All 768 speech messages active, each bound to a few partitions.
  auto speech = c.image(ImageId::speech_notices).data();
  auto speech_parts = c.image(ImageId::speech_notice_partitions).data();
  for (std::size_t k = 0; k < 768; ++k) {
    speech[4 * k] = 1;
    speech[4 * k + 1] = static_cast<std::uint8_t>(k % 9);
    speech[4 * k + 2] = static_cast<std::uint8_t>(3 + k % 58);
    speech[4 * k + 3] = static_cast<std::uint8_t>(k % 241);
    for (std::size_t p = k % 5; p < 96; p += 5) speech_parts[96 * p + k / 8] |= static_cast<std::uint8_t>(1u << (k % 8));
  }
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  int runs = 30;
  for (int i = 1; i + 1 < argc; ++i)
    if (!std::strcmp(argv[i], "--runs")) runs = std::max(1, std::atoi(argv[++i]));
  vq::gui::set_ui(std::make_unique<SilentUi>());

  vq::gui::AppContext ctx;
  ctx.program_path = "/tmp/vantorq-bench/vantorq";
  ctx.data_dir = "/tmp/vantorq-bench/data";
  ctx.preferences_file = "/tmp/vantorq-bench/none.ini";
  ctx.device = "sim";
  vq::gui::TQDevSettingsForm form(ctx);
  form.resize(1000, 700);
  form.show();
  app.processEvents();
  fill(*form.configuration());
  fill_recipients(*form.configuration());
  auto& nav = *form.navigator();

  struct Target {
    const char* name;
    Node node;
  };
  const Target targets[] = {
      {"Изменение параметров устройств (250 radio devices)", Node::radio_net_dev},
      {"Назначение в разделы (250 devices, 3 loops)", Node::rpdi},
      {"Настройка разделов (96 partitions)", Node::razdel_cfg},
      {"Наименование разделов (96 partitions)", Node::razdel_name},
      {"Назначение в системе (250 outputs)", Node::sys_out_sign},
      {"Настройка выходов (250 outputs)", Node::sys_out_set},
      {"Дистанционное (8 remote control records)", Node::remote_ctrl},
      {"Идентификаторы (1000 identifiers)", Node::ctrl_id},
      {"Телефоны получателей (8 recipients, 96 partitions)", Node::tel_rcpnts},
      {"Речевое оповещение (768 notices, every zone open)", Node::speech_notice},
  };
  // The speech list with all 96 zone groups open shows its most rows.
  if (auto* speech = form.findChild<QTreeWidget*>(QStringLiteral("SpeechNoticeLV"))) speech->expandAll();
  auto visit = [&](Node node) {
    nav.tree()->setCurrentItem(nav.node_item(node));
    // The tree reports the change 10 ms after it happens; the show runs then.
    while (nav.pending_action() != vq::gui::PageAction::none) app.processEvents(QEventLoop::WaitForMoreEvents);
    form.repaint();
  };
  std::printf("node click to page painted, %d runs each (the tree's own 10 ms change notice included)\n", runs);
  for (const auto& t : targets) {
    std::vector<double> ms;
    for (int r = 0; r < runs; ++r) {
      visit(Node::equipment);
      QElapsedTimer clock;
      clock.start();
      visit(t.node);
      ms.push_back(static_cast<double>(clock.nsecsElapsed()) / 1e6);
    }
    std::sort(ms.begin(), ms.end());
    // Names last: printf pads bytes, not Cyrillic letters.
    std::printf("median %5.1f ms  max %5.1f ms  %s\n", ms[ms.size() / 2], ms.back(), t.name);
  }
  return 0;
}
