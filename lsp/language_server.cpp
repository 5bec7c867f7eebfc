#include "lsp/language_server.h"

#include <nlohmann/json.hpp>
#include <stdexcept>

#include "lsp/symbol_help.h"

#ifndef WQNPREP_VERSION
#error "WQNPREP_VERSION must be defined by the build"
#endif

namespace wqnprep::lsp {
namespace {

using Json = nlohmann::json;

// The protocol's error codes.
enum ErrorCode {
  kParseError = -32700,
  kInvalidRequest = -32600,
  kMethodNotFound = -32601,
  kInvalidParams = -32602,
  kServerNotInitialized = -32002,
};

constexpr int kIncrementalSync = 2;
constexpr int kErrorSeverity = 1;
constexpr int kErrorMessage = 1;  // of window/logMessage

// Text from the client is valid UTF-8, but a message may cut a quoted name anywhere.
std::string dumped(const Json& value) {
  return value.dump(-1, ' ', false, Json::error_handler_t::replace);
}

Json toJson(const Position& position) {
  return {{"line", position.line}, {"character", position.character}};
}

Json toJson(const Range& range) {
  return {{"start", toJson(range.start)}, {"end", toJson(range.end)}};
}

Position positionOf(const Json& json) {
  return {json.at("line").get<std::uint64_t>(), json.at("character").get<std::uint64_t>()};
}

Range rangeOf(const Json& json) {
  return {positionOf(json.at("start")), positionOf(json.at("end"))};
}

bool before(const Position& a, const Position& b) {
  return a.line < b.line || (a.line == b.line && a.character < b.character);
}

// Whether two ranges share a position; a range that is only a cursor touches its ends too.
bool touches(const Range& a, const Range& b) {
  return !before(a.end, b.start) && !before(b.end, a.start);
}

Json diagnosticOf(const DocumentFinding& entry) {
  return {{"range", toJson(entry.range)},
          {"severity", kErrorSeverity},
          {"code", findingKindName(entry.finding.kind)},
          {"source", "wqnprep"},
          {"message", entry.finding.message}};
}

Json capabilities() {
  return {{"positionEncoding", "utf-16"},
          {"textDocumentSync", {{"openClose", true}, {"change", kIncrementalSync}}},
          {"completionProvider", {{"triggerCharacters", {":"}}}},
          {"hoverProvider", true},
          {"codeActionProvider", {{"codeActionKinds", {"quickfix"}}}}};
}

}  // namespace

// The requests and notifications of one message; a request's answer is its return value.
class LanguageServer::Dispatch {
 public:
  explicit Dispatch(LanguageServer& server) : server_(server) {}

  Json request(const std::string& method, const Json& params) {
    if (method == "initialize") {
      server_.initialized_ = true;
      return {{"capabilities", capabilities()},
              {"serverInfo", {{"name", "wqnprep"}, {"version", WQNPREP_VERSION}}}};
    }
    if (method == "shutdown") {
      server_.shutDown_ = true;
      return nullptr;
    }
    if (method == "textDocument/completion") return completion(params);
    if (method == "textDocument/hover") return hover(params);
    if (method == "textDocument/codeAction") return codeActions(params);
    throw MethodNotFound();
  }

  void notification(const std::string& method, const Json& params) {
    if (method == "textDocument/didOpen") {
      const Json& item = params.at("textDocument");
      server_.documents_[item.at("uri").get<std::string>()] =
          Document{TextDocument(item.at("text").get<std::string>()), {}, true};
    } else if (method == "textDocument/didChange") {
      Document& document = known(params);
      for (const Json& change : params.at("contentChanges")) {
        const auto& text = change.at("text").get_ref<const std::string&>();
        if (change.contains("range")) {
          document.text.replace(rangeOf(change.at("range")), text);
        } else {
          document.text = TextDocument(text);
        }
      }
      document.changed = true;
    } else if (method == "textDocument/didClose") {
      const std::string uri = params.at("textDocument").at("uri").get<std::string>();
      if (server_.documents_.erase(uri) > 0) {
        server_.send_(dumped({{"jsonrpc", "2.0"},
                              {"method", "textDocument/publishDiagnostics"},
                              {"params", {{"uri", uri}, {"diagnostics", Json::array()}}}}));
      }
    }
    // Any other notification, "initialized" and "$/..." among them, asks for nothing.
  }

  struct MethodNotFound {};

 private:
  Document& known(const Json& params) {
    const std::string uri = params.at("textDocument").at("uri").get<std::string>();
    Document* document = server_.document(uri);
    if (document == nullptr) throw std::invalid_argument("no open document " + uri);
    return *document;
  }

  Json completion(const Json& params) {
    const Document& document = known(params);
    const Position cursor = positionOf(params.at("position"));
    const std::string_view line = document.text.line(cursor.line);
    const auto lineStart = static_cast<std::size_t>(line.data() - document.text.text().data());
    const std::size_t at = document.text.offsetOf(cursor) - lineStart;
    const Completions completions = completionsAt(line, at);
    const Range typed{document.text.positionAt(cursor.line, completions.from),
                      document.text.positionAt(cursor.line, at)};
    Json items = Json::array();
    for (const CompletionItem& item : completions.items) {
      items.push_back({{"label", item.label},
                       {"kind", static_cast<int>(item.kind)},
                       {"detail", item.detail},
                       {"textEdit", {{"range", toJson(typed)}, {"newText", item.label}}}});
    }
    return {{"isIncomplete", false}, {"items", items}};
  }

  Json hover(const Json& params) {
    const Document& document = known(params);
    const Position cursor = positionOf(params.at("position"));
    const std::string_view line = document.text.line(cursor.line);
    const auto lineStart = static_cast<std::size_t>(line.data() - document.text.text().data());
    const std::optional<Hover> found = hoverAt(line, document.text.offsetOf(cursor) - lineStart);
    if (!found) return nullptr;
    const Range range{document.text.positionAt(cursor.line, found->from),
                      document.text.positionAt(cursor.line, found->to)};
    return {{"contents", {{"kind", "markdown"}, {"value", found->markdown}}},
            {"range", toJson(range)}};
  }

  Json codeActions(const Json& params) {
    const std::string uri = params.at("textDocument").at("uri").get<std::string>();
    Document& document = known(params);
    if (document.changed) server_.publish(uri, document);
    const Range asked = rangeOf(params.at("range"));
    Json actions = Json::array();
    for (const DocumentFinding& entry : document.findings) {
      if (!touches(entry.range, asked)) continue;
      const bool mends = !entry.finding.suggestion.empty();
      const std::string title =
          mends ? "Change to '" + entry.edit.newText + "'"
                : "Ignore " + std::string(findingKindName(entry.finding.kind)) + " on this line";
      Json edit = {{"range", toJson(entry.edit.range)}, {"newText", entry.edit.newText}};
      Json action = {{"title", title},
                     {"kind", "quickfix"},
                     {"diagnostics", {diagnosticOf(entry)}},
                     {"edit", {{"changes", {{uri, {edit}}}}}}};
      if (mends) action["isPreferred"] = true;
      actions.push_back(std::move(action));
    }
    return actions;
  }

  LanguageServer& server_;
};

LanguageServer::LanguageServer(Send send, const FindingKinds& kinds)
    : send_(std::move(send)), kinds_(kinds) {}

LanguageServer::~LanguageServer() = default;

LanguageServer::Document* LanguageServer::document(const std::string& uri) {
  const auto found = documents_.find(uri);
  return found == documents_.end() ? nullptr : &found->second;
}

void LanguageServer::receive(std::string_view body) {
  const auto answerError = [&](const Json& id, int code, const std::string& message) {
    send_(dumped(
        {{"jsonrpc", "2.0"}, {"id", id}, {"error", {{"code", code}, {"message", message}}}}));
  };
  const Json message = Json::parse(body, nullptr, false);
  if (message.is_discarded()) return answerError(nullptr, kParseError, "the message is not JSON");
  if (!message.is_object()) {
    return answerError(nullptr, kInvalidRequest, "the message is not a JSON object");
  }
  const auto id = message.find("id");
  const bool isRequest = id != message.end();
  if (isRequest && !id->is_number_integer() && !id->is_string()) {
    return answerError(nullptr, kInvalidRequest, "the id is neither a number nor a string");
  }
  const auto method = message.find("method");
  if (method == message.end() || !method->is_string()) {
    // An answer to a request of ours would have a result or an error; this server sends none.
    if (isRequest && (message.contains("result") || message.contains("error"))) return;
    return answerError(isRequest ? *id : Json(nullptr), kInvalidRequest,
                       "the message has no method");
  }
  const auto& name = method->get_ref<const std::string&>();
  const Json params = message.value("params", Json::object());
  // Diagnostics of earlier changes go out before anything but a further change is looked at.
  if (name != "textDocument/didChange" && name != "exit") publishChanged();
  if (name == "exit" && !isRequest) {
    exited_ = true;
    return;
  }
  if (isRequest && shutDown_) {
    return answerError(*id, kInvalidRequest, "the server is shutting down");
  }
  if (!initialized_ && !(isRequest && name == "initialize")) {
    if (isRequest) answerError(*id, kServerNotInitialized, "initialize comes first");
    return;
  }
  if (isRequest && name == "initialize" && initialized_) {
    return answerError(*id, kInvalidRequest, "initialize was sent already");
  }
  Dispatch dispatch(*this);
  try {
    if (!isRequest) return dispatch.notification(name, params);
    Json result = dispatch.request(name, params);
    send_(dumped({{"jsonrpc", "2.0"}, {"id", *id}, {"result", std::move(result)}}));
  } catch (const Dispatch::MethodNotFound&) {
    if (isRequest) answerError(*id, kMethodNotFound, "no method " + name);
  } catch (const std::exception& error) {
    const std::string text = name + ": " + error.what();
    if (isRequest) return answerError(*id, kInvalidParams, text);
    send_(dumped({{"jsonrpc", "2.0"},
                  {"method", "window/logMessage"},
                  {"params", {{"type", kErrorMessage}, {"message", text}}}}));
  }
}

void LanguageServer::rejectHeader(std::string_view problem) {
  send_(dumped(
      {{"jsonrpc", "2.0"},
       {"id", nullptr},
       {"error",
        {{"code", kParseError}, {"message", "a message was skipped: " + std::string(problem)}}}}));
}

void LanguageServer::publishChanged() {
  for (auto& [uri, document] : documents_) {
    if (document.changed) publish(uri, document);
  }
}

void LanguageServer::publish(const std::string& uri, Document& document) {
  document.findings = findingsIn(document.text, kinds_);
  document.changed = false;
  // Written out rather than built as a JSON tree: a script can have tens of thousands of
  // findings, and the tree would cost most of the time between a change and its diagnostics.
  std::string message = R"({"jsonrpc":"2.0","method":"textDocument/publishDiagnostics",)"
                        R"("params":{"uri":)" +
                        dumped(uri) + R"(,"diagnostics":[)";
  const auto appendPosition = [&](const Position& position) {
    message += R"({"line":)" + std::to_string(position.line) + R"(,"character":)" +
               std::to_string(position.character) + "}";
  };
  for (const DocumentFinding& entry : document.findings) {
    if (&entry != document.findings.data()) message += ',';
    message += R"({"range":{"start":)";
    appendPosition(entry.range.start);
    message += R"(,"end":)";
    appendPosition(entry.range.end);
    message += R"(},"severity":)" + std::to_string(kErrorSeverity) + R"(,"code":")";
    message += findingKindName(entry.finding.kind);
    message += R"(","source":"wqnprep","message":)" + dumped(entry.finding.message) + "}";
  }
  message += "]}}";
  send_(message);
}

}  // namespace wqnprep::lsp
