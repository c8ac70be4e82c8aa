// Windows as Unix-domain sockets. One connection carries one request and its
// reply (docs/protocol.md). A thread per endpoint serves all its connections
// from one poll set: it answers pings itself and queues sent and posted
// messages for the owner, so a ping never waits for the owner, for any lock the
// owner holds, or for another peer.
#include "platform/window.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <random>
#include <system_error>
#include <thread>
#include <vector>

#include "base/byte_order.h"
#include "platform/posix/posix_util.h"
#include "platform/window_impl.h"

namespace rqx340 {

namespace {

using posix::FdOf;
using posix::OwnFd;
using UniqueFd = UniqueNativeHandle;
using Clock = std::chrono::steady_clock;

constexpr std::uint32_t kRequestMagic = 0x314D575A;  // "ZWM1"
constexpr std::uint32_t kReplyMagic = 0x3152575A;    // "ZWR1"
constexpr std::size_t kRequestSize = 20;
constexpr std::size_t kReplySize = 8;
enum RequestKind : std::uint32_t { kPing = 1, kSend = 2, kPost = 3 };

constexpr int kAnswerTimeoutMs = 1000;
constexpr std::size_t kMaxQueued = 1024;
// Connections an endpoint keeps open at once: peers still sending their
// request and senders whose message waits in the queue. Beyond it the oldest
// peer still sending is dropped, so idle connections cannot use up the
// process's descriptors or crowd out a ping.
constexpr std::size_t kMaxConnections = 128;
// How long the endpoint stops accepting when the process has no descriptor left.
constexpr int kAcceptPauseMs = 100;
constexpr int kBindAttempts = 64;

int RemainingMs(Clock::time_point deadline) {
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
  return left.count() < 0 ? 0 : static_cast<int>(left.count());
}

// Reads exactly `size` bytes; with a deadline, gives up when it passes.
bool ReadExact(int fd, std::span<std::byte> buffer, std::optional<Clock::time_point> deadline) {
  std::byte* data = buffer.data();
  std::size_t size = buffer.size();
  while (size > 0) {
    if (deadline) {
      pollfd entry{fd, POLLIN, 0};
      const int ready = poll(&entry, 1, RemainingMs(*deadline));
      if (ready < 0 && errno == EINTR) continue;
      if (ready <= 0) return false;
    }
    const ssize_t got = recv(fd, data, size, 0);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return false;
    data += got;
    size -= static_cast<std::size_t>(got);
  }
  return true;
}

// MSG_NOSIGNAL: a peer that went away is an error, not a SIGPIPE.
bool WriteAll(int fd, std::span<const std::byte> buffer) {
  return posix::WriteAll(buffer, [fd](std::span<const std::byte> rest, std::uint64_t) {
    return send(fd, rest.data(), rest.size(), MSG_NOSIGNAL);
  });
}

bool WriteReply(int fd, std::uint32_t result) {
  std::array<std::byte, kReplySize> reply{};
  PutUint32(reply, 0, kReplyMagic);
  PutUint32(reply, 4, result);
  return WriteAll(fd, reply);
}

std::optional<std::uint32_t> ReadReply(int fd, std::optional<Clock::time_point> deadline) {
  std::array<std::byte, kReplySize> reply{};
  if (!ReadExact(fd, reply, deadline)) return std::nullopt;
  if (GetUint32(reply, 0) != kReplyMagic) return std::nullopt;
  return GetUint32(reply, 4);
}

// The socket address of `name` in the session directory. Going through the
// directory's descriptor keeps the address short whatever the directory's path,
// and always names the directory that was checked.
std::optional<sockaddr_un> SocketAddress(const SessionDir& dir, std::string_view name) {
  std::string path = "/proc/self/fd/" + std::to_string(FdOf(dir.Handle()));
  struct stat info {};
  if (stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) {
    path += '/';
    path += name;
  } else {
    path = dir.PathOf(name);
  }
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  if (path.size() >= sizeof address.sun_path) return std::nullopt;
  path.copy(address.sun_path, path.size());
  return address;
}

bool SameUserPeer(int fd) {
  ucred credentials{};
  socklen_t length = sizeof credentials;
  if (getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &credentials, &length) != 0) return false;
  return credentials.uid == geteuid();
}

// Connects to a window's endpoint; with a timeout, a full backlog is not waited out.
// `failure` receives the errno of a failed connect.
UniqueFd ConnectTo(const SessionDir& dir, WindowHandle window, int timeout_ms,
                   int* failure = nullptr) {
  if (failure) *failure = 0;
  if (window == 0) return {};
  const auto address = SocketAddress(dir, WindowEndpointName(window));
  if (!address) return {};
  UniqueFd fd = OwnFd(socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
  if (!fd.Valid()) return {};
  if (timeout_ms >= 0) {
    timeval limit{timeout_ms / 1000, (timeout_ms % 1000) * 1000};
    setsockopt(FdOf(fd), SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
  }
  for (;;) {
    if (connect(FdOf(fd), reinterpret_cast<const sockaddr*>(&*address), sizeof *address) == 0)
      break;
    if (errno == EINTR) continue;
    if (errno == EISCONN) break;
    if (failure) *failure = errno;
    return {};
  }
  if (!SameUserPeer(FdOf(fd))) return {};
  return fd;
}

bool WriteRequest(int fd, RequestKind kind, const WindowMessage& message) {
  std::array<std::byte, kRequestSize> request{};
  PutUint32(request, 0, kRequestMagic);
  PutUint32(request, 4, kind);
  PutUint32(request, 8, message.message);
  PutUint32(request, 12, message.wparam);
  PutUint32(request, 16, static_cast<std::uint32_t>(message.lparam));
  return WriteAll(fd, request);
}

WindowHandle RandomHandle(std::mt19937& random) {
  for (;;) {
    const auto handle = static_cast<WindowHandle>(random());
    if (handle != 0) return handle;
  }
}

}  // namespace

// ---------------------------------------------------------------------------
// IncomingMessage

void IncomingMessage::Reply(std::uint32_t result) {
  if (!m_reply.Valid()) return;
  WriteReply(FdOf(m_reply), result);
  m_reply.Reset();
}

// ---------------------------------------------------------------------------
// MessageEndpoint

struct MessageEndpoint::State {
  explicit State(SessionDir session) : dir(std::move(session)) {}

  // Binds the endpoint of `candidate`. nullopt when a live window already has
  // the handle; an error text when binding failed for another reason.
  std::optional<std::string> Bind(WindowHandle candidate, bool& in_use);
  // A connection whose request has not all arrived yet.
  struct Peer {
    UniqueFd connection;
    std::array<std::byte, kRequestSize> request{};
    std::size_t received = 0;
    Clock::time_point deadline;
  };

  void Serve();
  // Reads what `peer` has sent; false when it is done with (answered, queued,
  // or dropped).
  bool ReadFrom(Peer& peer);
  void Dispatch(UniqueFd connection, std::span<const std::byte> request);
  void Accept(std::vector<Peer>& peers, Clock::time_point& paused_until);
  void Stop();

  SessionDir dir;
  WindowHandle handle = 0;
  std::string name;
  ino_t inode = 0;
  UniqueFd listener;
  UniqueFd wake;
  std::thread thread;
  MessageQueue queue{kMaxQueued};
};

MessageQueue& sys::QueueOf(MessageEndpoint::State& state) { return state.queue; }

std::optional<std::string> MessageEndpoint::State::Bind(WindowHandle candidate, bool& in_use) {
  in_use = false;
  const std::string candidate_name = WindowEndpointName(candidate);
  const auto address = SocketAddress(dir, candidate_name);
  if (!address) return "session directory path too long for a socket address: " + dir.Path();
  for (int attempt = 0; attempt < 2; ++attempt) {
    UniqueFd fd = OwnFd(socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (!fd.Valid()) return "cannot create a socket: " + posix::ErrnoText(errno);
    if (bind(FdOf(fd), reinterpret_cast<const sockaddr*>(&*address), sizeof *address) == 0) {
      if (listen(FdOf(fd), 64) != 0) {
        const int error = errno;
        unlinkat(FdOf(dir.Handle()), candidate_name.c_str(), 0);
        return "cannot listen on " + dir.PathOf(candidate_name) + ": " + posix::ErrnoText(error);
      }
      struct stat info {};
      if (fstatat(FdOf(dir.Handle()), candidate_name.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0) {
        inode = info.st_ino;
      }
      listener = std::move(fd);
      handle = candidate;
      name = candidate_name;
      return std::nullopt;
    }
    if (errno != EADDRINUSE) {
      return "cannot bind " + dir.PathOf(candidate_name) + ": " + posix::ErrnoText(errno);
    }
    // The name exists: a dead window's leftover refuses connections and is
    // replaced; anything else keeps it.
    int refused = 0;
    if (ConnectTo(dir, candidate, kAnswerTimeoutMs, &refused).Valid() || refused != ECONNREFUSED) {
      in_use = true;
      return std::nullopt;
    }
    unlinkat(FdOf(dir.Handle()), candidate_name.c_str(), 0);
  }
  return "cannot bind " + dir.PathOf(candidate_name) + ": it keeps coming back";
}

// Every connection is served from one poll set: a peer that connects and says
// nothing only holds a place in it until its second is up, and never delays a
// ping from anyone else.
void MessageEndpoint::State::Serve() {
  // Accept takes every waiting connection and must not block once they are taken.
  const int listener_flags = fcntl(FdOf(listener), F_GETFL);
  if (listener_flags != -1) fcntl(FdOf(listener), F_SETFL, listener_flags | O_NONBLOCK);
  std::vector<Peer> peers;  // oldest first
  Clock::time_point paused_until{};
  std::vector<pollfd> entries;
  for (;;) {
    const auto now = Clock::now();
    const bool accepting = now >= paused_until;
    entries.assign({{FdOf(wake), POLLIN, 0}, {accepting ? FdOf(listener) : -1, POLLIN, 0}});
    int timeout = accepting ? -1 : RemainingMs(paused_until) + 1;
    for (const Peer& peer : peers) {
      entries.push_back({FdOf(peer.connection), POLLIN, 0});
      const int left = RemainingMs(peer.deadline);
      timeout = timeout < 0 ? left : std::min(timeout, left);
    }
    const int ready = poll(entries.data(), entries.size(), timeout);
    if (ready < 0 && errno != EINTR) return;
    if (entries[0].revents != 0) return;

    // Peers first, by index into the set as it was polled; new ones come after.
    std::vector<Peer> kept;
    kept.reserve(peers.size());
    const auto checked = Clock::now();
    for (std::size_t i = 0; i < peers.size(); ++i) {
      Peer& peer = peers[i];
      const bool readable = ready > 0 && entries[i + 2].revents != 0;
      if (readable && !ReadFrom(peer)) continue;
      if (checked >= peer.deadline) continue;  // too slow: dropped
      kept.push_back(std::move(peer));
    }
    peers = std::move(kept);
    if (ready > 0 && (entries[1].revents & POLLIN) != 0) Accept(peers, paused_until);
  }
}

void MessageEndpoint::State::Accept(std::vector<Peer>& peers, Clock::time_point& paused_until) {
  for (;;) {
    UniqueFd connection =
        OwnFd(accept4(FdOf(listener), nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK));
    if (!connection.Valid()) {
      if (errno == EINTR || errno == ECONNABORTED) continue;
      if (errno == EMFILE || errno == ENFILE) {
        // Make room by the oldest idle peer, or wait a moment for some.
        if (!peers.empty()) {
          peers.erase(peers.begin());
          continue;
        }
        paused_until = Clock::now() + std::chrono::milliseconds(kAcceptPauseMs);
      }
      return;  // EAGAIN: every waiting connection is taken
    }
    if (!SameUserPeer(FdOf(connection))) continue;
    if (peers.size() + queue.QueuedSenders() >= kMaxConnections) {
      if (peers.empty()) continue;  // every place holds a sender: the newcomer goes
      peers.erase(peers.begin());
    }
    Peer peer;
    peer.connection = std::move(connection);
    peer.deadline = Clock::now() + std::chrono::milliseconds(kAnswerTimeoutMs);
    // A request that is already there is served at once.
    if (ReadFrom(peer)) peers.push_back(std::move(peer));
  }
}

bool MessageEndpoint::State::ReadFrom(Peer& peer) {
  for (;;) {
    const ssize_t got = recv(FdOf(peer.connection), peer.request.data() + peer.received,
                             peer.request.size() - peer.received, 0);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return true;
    if (got <= 0) return false;  // closed or failed before the request was whole
    peer.received += static_cast<std::size_t>(got);
    if (peer.received == peer.request.size()) {
      // The reply is written as one small blocking write, like every other.
      const int flags = fcntl(FdOf(peer.connection), F_GETFL);
      if (flags != -1) fcntl(FdOf(peer.connection), F_SETFL, flags & ~O_NONBLOCK);
      Dispatch(std::move(peer.connection), peer.request);
      return false;
    }
  }
}

void MessageEndpoint::State::Dispatch(UniqueFd connection, std::span<const std::byte> request) {
  if (GetUint32(request, 0) != kRequestMagic) return;
  const WindowMessage message{GetUint32(request, 8), GetUint32(request, 12), GetInt32(request, 16)};
  switch (GetUint32(request, 4)) {
    case kPing:
      WriteReply(FdOf(connection), 0);
      return;
    case kPost: {
      const bool queued = queue.Push(message, UniqueFd());
      // The reply goes first: the callback may take a while to wake its owner.
      WriteReply(FdOf(connection), queued ? 1 : 0);
      if (queued) queue.NotifyArrival();
      return;
    }
    case kSend:
      // A full queue drops the connection: the sender sees a failure.
      if (queue.Push(message, std::move(connection))) queue.NotifyArrival();
      return;
    default:
      return;
  }
}

void MessageEndpoint::State::Stop() {
  if (thread.joinable()) {
    const std::uint64_t one = 1;
    while (write(FdOf(wake), &one, sizeof one) < 0 && errno == EINTR) {
    }
    thread.join();
  }
  if (listener.Valid()) {
    // Remove the name only while it is still this endpoint's.
    struct stat info {};
    if (fstatat(FdOf(dir.Handle()), name.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0 &&
        info.st_ino == inode) {
      unlinkat(FdOf(dir.Handle()), name.c_str(), 0);
    }
    listener.Reset();
  }
}

MessageEndpoint::MessageEndpoint(std::unique_ptr<State> state) : m_state(std::move(state)) {}

MessageEndpoint::~MessageEndpoint() {
  if (m_state) m_state->Stop();
}

namespace {

Result<std::unique_ptr<MessageEndpoint::State>> NewState(const SessionDir& dir) {
  auto session = dir.Duplicate();
  if (!session) return Failure(session.ErrorText());
  auto state = std::make_unique<MessageEndpoint::State>(std::move(*session));
  state->wake = OwnFd(eventfd(0, EFD_CLOEXEC));
  if (!state->wake.Valid()) return Failure("cannot create an event: " + posix::ErrnoText(errno));
  return state;
}

Status StartServing(MessageEndpoint::State& state) {
  try {
    state.thread = std::thread([&state] { state.Serve(); });
  } catch (const std::system_error& failure) {
    return Failure(std::string("cannot start the window thread: ") + failure.what());
  }
  return {};
}

}  // namespace

Result<std::unique_ptr<MessageEndpoint>> MessageEndpoint::Create(const SessionDir& dir) {
  auto state = NewState(dir);
  if (!state) return Failure(state.ErrorText());
  std::random_device seed;
  std::mt19937 random(seed());
  for (int attempt = 0; attempt < kBindAttempts; ++attempt) {
    bool in_use = false;
    if (auto failure = (*state)->Bind(RandomHandle(random), in_use)) {
      return Failure(std::move(*failure));
    }
    if (in_use) continue;
    if (Status started = StartServing(**state); !started) {
      (*state)->Stop();
      return Failure(started.ErrorText());
    }
    return std::unique_ptr<MessageEndpoint>(new MessageEndpoint(std::move(*state)));
  }
  return Failure("no free window handle found");
}

Result<std::unique_ptr<MessageEndpoint>> MessageEndpoint::CreateWithHandle(const SessionDir& dir,
                                                                           WindowHandle handle) {
  if (handle == 0) return Failure("0 is not a window handle");
  auto state = NewState(dir);
  if (!state) return Failure(state.ErrorText());
  bool in_use = false;
  if (auto failure = (*state)->Bind(handle, in_use)) return Failure(std::move(*failure));
  if (in_use) return Failure("window " + WindowEndpointName(handle) + " is alive");
  if (Status started = StartServing(**state); !started) {
    (*state)->Stop();
    return Failure(started.ErrorText());
  }
  return std::unique_ptr<MessageEndpoint>(new MessageEndpoint(std::move(*state)));
}

WindowHandle MessageEndpoint::Handle() const { return m_state->handle; }

// ---------------------------------------------------------------------------
// SessionMessenger

bool SessionMessenger::IsWindow(WindowHandle window) {
  const auto deadline = Clock::now() + std::chrono::milliseconds(kAnswerTimeoutMs);
  UniqueFd fd = ConnectTo(m_dir, window, kAnswerTimeoutMs);
  if (!fd.Valid() || !WriteRequest(FdOf(fd), kPing, {})) return false;
  return ReadReply(FdOf(fd), deadline).has_value();
}

std::uint32_t SessionMessenger::Send(WindowHandle window, const WindowMessage& message) {
  UniqueFd fd = ConnectTo(m_dir, window, -1);
  if (!fd.Valid() || !WriteRequest(FdOf(fd), kSend, message)) return kSendFailed;
  return ReadReply(FdOf(fd), std::nullopt).value_or(kSendFailed);
}

bool SessionMessenger::Post(WindowHandle window, const WindowMessage& message) {
  const auto deadline = Clock::now() + std::chrono::milliseconds(kAnswerTimeoutMs);
  UniqueFd fd = ConnectTo(m_dir, window, kAnswerTimeoutMs);
  if (!fd.Valid() || !WriteRequest(FdOf(fd), kPost, message)) return false;
  return ReadReply(FdOf(fd), deadline).value_or(0) == 1;
}

}  // namespace rqx340
