// Times the language server as an editor uses it, over its pipes:
//   wqnprep_lsp_session WQNPREP SCRIPT [EDITS]   (default 10,000 edits)
// opens SCRIPT, then prints the medians and maxima of completion, hover, and diagnostics after
// a change (each waited for), and the server's resident memory before and after EDITS
// incremental changes (sent in bursts of 100, each burst waited for).
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using Json = nlohmann::json;
using Clock = std::chrono::steady_clock;

class Server {
 public:
  explicit Server(const char* program) {
    int in[2];
    int out[2];
    if (pipe(in) != 0 || pipe(out) != 0) throw std::runtime_error("pipe");
    pid_ = fork();
    if (pid_ == 0) {
      dup2(in[0], 0);
      dup2(out[1], 1);
      close(in[1]);
      close(out[0]);
      execl(program, program, "--lsp", static_cast<char*>(nullptr));
      _exit(127);
    }
    close(in[0]);
    close(out[1]);
    to_ = in[1];
    from_ = out[0];
  }
  int pid() const { return pid_; }

  void send(const Json& message) {
    const std::string body = message.dump();
    const std::string framed = "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
    for (std::size_t at = 0; at < framed.size();) {
      const ssize_t put = write(to_, framed.data() + at, framed.size() - at);
      if (put <= 0) throw std::runtime_error("the server stopped reading");
      at += static_cast<std::size_t>(put);
    }
  }

  // The next message's body, unparsed: the client's own parsing of large diagnostics would be
  // timed as the server's.
  std::string receive() {
    for (;;) {
      const std::size_t end = buffer_.find("\r\n\r\n");
      if (end != std::string::npos) {
        const std::size_t length = std::stoul(buffer_.substr(16, end - 16));
        if (buffer_.size() >= end + 4 + length) {
          std::string body = buffer_.substr(end + 4, length);
          buffer_.erase(0, end + 4 + length);
          return body;
        }
      }
      char block[65536];
      const ssize_t got = read(from_, block, sizeof block);
      if (got <= 0) throw std::runtime_error("the server stopped answering");
      buffer_.append(block, static_cast<std::size_t>(got));
    }
  }

  // Waits for the answer to request `id`, or for diagnostics when `id` is 0; the body.
  std::string await(int id) {
    const std::string wanted = id == 0 ? R"("method":"textDocument/publishDiagnostics")"
                                       : R"("id":)" + std::to_string(id) + ",";
    for (;;) {
      std::string body = receive();
      if (body.find(wanted) != std::string::npos) return body;
    }
  }

  void finish() {
    close(to_);
    int status = 0;
    waitpid(pid_, &status, 0);
  }

 private:
  int pid_ = -1;
  int to_ = -1;
  int from_ = -1;
  std::string buffer_;
};

// "VmRSS" or "VmHWM" of the process, in KiB.
long memoryKib(int pid, const std::string& field) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  for (std::string line; std::getline(status, line);) {
    if (line.rfind(field + ":", 0) == 0) return std::stol(line.substr(field.size() + 1));
  }
  return -1;
}

struct Times {
  std::vector<double> ms;
  void add(Clock::time_point start) {
    ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
  }
  std::string summary() {
    std::sort(ms.begin(), ms.end());
    char text[80];
    (void)std::snprintf(text, sizeof text, "median %.3f ms, max %.3f ms (%zu)", ms[ms.size() / 2],
                        ms.back(), ms.size());
    return text;
  }
};

Json position(std::size_t line, std::size_t character) {
  return {{"line", line}, {"character", character}};
}

}  // namespace

int main(int argc, char* argv[]) try {
  if (argc < 3) {
    (void)std::fprintf(stderr, "usage: %s WQNPREP SCRIPT [EDITS]\n", argv[0]);
    return 2;
  }
  const long edits = argc > 3 ? std::strtol(argv[3], nullptr, 10) : 10000;
  if (edits < 0) return 2;
  std::ifstream file(argv[2], std::ios::binary);
  std::stringstream text;
  text << file.rdbuf();
  const std::string script = text.str();
  const auto lines = static_cast<std::size_t>(std::count(script.begin(), script.end(), '\n'));
  const Json uri = "file:///bench.sql";
  const Json document = {{"uri", uri}};
  if (std::signal(SIGPIPE, SIG_IGN) == SIG_ERR) return 1;
  try {
    Server server(argv[1]);
    server.send({{"jsonrpc", "2.0"},
                 {"id", 1},
                 {"method", "initialize"},
                 {"params", {{"capabilities", Json::object()}}}});
    server.await(1);
    server.send({{"jsonrpc", "2.0"}, {"method", "initialized"}, {"params", Json::object()}});
    auto start = Clock::now();
    server.send({{"jsonrpc", "2.0"},
                 {"method", "textDocument/didOpen"},
                 {"params",
                  {{"textDocument",
                    {{"uri", uri}, {"languageId", "sql"}, {"version", 1}, {"text", script}}}}}});
    const Json opened = Json::parse(server.await(0));
    Times open;
    open.add(start);
    // A line of its own at the middle, edited and asked about there.
    const std::size_t middle = lines / 2;
    const std::string typed = "SELECT WQNRuleID::applicableForV";
    server.send({{"jsonrpc", "2.0"},
                 {"method", "textDocument/didChange"},
                 {"params",
                  {{"textDocument", {{"uri", uri}, {"version", 2}}},
                   {"contentChanges",
                    {{{"range", {{"start", position(middle, 0)}, {"end", position(middle, 0)}}},
                      {"text", typed + "\n"}}}}}}});
    server.await(0);
    Times completion;
    Times hover;
    Times diagnostics;
    int id = 10;
    for (int round = 0; round < 200; ++round) {
      start = Clock::now();
      server.send(
          {{"jsonrpc", "2.0"},
           {"id", ++id},
           {"method", "textDocument/completion"},
           {"params", {{"textDocument", document}, {"position", position(middle, typed.size())}}}});
      server.await(id);
      completion.add(start);
      start = Clock::now();
      server.send({{"jsonrpc", "2.0"},
                   {"id", ++id},
                   {"method", "textDocument/hover"},
                   {"params", {{"textDocument", document}, {"position", position(middle, 9)}}}});
      server.await(id);
      hover.add(start);
      start = Clock::now();
      const bool insert = round % 2 == 0;
      const Json at = position(middle, typed.size());
      const Json after = position(middle, typed.size() + 1);
      server.send({{"jsonrpc", "2.0"},
                   {"method", "textDocument/didChange"},
                   {"params",
                    {{"textDocument", {{"uri", uri}, {"version", ++id}}},
                     {"contentChanges",
                      {{{"range", {{"start", at}, {"end", insert ? at : after}}},
                        {"text", insert ? "E" : ""}}}}}}});
      server.await(0);
      diagnostics.add(start);
    }
    const long rssBefore = memoryKib(server.pid(), "VmRSS");
    const long peakBefore = memoryKib(server.pid(), "VmHWM");
    start = Clock::now();
    for (long edit = 0; edit < edits; ++edit) {
      // Typing and deleting a character at places spread over the document.
      const std::size_t line = (static_cast<std::size_t>(edit) / 2 * 7919) % lines;
      const bool insert = edit % 2 == 0;
      server.send(
          {{"jsonrpc", "2.0"},
           {"method", "textDocument/didChange"},
           {"params",
            {{"textDocument", {{"uri", uri}, {"version", ++id}}},
             {"contentChanges",
              {{{"range", {{"start", position(line, 0)}, {"end", position(line, insert ? 0 : 1)}}},
                {"text", insert ? "x" : ""}}}}}}});
      if (edit % 100 == 99) {
        server.send({{"jsonrpc", "2.0"},
                     {"id", ++id},
                     {"method", "textDocument/hover"},
                     {"params", {{"textDocument", document}, {"position", position(0, 0)}}}});
        server.await(id);
      }
    }
    const double editSeconds = std::chrono::duration<double>(Clock::now() - start).count();
    const long rssAfter = memoryKib(server.pid(), "VmRSS");
    const long peakAfter = memoryKib(server.pid(), "VmHWM");
    server.send({{"jsonrpc", "2.0"}, {"id", ++id}, {"method", "shutdown"}});
    server.await(id);
    server.send({{"jsonrpc", "2.0"}, {"method", "exit"}});
    server.finish();
    std::printf("document: %zu bytes, %zu lines, %zu findings\n", script.size(), lines,
                opened["params"]["diagnostics"].size());
    std::printf("open to diagnostics: %s\n", open.summary().c_str());
    std::printf("completion: %s\n", completion.summary().c_str());
    std::printf("hover: %s\n", hover.summary().c_str());
    std::printf("change to diagnostics: %s\n", diagnostics.summary().c_str());
    std::printf(
        "%ld edits in bursts of 100: %.2f s; resident %.1f MiB before, %.1f MiB after; "
        "peak %.1f MiB before, %.1f MiB after\n",
        edits, editSeconds, static_cast<double>(rssBefore) / 1024.0,
        static_cast<double>(rssAfter) / 1024.0, static_cast<double>(peakBefore) / 1024.0,
        static_cast<double>(peakAfter) / 1024.0);
  } catch (const std::exception& error) {
    (void)std::fprintf(stderr, "%s\n", error.what());
    return 1;
  }
  return 0;
} catch (...) {
  (void)std::fprintf(stderr, "failed\n");
  return 1;
}
