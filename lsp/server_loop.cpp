#include "lsp/server_loop.h"

#include <stdexcept>
#include <system_error>
#include <vector>

#include "lsp/language_server.h"
#include "lsp/message_reader.h"
#include "os/file.h"

namespace wqnprep::lsp {

int serveStandardStreams(const FindingKinds& kinds) {
  os::File input = os::standardInput();
  os::File output = os::standardOutput();
  std::error_code writeError;
  LanguageServer server(
      [&](const std::string& body) {
        if (writeError) return;
        const std::string message = framed(body);
        writeError = output.write(message.data(), message.size());
      },
      kinds);
  MessageReader reader;
  std::vector<char> block(std::size_t{64} * 1024);
  while (!server.exited()) {
    while (!server.exited()) {
      std::optional<Framed> next = reader.next();
      if (!next) break;
      if (next->kind == Framed::Kind::kBadHeader) {
        server.rejectHeader(next->text);
      } else {
        server.receive(next->text);
      }
    }
    if (!server.exited()) server.publishChanged();
    if (writeError) throw std::system_error(writeError, "cannot write to standard output");
    if (server.exited()) break;
    std::size_t got = 0;
    if (const std::error_code error = input.read(block.data(), block.size(), got))
      throw std::system_error(error, "cannot read standard input");
    if (got == 0) break;
    reader.add(block.data(), got);
  }
  if (server.exited()) return server.exitStatus();
  if (reader.holdsPartOfAMessage())
    throw std::runtime_error("standard input ended within a message");
  // A client that asked to shut down may close the stream instead of saying exit.
  if (server.shutDown()) return 0;
  throw std::runtime_error("standard input ended before the client asked to shut down");
}

}  // namespace wqnprep::lsp
