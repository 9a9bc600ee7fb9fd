// The link bridge over real sockets: record framing, the client transport against a
// scripted peer, and serve_bridge with a small echoing device, on TCP and Unix sockets.
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <atomic>
#include <cstring>
#include <deque>
#include <filesystem>
#include <fstream>
#include <future>
#include <mutex>
#include <thread>

#include "link/bridge_address.hpp"
#include "link/bridge_codec.hpp"
#include "link/bridge_server.hpp"
#include "link/bridge_socket.hpp"
#include "link/bridge_transport.hpp"
#include "link/frames.hpp"
#include "link/pacing.hpp"
#include "link/session.hpp"
#include "link/system_search.hpp"
#include "link/table_commands.hpp"
#include "link/device_link.hpp"
#include "sim/virtual_panel.hpp"

using namespace vq;
using namespace vq::link;
namespace fs = std::filesystem;
using std::chrono::milliseconds;

namespace {

// Generous limit for things that do arrive; only the time-out cases wait for nothing.
constexpr milliseconds kArrives{5000};
constexpr milliseconds kSilence{50};

Bytes pattern(std::size_t n, unsigned seed = 1) {
  Bytes b(n);
  for (std::size_t i = 0; i < n; ++i) b[i] = static_cast<std::uint8_t>(i * 7 + seed);
  return b;
}

Bytes header(std::uint16_t length) {
  Bytes b;
  append_u16(b, length);
  return b;
}

// Answers every transfer with its echo and then a two-byte record {0xEE, transfer number}.
class EchoDevice final : public DeviceSide {
 public:
  void receive(ByteView transfer) override {
    std::lock_guard lock(mutex_);
    received_.emplace_back(transfer.begin(), transfer.end());
    answers_.emplace_back(transfer.begin(), transfer.end());
    answers_.push_back(Bytes{0xEE, static_cast<std::uint8_t>(received_.size())});
  }
  std::optional<Bytes> take_answer() override {
    std::lock_guard lock(mutex_);
    if (answers_.empty()) return std::nullopt;
    Bytes a = std::move(answers_.front());
    answers_.pop_front();
    return a;
  }
  std::vector<Bytes> received() const {
    std::lock_guard lock(mutex_);
    return received_;
  }

 private:
  mutable std::mutex mutex_;
  std::vector<Bytes> received_;
  std::deque<Bytes> answers_;
};

// serve_bridge on its own thread; stopped and joined on destruction.
class RunningServer {
 public:
  RunningServer(DeviceSide& device, std::string listen_uri, int max_clients = 0,
                milliseconds idle_timeout = ServeOptions{}.idle_timeout) {
    std::promise<std::string> listening;
    auto bound = listening.get_future();
    thread_ = std::thread([this, &device, listen_uri, max_clients, idle_timeout, p = std::move(listening)]() mutable {
      ServeOptions o;
      o.stop = &stop_;
      o.max_clients = max_clients;
      o.idle_timeout = idle_timeout;
      bool told = false;
      o.on_listening = [&](const std::string& uri) {
        told = true;
        p.set_value(uri);
      };
      result_ = serve_bridge(device, listen_uri, o);
      if (!told) p.set_value("");
    });
    uri_ = bound.get();
  }
  ~RunningServer() { stop(); }

  void stop() {
    stop_ = true;
    join();
  }
  void join() {
    if (thread_.joinable()) thread_.join();
  }
  // Empty when serving failed to start; then failure() says why.
  const std::string& uri() const { return uri_; }
  std::string failure() const { return uri_.empty() && !result_ ? result_.error().full() : std::string(); }
  // Only once the thread has ended.
  const Result<>& result() const { return result_; }

 private:
  std::atomic<bool> stop_{false};
  Result<> result_;
  std::string uri_;
  std::thread thread_;
};

std::unique_ptr<Transport> connect(const std::string& uri) {
  auto endpoint = BridgeEndpoint::open(uri);
  EXPECT_TRUE(endpoint) << endpoint.error().full();
  if (!endpoint) return nullptr;
  auto d = (*endpoint)->discover();
  EXPECT_EQ(d.count, 1) << d.error;
  return std::move(d.transport);
}

// One read of up to n bytes; a failure fails the test.
Bytes read_once(Transport& t, std::size_t n) {
  Bytes buf(n);
  auto r = t.read(buf, kArrives);
  EXPECT_TRUE(r) << r.error().full();
  buf.resize(r ? *r : 0);
  return buf;
}

class TempDir {
 public:
  TempDir() {
    static std::atomic<int> counter{0};
    path_ = fs::temp_directory_path() /
            ("vq-bridge-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
    fs::create_directories(path_);
  }
  ~TempDir() {
    std::error_code ec;
    fs::remove_all(path_, ec);
  }
  fs::path operator/(const std::string& name) const { return path_ / name; }

 private:
  fs::path path_;
};

// ---------------------------------------------------------------- records

TEST(BridgeRecords, SurviveAnyCuttingOfTheStream) {
  const std::vector<Bytes> transfers = {pattern(1), pattern(2, 9), pattern(kMaxBridgeRecord, 3), pattern(300, 5)};
  Bytes stream;
  for (const auto& t : transfers) {
    auto r = encode_record(t);
    ASSERT_TRUE(r);
    EXPECT_EQ(get_u16(*r, 0), t.size());
    stream.insert(stream.end(), r->begin(), r->end());
  }
  for (std::size_t piece : {std::size_t{1}, std::size_t{3}, std::size_t{1000}, stream.size()}) {
    RecordReader reader;
    std::vector<Bytes> out;
    for (std::size_t at = 0; at < stream.size(); at += piece) {
      reader.feed(ByteView(stream).subspan(at, std::min(piece, stream.size() - at)));
      while (true) {
        auto rec = reader.next();
        ASSERT_TRUE(rec) << rec.error().full();
        if (!*rec) break;
        out.push_back(std::move(**rec));
      }
    }
    EXPECT_EQ(out, transfers) << "pieces of " << piece;
    EXPECT_EQ(reader.pending(), 0u);
  }
}

TEST(BridgeRecords, LengthsOutOfRangeAreRefused) {
  for (std::size_t n : {std::size_t{0}, kMaxBridgeRecord + 1}) {
    auto r = encode_record(pattern(n));
    ASSERT_FALSE(r) << n;
    EXPECT_EQ(r.error().code, kTransportIo);
  }
  for (std::uint16_t n : {std::uint16_t{0}, std::uint16_t{kMaxBridgeRecord + 1}, std::uint16_t{0xFFFF}}) {
    RecordReader reader;
    reader.feed(header(n));
    auto rec = reader.next();
    ASSERT_FALSE(rec) << n;
    EXPECT_NE(rec.error().text.find(std::to_string(n)), std::string::npos) << rec.error().text;
  }
}

// ---------------------------------------------------------------- addresses

struct UriCase {
  std::string uri;
  BridgeRole role;
  bool ok;
  std::string expect;  // ok: host/port or path as "host|port" / "path"; bad: a fragment of the reason
};

TEST(BridgeUri, ParsesWellFormedAndExplainsMalformed) {
  const std::string long_path = "/tmp/" + std::string(120, 'x');
  const std::vector<UriCase> cases = {
      {"tcp:127.0.0.1:5000", BridgeRole::connect, true, "127.0.0.1|5000"},
      {"tcp:localhost:1", BridgeRole::connect, true, "localhost|1"},
      {"tcp:panel-bridge.example.org:65535", BridgeRole::connect, true, "panel-bridge.example.org|65535"},
      {"tcp:[::1]:5000", BridgeRole::connect, true, "::1|5000"},
      {"tcp:[fe80::1%eth0]:7", BridgeRole::connect, true, "fe80::1%eth0|7"},
      {"tcp:127.0.0.1:0", BridgeRole::listen, true, "127.0.0.1|0"},
      {"unix:/tmp/panel.sock", BridgeRole::connect, true, "/tmp/panel.sock"},
      {"unix:relative.sock", BridgeRole::listen, true, "relative.sock"},
      {"tcp:127.0.0.1", BridgeRole::connect, false, "не указан порт"},
      {"tcp:127.0.0.1:", BridgeRole::connect, false, "не указан порт"},
      {"tcp::5000", BridgeRole::connect, false, "не указан хост"},
      {"tcp:127.0.0.1:0", BridgeRole::connect, false, "от 1 до 65535"},
      {"tcp:127.0.0.1:65536", BridgeRole::connect, false, "от 1 до 65535"},
      {"tcp:127.0.0.1:65536", BridgeRole::listen, false, "от 0 до 65535"},
      {"tcp:127.0.0.1:50x", BridgeRole::connect, false, "от 1 до 65535"},
      {"tcp:127.0.0.1:-1", BridgeRole::connect, false, "от 1 до 65535"},
      {"tcp:::1:5000", BridgeRole::connect, false, "квадратных скобках"},
      {"tcp:[::1]", BridgeRole::connect, false, "не указан порт"},
      {"tcp:[::1:5000", BridgeRole::connect, false, "скобки ]"},
      {"tcp:[::1]5000", BridgeRole::connect, false, "после ]"},
      {"tcp:[]:5000", BridgeRole::connect, false, "IPv6"},
      {"tcp:my host:5000", BridgeRole::connect, false, "недопустимые символы"},
      {"unix:", BridgeRole::connect, false, "не указан путь"},
      {"unix:" + long_path, BridgeRole::listen, false, "длиннее"},
      {"usb", BridgeRole::connect, false, "tcp:ХОСТ:ПОРТ или unix:ПУТЬ"},
      {"TCP:127.0.0.1:5000", BridgeRole::connect, false, "tcp:ХОСТ:ПОРТ или unix:ПУТЬ"},
      {"", BridgeRole::connect, false, "tcp:ХОСТ:ПОРТ или unix:ПУТЬ"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.uri);
    auto a = parse_bridge_uri(c.uri, c.role);
    ASSERT_EQ(a.has_value(), c.ok) << (a ? a->uri() : a.error().full());
    if (!c.ok) {
      EXPECT_NE(a.error().text.find("\"" + c.uri + "\""), std::string::npos) << a.error().text;
      EXPECT_NE(a.error().text.find(c.expect), std::string::npos) << a.error().text;
      continue;
    }
    if (a->kind == BridgeAddress::Kind::tcp)
      EXPECT_EQ(a->host + "|" + std::to_string(a->port), c.expect);
    else
      EXPECT_EQ(a->path, c.expect);
    EXPECT_EQ(a->uri(), c.uri);  // written back the way it was given
    EXPECT_TRUE(is_bridge_uri(c.uri));
  }
  EXPECT_FALSE(is_bridge_uri("usb"));
  EXPECT_FALSE(is_bridge_uri("sim"));
}

// ---------------------------------------------------------------- client against a scripted peer

// A bare listening socket the test writes raw bytes through, to act as a misbehaving bridge.
struct PeerLink {
  std::optional<Listener> listener;
  std::unique_ptr<Transport> transport;
  SocketFd peer;

  void open() {
    auto l = Listener::open(*parse_bridge_uri("tcp:127.0.0.1:0", BridgeRole::listen));
    ASSERT_TRUE(l) << l.error().full();
    listener.emplace(std::move(*l));
    transport = connect(listener->uri());
    ASSERT_TRUE(transport);
    ASSERT_TRUE(*wait_readable(listener->fd(), kArrives));
    auto c = listener->accept_client();
    ASSERT_TRUE(c && *c);
    peer = std::move(*c);
  }
  void send(const Bytes& raw) { ASSERT_TRUE(send_all(peer.get(), raw, kArrives)); }
  void send_record(const Bytes& payload) { send(*encode_record(payload)); }
};

class BridgePeer : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_NO_FATAL_FAILURE(link_.open()); }
  Transport& t() { return *link_.transport; }
  PeerLink link_;
};

TEST_F(BridgePeer, NothingSentIsATimeOut) {
  Bytes buf(64);
  auto r = t().read(buf, kSilence);
  ASSERT_FALSE(r);
  EXPECT_EQ(r.error().code, kTransportTimeout);
  EXPECT_EQ(r.error().text, "Прибор не отвечает");
}

TEST_F(BridgePeer, RecordArrivingInPiecesIsHandedOutWhole) {
  const Bytes payload = pattern(100);
  Bytes record = *encode_record(payload);
  link_.send(Bytes(record.begin(), record.begin() + 1));  // half a header
  Bytes buf(4096);
  auto r = t().read(buf, kSilence);
  ASSERT_FALSE(r);
  EXPECT_EQ(r.error().code, kTransportTimeout);

  link_.send(Bytes(record.begin() + 1, record.begin() + 40));  // the rest of it and part of the payload
  r = t().read(buf, kSilence);
  ASSERT_FALSE(r);
  EXPECT_EQ(r.error().code, kTransportTimeout);

  link_.send(Bytes(record.begin() + 40, record.end()));
  EXPECT_EQ(read_once(t(), 4096), payload);
}

TEST(BridgeClient, BrokenStreamFailsReadsAfterWhatArrivedIntact) {
  struct Case {
    const char* name;
    Bytes tail;  // what follows one good record
    int code;
  };
  const std::vector<Case> cases = {
      {"length 0", header(0), kTransportIo},
      {"length 4097", header(kMaxBridgeRecord + 1), kTransportIo},
      {"closed mid-record", Bytes{10, 0, 1, 2}, kTransportClosed},
      {"closed", {}, kTransportClosed},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    PeerLink link;
    ASSERT_NO_FATAL_FAILURE(link.open());
    Transport& t = *link.transport;
    link.send_record(pattern(5));
    if (!c.tail.empty()) link.send(c.tail);
    if (c.code == kTransportClosed) link.peer.reset();
    EXPECT_EQ(read_once(t, 64), pattern(5));
    Bytes buf(64);
    auto r = t.read(buf, kArrives);
    ASSERT_FALSE(r);
    EXPECT_EQ(r.error().code, c.code) << r.error().full();
    EXPECT_NE(r.error().text.find(link.listener->uri()), std::string::npos) << r.error().text;
    // Once out of step the link stays failed instead of misreading later bytes.
    EXPECT_FALSE(t.read(buf, kSilence));
    EXPECT_FALSE(t.write(pattern(3)));
  }
}

TEST_F(BridgePeer, WritesAreOneRecordEachAndBadSizesAreRefused) {
  for (std::size_t n : {std::size_t{0}, kMaxBridgeRecord + 1}) {
    auto w = t().write(pattern(n));
    ASSERT_FALSE(w) << n;
    EXPECT_EQ(w.error().code, kTransportIo);
  }
  // A refused write leaves the link usable and sends nothing.
  ASSERT_TRUE(t().write(pattern(1)));
  ASSERT_TRUE(t().write(pattern(kMaxBridgeRecord, 2)));
  t().flush();

  RecordReader reader;
  std::vector<Bytes> got;
  Bytes chunk(8192);
  while (got.size() < 2) {
    ASSERT_TRUE(*wait_readable(link_.peer.get(), kArrives));
    auto n = receive_some(link_.peer.get(), chunk);
    ASSERT_TRUE(n) << n.error().full();
    reader.feed(ByteView(chunk).first(*n));
    while (auto rec = reader.next()) {
      if (!*rec) break;
      got.push_back(std::move(**rec));
    }
  }
  EXPECT_EQ(got, (std::vector<Bytes>{pattern(1), pattern(kMaxBridgeRecord, 2)}));
}

TEST(BridgeClient, WriteToAVanishedPeerFailsWithoutKillingTheProcess) {
  auto l = Listener::open(*parse_bridge_uri("tcp:127.0.0.1:0", BridgeRole::listen));
  ASSERT_TRUE(l);
  auto t = connect(l->uri());
  ASSERT_TRUE(t);
  ASSERT_TRUE(*wait_readable(l->fd(), kArrives));
  auto peer = l->accept_client();
  ASSERT_TRUE(peer && *peer);
  peer->reset();
  // The first send may still be accepted by the kernel; the reset reaches us by the next ones.
  Result<> w;
  for (int i = 0; i < 100 && w; ++i) w = t->write(pattern(1000));
  ASSERT_FALSE(w);
  EXPECT_EQ(w.error().code, kTransportClosed) << w.error().full();
}

TEST(BridgeClient, DiscoverWithNobodyListeningFindsNoPanelAndSaysWhy) {
  TempDir dir;
  std::string closed_tcp;
  {
    auto l = Listener::open(*parse_bridge_uri("tcp:127.0.0.1:0", BridgeRole::listen));
    ASSERT_TRUE(l);
    closed_tcp = l->uri();
  }  // the port is free again and nobody listens on it
  for (const std::string& uri : {closed_tcp, "unix:" + (dir / "absent.sock").string()}) {
    SCOPED_TRACE(uri);
    auto endpoint = BridgeEndpoint::open(uri);
    ASSERT_TRUE(endpoint);
    EXPECT_EQ((*endpoint)->describe(), uri);
    auto d = (*endpoint)->discover();
    EXPECT_EQ(d.count, 0);
    EXPECT_FALSE(d.transport);
    const std::string prefix = "Нет связи с мостом " + uri + ": ";
    EXPECT_TRUE(d.error.starts_with(prefix)) << d.error;
    EXPECT_GT(d.error.size(), prefix.size()) << "the system's reason is missing";
  }
  EXPECT_FALSE(BridgeEndpoint::open("tcp:127.0.0.1"));
}

// ---------------------------------------------------------------- server and client, both socket kinds

enum class SocketKind { tcp, tcp6, local };

class BridgeServe : public ::testing::TestWithParam<SocketKind> {
 protected:
  void SetUp() override {
    if (GetParam() == SocketKind::tcp6 && !Listener::open(*parse_bridge_uri(listen_uri(), BridgeRole::listen)))
      GTEST_SKIP() << "no IPv6 loopback here";
  }

  std::string listen_uri() const {
    switch (GetParam()) {
      case SocketKind::tcp: return "tcp:127.0.0.1:0";
      case SocketKind::tcp6: return "tcp:[::1]:0";
      case SocketKind::local: break;
    }
    return "unix:" + (dir_ / "panel.sock").string();
  }

  TempDir dir_;
  EchoDevice device_;
};

TEST_P(BridgeServe, TransferBoundariesHoldBothWays) {
  RunningServer server(device_, listen_uri());
  ASSERT_FALSE(server.uri().empty()) << server.failure();
  if (GetParam() == SocketKind::local) {
    EXPECT_EQ(server.uri(), listen_uri());
  } else {
    // The port actually bound, written the way a client can use it.
    const std::string host = listen_uri().substr(0, listen_uri().size() - 1);
    EXPECT_TRUE(server.uri().starts_with(host)) << server.uri();
    EXPECT_NE(server.uri(), listen_uri());
  }
  auto t = connect(server.uri());
  ASSERT_TRUE(t);

  const std::vector<Bytes> sent = {pattern(1), pattern(7, 2), pattern(kMaxBridgeRecord, 3)};
  for (const auto& s : sent) ASSERT_TRUE(t->write(s));
  // Each answer comes back as its own transfer even though all of them are waiting.
  for (std::size_t i = 0; i < sent.size(); ++i) {
    EXPECT_EQ(read_once(*t, kMaxBridgeRecord), sent[i]);
    EXPECT_EQ(read_once(*t, kMaxBridgeRecord), (Bytes{0xEE, static_cast<std::uint8_t>(i + 1)}));
  }
  server.stop();
  EXPECT_TRUE(server.result()) << server.result().error().full();
  EXPECT_EQ(device_.received(), sent);
}

TEST_P(BridgeServe, ReadsTakeFromTheOldestAnswerAndLeaveTheRest) {
  RunningServer server(device_, listen_uri());
  auto t = connect(server.uri());
  ASSERT_TRUE(t);
  const Bytes answer = pattern(258, 4);

  ASSERT_TRUE(t->write(answer));
  Bytes got;
  for (std::size_t n : {1, 1, 64, 64, 64, 64}) {
    Bytes piece = read_once(*t, n);
    EXPECT_EQ(piece.size(), n);
    got.insert(got.end(), piece.begin(), piece.end());
  }
  EXPECT_EQ(got, answer);
  EXPECT_EQ(read_once(*t, 64), (Bytes{0xEE, 1}));

  // A read as large as the answer gets it whole and nothing of the record behind it.
  ASSERT_TRUE(t->write(answer));
  EXPECT_EQ(read_once(*t, 258), answer);
  EXPECT_EQ(read_once(*t, 4096), (Bytes{0xEE, 2}));

  // What has arrived outlives a flush.
  const Bytes small = pattern(3);
  ASSERT_TRUE(t->write(small));
  EXPECT_EQ(read_once(*t, 1), Bytes{small[0]});
  t->flush();
  EXPECT_EQ(read_once(*t, 64), Bytes(small.begin() + 1, small.end()));
  EXPECT_EQ(read_once(*t, 64), (Bytes{0xEE, 3}));
}

TEST_P(BridgeServe, ServesTheNextClientAfterOneLeavesOrMisbehaves) {
  RunningServer server(device_, listen_uri(), /*max_clients=*/3);

  auto first = connect(server.uri());
  ASSERT_TRUE(first);
  ASSERT_TRUE(first->write(pattern(4)));
  EXPECT_EQ(read_once(*first, 64), pattern(4));
  first.reset();

  // A peer that sends a bad length is dropped: it sees the stream end.
  auto address = parse_bridge_uri(server.uri());
  ASSERT_TRUE(address);
  auto rogue = connect_socket(*address, kArrives);
  ASSERT_TRUE(rogue) << rogue.error().full();
  ASSERT_TRUE(send_all(rogue->get(), header(0), kArrives));
  Bytes buf(16);
  Result<std::size_t> got = 0;
  while (got) {
    ASSERT_TRUE(*wait_readable(rogue->get(), kArrives));
    got = receive_some(rogue->get(), buf);
    ASSERT_TRUE(!got || *got == 0) << "the server answered a broken record";
  }
  EXPECT_EQ(got.error().code, kTransportClosed);

  auto third = connect(server.uri());
  ASSERT_TRUE(third);
  ASSERT_TRUE(third->write(pattern(6)));
  EXPECT_EQ(read_once(*third, 64), pattern(6));
  third.reset();

  server.join();  // ends by itself after the third client
  EXPECT_TRUE(server.result()) << server.result().error().full();
  EXPECT_EQ(device_.received(), (std::vector<Bytes>{pattern(4), pattern(6)}));
}

TEST_P(BridgeServe, AnIdleClientIsDroppedSoTheNextOneIsServed) {
  // Short enough that the waiting client is served well within kArrives; the default
  // (10 s) would leave it unserved.
  RunningServer server(device_, listen_uri(), /*max_clients=*/2, milliseconds{200});
  auto address = parse_bridge_uri(server.uri());
  ASSERT_TRUE(address);
  auto idle = connect_socket(*address, kArrives);
  ASSERT_TRUE(idle) << idle.error().full();

  auto next = connect(server.uri());
  ASSERT_TRUE(next);
  ASSERT_TRUE(next->write(pattern(5)));
  EXPECT_EQ(read_once(*next, 64), pattern(5));

  // The idle one was shown the door: its stream has ended.
  ASSERT_TRUE(*wait_readable(idle->get(), kArrives));
  Bytes buf(16);
  auto got = receive_some(idle->get(), buf);
  ASSERT_FALSE(got);
  EXPECT_EQ(got.error().code, kTransportClosed);
  next.reset();
  server.join();
  EXPECT_TRUE(server.result()) << server.result().error().full();
}

INSTANTIATE_TEST_SUITE_P(Sockets, BridgeServe, ::testing::Values(SocketKind::tcp, SocketKind::tcp6, SocketKind::local),
                         [](const auto& p) {
                           switch (p.param) {
                             case SocketKind::tcp: return "Tcp";
                             case SocketKind::tcp6: return "Tcp6";
                             case SocketKind::local: break;
                           }
                           return "Unix";
                         });

// ---------------------------------------------------------------- the server's socket file

// A socket file left behind by a process that died without removing it.
void leave_stale_socket(const fs::path& path) {
  const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
  ASSERT_GE(fd, 0);
  sockaddr_un sa{};
  sa.sun_family = AF_UNIX;
  const std::string p = path.string();
  ASSERT_LT(p.size(), sizeof sa.sun_path);
  std::memcpy(sa.sun_path, p.c_str(), p.size() + 1);
  ASSERT_EQ(::bind(fd, reinterpret_cast<const sockaddr*>(&sa), sizeof sa), 0);
  ::close(fd);
}

TEST(BridgeServeSocketFile, ReplacesAStaleSocketButNeverAnotherFile) {
  TempDir dir;
  EchoDevice device;
  const fs::path path = dir / "panel.sock";
  const std::string uri = "unix:" + path.string();

  leave_stale_socket(path);
  ASSERT_TRUE(fs::is_socket(path));
  {
    RunningServer server(device, uri);
    ASSERT_EQ(server.uri(), uri) << server.failure();
    auto t = connect(uri);
    ASSERT_TRUE(t);
    ASSERT_TRUE(t->write(pattern(2)));
    EXPECT_EQ(read_once(*t, 64), pattern(2));

    // A second server on the same live socket must not steal it.
    std::atomic<bool> stop{true};
    auto second = serve_bridge(device, uri, stop);
    EXPECT_FALSE(second);
    EXPECT_TRUE(fs::is_socket(path));
  }
  EXPECT_FALSE(fs::exists(path)) << "the socket file is removed on exit";

  std::ofstream(path) << "not a socket";
  std::atomic<bool> stop{true};
  auto r = serve_bridge(device, uri, stop);
  ASSERT_FALSE(r);
  EXPECT_NE(r.error().full().find(path.string()), std::string::npos) << r.error().full();
  std::ifstream in(path);
  std::string kept;
  std::getline(in, kept);
  EXPECT_EQ(kept, "not a socket");
}

TEST(BridgeServeSocketFile, RefusesAMalformedListenAddress) {
  EchoDevice device;
  std::atomic<bool> stop{true};
  for (const char* uri : {"tcp:127.0.0.1", "unix:", "usb"}) {
    auto r = serve_bridge(device, uri, stop);
    ASSERT_FALSE(r) << uri;
    EXPECT_NE(r.error().text.find("Неверный адрес моста"), std::string::npos) << r.error().text;
  }
}

}  // namespace

// ---------------------------------------------------------------- the virtual panel behind the bridge

namespace {

struct PanelClient {
  explicit PanelClient(const std::string& uri) : link(open_link(uri)) { EXPECT_EQ(link->discover(), 1); }
  static std::unique_ptr<DeviceLink> open_link(const std::string& uri) {
    auto endpoint = BridgeEndpoint::open(uri);
    EXPECT_TRUE(endpoint) << endpoint.error().full();
    return std::make_unique<DeviceLink>(endpoint ? std::shared_ptr<Endpoint>(std::move(*endpoint)) : nullptr);
  }
  std::unique_ptr<DeviceLink> link;
  NoPacing pacing;
  Session session{*link, pacing, nullptr};
};

// One raw record on a fresh connection, then gone without reading a thing.
void send_and_leave(const std::string& uri, ByteView transfer) {
  auto address = parse_bridge_uri(uri);
  ASSERT_TRUE(address);
  auto peer = connect_socket(*address, kArrives);
  ASSERT_TRUE(peer) << peer.error().full();
  auto record = encode_record(transfer);
  ASSERT_TRUE(record);
  ASSERT_TRUE(send_all(peer->get(), *record, kArrives));
}

}  // namespace

TEST(BridgePanel, AClientLeavingMidExchangeNeitherBreaksTheNextNorLosesWhatWasWritten) {
  sim::VirtualPanel panel;
  RunningServer server(panel, "tcp:127.0.0.1:0");
  ASSERT_FALSE(server.uri().empty()) << server.failure();
  constexpr std::uint32_t kAddress = 0x2000;
  const Bytes written = pattern(300, 9);
  {
    PanelClient writer(server.uri());
    ASSERT_TRUE(WriteBlockToPanel(writer.session, kAddress, written));
  }

  // What each one leaves behind: the head of a frame announcing 250 parameter bytes; a table
  // write announced and cut off after its header; and bytes that are no frame at all.
  const Bytes search = build_request(Convention::A, kCmdSystemSearch, {});
  Bytes long_frame_head = build_request(Convention::A, kCmdTableWrite, Bytes(250, 0x11));
  long_frame_head.resize(6);
  struct Leaver {
    const char* what;
    std::function<void(const std::string&)> leave;
  };
  const Leaver leavers[] = {
      {"half a frame", [&](const std::string& uri) { send_and_leave(uri, long_frame_head); }},
      {"a write cut off",
       [&](const std::string& uri) {
         PanelClient c(uri);
         ASSERT_TRUE(write_transfer_parameters(c.session, 0, kAddress, 600));
         // The header of the write: two blocks to come, never sent.
         ASSERT_TRUE(c.link->write_bytes(table_write_header(3, kTableDirect, kAddress)));
         c.link->flush(DeviceLink::Pipe::write);
       }},
      {"garbage", [&](const std::string& uri) { send_and_leave(uri, pattern(97, 3)); }},
      {"a question not waited for", [&](const std::string& uri) { send_and_leave(uri, search); }},
  };
  for (const auto& l : leavers) {
    l.leave(server.uri());
    PanelClient next(server.uri());
    auto found = FindSystem(next.session);
    ASSERT_TRUE(found) << "after " << l.what << ": " << found.error().full();
    EXPECT_EQ(found->device_type, 630) << l.what;
    Bytes back(written.size());
    ASSERT_TRUE(ReadBlockFromPanel(next.session, kAddress, back)) << l.what;
    EXPECT_EQ(back, written) << "after " << l.what;
  }
}
