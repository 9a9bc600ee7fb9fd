#include "sim/relay_module.hpp"

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <utility>

#include "link/rs485/frame.hpp"

namespace vq::sim {

namespace rs = link::rs485;

void RelayModule::feed(ByteView bytes) {
  input_.insert(input_.end(), bytes.begin(), bytes.end());
  for (;;) {
    // Resynchronise on the preamble; anything before it is noise.
    std::size_t start = 0;
    while (start < input_.size() &&
           !(input_[start] == 0xFF && (start + 1 == input_.size() || input_[start + 1] == 0x55)))
      ++start;
    input_.erase(input_.begin(), input_.begin() + static_cast<std::ptrdiff_t>(start));
    if (input_.size() < 5) return;
    const std::size_t n = rs::kFrameOverhead + input_[4];
    if (input_.size() < n) return;
    handle(ByteView(input_).first(n));
    input_.erase(input_.begin(), input_.begin() + static_cast<std::ptrdiff_t>(n));
  }
}

Bytes RelayModule::take_output() { return std::exchange(output_, {}); }

Bytes RelayModule::image() const {
  Bytes out;
  if (!announce_ || announce_->blocks_plus_one < 1) return out;
  for (std::uint16_t b = 1; b < announce_->blocks_plus_one; ++b) {
    auto it = blocks_.find(b);
    if (it != blocks_.end())
      out.insert(out.end(), it->second.begin(), it->second.end());
    else
      out.insert(out.end(), rs::kBlockSize, 0);
  }
  return out;
}

void RelayModule::handle(ByteView frame) {
  auto f = rs::decode_frame(frame);
  if (!f) {
    ++bad_frames_;
    return;
  }
  switch (f->command) {
    case rs::kCmdAck:
      ++acks_;
      return;
    case rs::kCmdFindSystem: {
      ++searches_;
      Bytes d;
      append_u16(d, identity_.device_type);
      append_u16(d, identity_.platform);
      d.insert(d.end(), identity_.version.begin(), identity_.version.end());
      d.insert(d.end(), 4, 0);
      answer(f->txn, rs::kCmdFindSystem, d);
      return;
    }
    case rs::kCmdScenarioControl: {
      if (f->data.size() != 1) break;
      scenario_codes_.push_back(f->data[0]);
      Bytes d;
      // Only code 4 names a place; other codes get an empty one.
      const Target t = f->data[0] == 4 ? target_ : Target{0, 0, 0};
      append_u16(d, t.table);
      append_u32(d, t.address);
      append_u32(d, t.length);
      answer(f->txn, rs::kCmdScenarioControl, d);
      return;
    }
    case rs::kCmdWriteTable: {
      if (f->data.size() == 23) {
        if (refused()) return answer_write(f->txn, faults_.refuse_code);
        Announce a;
        a.blocks_plus_one = get_u16(f->data, 2);
        a.table = get_u16(f->data, 4);
        a.address = get_u32(f->data, 6);
        a.header.assign(f->data.begin() + 12, f->data.end());
        announce_ = std::move(a);
        blocks_.clear();
        return answer_write(f->txn, 0);
      }
      if (f->data.size() == 2 + rs::kBlockSize) {
        if (refused()) return answer_write(f->txn, faults_.refuse_code);
        if (!announce_) return answer_write(f->txn, kNoAnnounce);
        const std::uint16_t number = get_u16(f->data, 0);
        if (number < 1 || number >= announce_->blocks_plus_one) return answer_write(f->txn, kBadBlock);
        blocks_[number].assign(f->data.begin() + 2, f->data.end());
        return answer_write(f->txn, 0);
      }
      break;
    }
    default:
      break;
  }
  ++bad_frames_;
}

bool RelayModule::refused() {
  if (faults_.refuse_next <= 0) return false;
  --faults_.refuse_next;
  return true;
}

void RelayModule::answer_write(std::uint16_t txn, std::uint8_t code) {
  const std::uint8_t d[1] = {code};
  answer(txn, rs::kCmdWriteTable, d);
}

void RelayModule::answer(std::uint16_t txn, std::uint8_t command, ByteView data) {
  if (faults_.silent) return;
  Bytes f = rs::build_frame(txn, command, data);
  if (faults_.corrupt_crc) std::swap(f[f.size() - 2], f[f.size() - 1]);
  output_.insert(output_.end(), f.begin(), f.end());
}

Result<> RelayModuleAdapter::write(ByteView data) {
  module_.feed(data);
  auto out = module_.take_output();
  pending_.insert(pending_.end(), out.begin(), out.end());
  return {};
}

Result<std::size_t> RelayModuleAdapter::read(std::span<std::uint8_t> buf, link::rs485::Millis) {
  // Answers are ready the moment the request is written, so there is nothing to wait for.
  const std::size_t n = std::min(buf.size(), pending_.size());
  std::copy_n(pending_.begin(), n, buf.begin());
  pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(n));
  return n;
}

void RelayModuleAdapter::purge() { pending_.clear(); }

// ---- pseudo-terminal ----

namespace {

bool make_raw(int fd) {
  termios t{};
  if (::tcgetattr(fd, &t) != 0) return false;
  ::cfmakeraw(&t);
  return ::tcsetattr(fd, TCSANOW, &t) == 0;
}

}  // namespace

RelayPty::RelayPty(RelayPty&& other) noexcept
    : master_(std::exchange(other.master_, -1)),
      slave_(std::exchange(other.slave_, -1)),
      slave_path_(std::move(other.slave_path_)) {}

RelayPty::~RelayPty() {
  if (slave_ >= 0) ::close(slave_);
  if (master_ >= 0) ::close(master_);
}

Result<RelayPty> open_relay_pty() {
  RelayPty p;
  p.master_ = ::posix_openpt(O_RDWR | O_NOCTTY);
  if (p.master_ < 0) return fail(Error{0, 0, "Не удалось создать псевдотерминал", std::strerror(errno)});
  if (::grantpt(p.master_) != 0 || ::unlockpt(p.master_) != 0)
    return fail(Error{0, 0, "Не удалось создать псевдотерминал", std::strerror(errno)});
  char name[128];
  if (::ptsname_r(p.master_, name, sizeof name) != 0)
    return fail(Error{0, 0, "Не удалось создать псевдотерминал", std::strerror(errno)});
  p.slave_path_ = name;
  p.slave_ = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (p.slave_ < 0) return fail(Error{0, 0, "Не удалось открыть " + p.slave_path_, std::strerror(errno)});
  // Raw on both ends: no echo, no line editing, every byte passes as it is.
  if (!make_raw(p.slave_) || !make_raw(p.master_))
    return fail(Error{0, 0, "Не удалось настроить псевдотерминал", std::strerror(errno)});
  return p;
}

void RelayPty::serve(RelayModule& module, const std::atomic<bool>& stop) {
  std::uint8_t buf[256];
  while (!stop.load()) {
    pollfd p{master_, POLLIN, 0};
    int r = ::poll(&p, 1, 20);
    if (r < 0 && errno != EINTR) return;
    if (r > 0 && (p.revents & (POLLNVAL | POLLERR))) return;  // nothing more will come
    if (r <= 0 || !(p.revents & POLLIN)) continue;
    auto n = ::read(master_, buf, sizeof buf);
    if (n <= 0) continue;
    module.feed(ByteView(buf, static_cast<std::size_t>(n)));
    Bytes out = module.take_output();
    std::size_t done = 0;
    while (done < out.size()) {
      auto w = ::write(master_, out.data() + done, out.size() - done);
      if (w < 0) {
        if (errno == EINTR || errno == EAGAIN) continue;
        return;
      }
      done += static_cast<std::size_t>(w);
    }
  }
  // Bytes the client wrote just before the stop (its last acknowledgement) are still heard:
  // the module's counters must not depend on how the scheduler ordered the two threads.
  for (;;) {
    pollfd p{master_, POLLIN, 0};
    if (::poll(&p, 1, 0) <= 0 || !(p.revents & POLLIN)) return;
    auto n = ::read(master_, buf, sizeof buf);
    if (n <= 0) return;
    module.feed(ByteView(buf, static_cast<std::size_t>(n)));
    (void)module.take_output();  // nobody reads answers any more
  }
}

}  // namespace vq::sim
