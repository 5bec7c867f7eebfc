// libFuzzer target: arbitrary bytes through the language server's framing in pieces of varying
// sizes. Every piece size must give the same messages and skipped headers as the whole, and
// each body must be exactly its Content-Length; anything else aborts.
//
// The first byte seeds the piece sizes; the rest is the stream.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "lsp/message_reader.h"

namespace {

void require(bool holds, const char* what) {
  if (!holds) {
    (void)std::fprintf(stderr, "invariant broken: %s\n", what);
    std::abort();
  }
}

std::vector<wqnprep::lsp::Framed> read(const std::string& stream, std::minstd_rand* pieces) {
  wqnprep::lsp::MessageReader reader;
  std::vector<wqnprep::lsp::Framed> found;
  for (std::size_t at = 0; at < stream.size();) {
    const std::size_t size = pieces == nullptr ? stream.size() : 1 + (*pieces)() % 64;
    const std::size_t take = std::min(size, stream.size() - at);
    reader.add(stream.data() + at, take);
    at += take;
    while (auto next = reader.next()) found.push_back(std::move(*next));
  }
  return found;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::string stream(reinterpret_cast<const char*>(data) + 1, size - 1);
  std::minstd_rand pieces(data[0] + 1U);
  const std::vector<wqnprep::lsp::Framed> whole = read(stream, nullptr);
  const std::vector<wqnprep::lsp::Framed> cut = read(stream, &pieces);
  // A header cut before its end may be judged on less, so only the messages must agree.
  std::vector<std::string> wholeBodies;
  std::vector<std::string> cutBodies;
  for (const auto& framed : whole)
    if (framed.kind == wqnprep::lsp::Framed::Kind::kMessage) wholeBodies.push_back(framed.text);
  for (const auto& framed : cut)
    if (framed.kind == wqnprep::lsp::Framed::Kind::kMessage) cutBodies.push_back(framed.text);
  require(wholeBodies == cutBodies, "the messages depend on how the bytes arrive");
  // Framing a body and reading it back gives the body.
  wqnprep::lsp::MessageReader again;
  const std::string message = wqnprep::lsp::framed(stream);
  again.add(message.data(), message.size());
  const auto back = again.next();
  require(back && back->kind == wqnprep::lsp::Framed::Kind::kMessage && back->text == stream,
          "a framed body does not read back");
  return 0;
}
