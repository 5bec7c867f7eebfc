// The language server through its pipes: recorded exchanges, each what a client sends (framed
// messages, or raw bytes for the malformed ones) and every message the server sends back, in
// order. An expected message is matched by the members it names.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "run_program.h"

namespace wqnprep::testing {
namespace {

using Json = nlohmann::json;

std::string framed(const std::string& body) {
  return "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
}

std::string request(int id, const std::string& method, const std::string& params = "{}") {
  return framed(R"({"jsonrpc":"2.0","id":)" + std::to_string(id) + R"(,"method":")" + method +
                R"(","params":)" + params + "}");
}

std::string notification(const std::string& method, const std::string& params = "{}") {
  return framed(R"({"jsonrpc":"2.0","method":")" + method + R"(","params":)" + params + "}");
}

const std::string kStart =
    request(1, "initialize", R"({"capabilities":{}})") + notification("initialized");
const std::string kEnd = request(99, "shutdown") + notification("exit");

std::string opened(const std::string& text) {
  return notification("textDocument/didOpen",
                      R"({"textDocument":{"uri":"file:///t.sql","languageId":"sql","version":1,)"
                      R"("text":)" +
                          Json(text).dump() + "}}");
}

std::string at(const std::string& method, int id, int line, int character) {
  return request(id, method,
                 R"({"textDocument":{"uri":"file:///t.sql"},"position":{"line":)" +
                     std::to_string(line) + R"(,"character":)" + std::to_string(character) + "}}");
}

// The bodies of the framed messages in `stream`.
std::vector<Json> messagesIn(const std::string& stream) {
  std::vector<Json> messages;
  for (std::size_t at = 0; at < stream.size();) {
    const std::size_t headerEnd = stream.find("\r\n\r\n", at);
    if (headerEnd == std::string::npos || stream.compare(at, 16, "Content-Length: ") != 0) {
      ADD_FAILURE() << "not a header: " << stream.substr(at);
      break;
    }
    const std::size_t length = std::stoul(stream.substr(at + 16, headerEnd - at - 16));
    messages.push_back(Json::parse(stream.substr(headerEnd + 4, length)));
    at = headerEnd + 4 + length;
  }
  return messages;
}

// Whether `actual` has every member `expected` names, with those values; arrays element by
// element.
bool matches(const Json& actual, const Json& expected) {
  if (expected.is_object()) {
    if (!actual.is_object()) return false;
    for (const auto& [key, value] : expected.items()) {
      if (!actual.contains(key) || !matches(actual.at(key), value)) return false;
    }
    return true;
  }
  if (expected.is_array()) {
    if (!actual.is_array() || actual.size() != expected.size()) return false;
    for (std::size_t i = 0; i < expected.size(); ++i) {
      if (!matches(actual[i], expected[i])) return false;
    }
    return true;
  }
  return actual == expected;
}

struct Exchange {
  const char* name;
  std::string sent;
  std::vector<std::string> answers;  // JSON, as much of each message as matters
  int status = 0;
};

class LanguageServerExchange : public ::testing::TestWithParam<Exchange> {};

TEST_P(LanguageServerExchange, AnswersAsRecorded) {
  const Exchange& exchange = GetParam();
  const ProgramResult result = runWqnprepThroughPipes({"--lsp"}, exchange.sent);
  EXPECT_EQ(result.status, exchange.status) << result.err;
  const std::vector<Json> answers = messagesIn(result.out);
  ASSERT_EQ(answers.size(), exchange.answers.size()) << result.out;
  for (std::size_t i = 0; i < answers.size(); ++i) {
    EXPECT_TRUE(matches(answers[i], Json::parse(exchange.answers[i])))
        << "answer " << i << ": " << answers[i].dump();
  }
}

const std::string kInitialized = R"({"id":1,"result":{"capabilities":{"positionEncoding":"utf-16",)"
                                 R"("textDocumentSync":{"openClose":true,"change":2}}}})";
const std::string kShutDown = R"({"id":99,"result":null})";
const std::string kNoDiagnostics =
    R"({"method":"textDocument/publishDiagnostics","params":{"diagnostics":[]}})";
const std::string kTypo = "SELECT WQNRuleID::applicableForAl; -- \xC3\xA9\n";
const std::string kTypoDiagnostics =
    R"({"method":"textDocument/publishDiagnostics","params":{"uri":"file:///t.sql",)"
    R"("diagnostics":[{"range":{"start":{"line":0,"character":7},"end":{"line":0,"character":33}},)"
    R"("severity":1,"code":"unknown-enumerator","source":"wqnprep","message":)"
    R"("unknown enumerator 'applicableForAl' of 'WQNRuleID'; did you mean 'applicableForAll'?"}]}})";
const std::string kGlued = "\xF0\x9F\x98\x80 WQNRuleID::applicableForAll_x\n";

INSTANTIATE_TEST_SUITE_P(
    Lifecycle, LanguageServerExchange,
    ::testing::Values(
        Exchange{"ShutdownThenExitIsStatus0", kStart + kEnd, {kInitialized, kShutDown}, 0},
        Exchange{"ExitWithoutShutdownIsStatus1", kStart + notification("exit"), {kInitialized}, 1},
        Exchange{"InputEndingBeforeShutdownIsStatus1", kStart, {kInitialized}, 1},
        Exchange{"InputEndingWithinAMessageIsStatus1",
                 kStart + framed("{}").substr(0, 20),
                 {kInitialized},
                 1},
        Exchange{"RequestsBeforeInitializeAreRefused",
                 request(5, "textDocument/hover") + kStart + kEnd,
                 {R"({"id":5,"error":{"code":-32002}})", kInitialized, kShutDown}},
        Exchange{
            "RequestsAfterShutdownAreInvalid",
            kStart + request(2, "shutdown") + request(3, "textDocument/hover") +
                notification("exit"),
            {kInitialized, R"({"id":2,"result":null})", R"({"id":3,"error":{"code":-32600}})"}},
        Exchange{"UnknownMethodsAreNotFoundAndNotificationsIgnored",
                 kStart + request(2, "workspace/symbol") + notification("$/cancelRequest") +
                     notification("workspace/didChangeConfiguration") + kEnd,
                 {kInitialized, R"({"id":2,"error":{"code":-32601}})", kShutDown}},
        Exchange{"SecondInitializeIsInvalid",
                 kStart + request(2, "initialize", R"({"capabilities":{}})") + kEnd,
                 {kInitialized, R"({"id":2,"error":{"code":-32600}})", kShutDown}}),
    [](const auto& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    MalformedMessages, LanguageServerExchange,
    ::testing::Values(
        Exchange{"InvalidJsonIsAParseError",
                 kStart + framed("{\"jsonrpc\":") + kEnd,
                 {kInitialized, R"({"id":null,"error":{"code":-32700}})", kShutDown}},
        Exchange{"ANonObjectIsInvalid",
                 kStart + framed("[1,2]") + kEnd,
                 {kInitialized, R"({"id":null,"error":{"code":-32600}})", kShutDown}},
        Exchange{"ALengthThatIsNoNumberIsSkipped",
                 kStart + "Content-Length: 12x\r\n\r\n{\"id\":7}" + kEnd,
                 {kInitialized, R"({"id":null,"error":{"code":-32700}})", kShutDown}},
        Exchange{"AHeaderWithoutLengthIsSkipped",
                 kStart + "Content-Type: text/plain\r\n\r\n" + kEnd,
                 {kInitialized, R"({"id":null,"error":{"code":-32700}})", kShutDown}},
        Exchange{"AShortLengthCutsTheBodyAndTheRestIsSkipped",
                 kStart + "Content-Length: 5\r\n\r\n{\"jsonrpc\":\"2.0\",\"id\":3}" + kEnd,
                 {kInitialized, R"({"id":null,"error":{"code":-32700}})",
                  R"({"id":null,"error":{"code":-32700}})", kShutDown}},
        Exchange{"BadParamsAreInvalidParams",
                 kStart + request(4, "textDocument/hover", R"({"position":3})") + kEnd,
                 {kInitialized, R"({"id":4,"error":{"code":-32602}})", kShutDown}}),
    [](const auto& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    Documents, LanguageServerExchange,
    ::testing::Values(
        Exchange{"FindingsArePublishedOnOpen",
                 kStart + opened(kTypo) + kEnd,
                 {kInitialized, kTypoDiagnostics, kShutDown}},
        Exchange{
            "AnIncrementalChangeIsLookedAtAgain",
            kStart + opened(kTypo) +
                notification("textDocument/didChange",
                             R"({"textDocument":{"uri":"file:///t.sql","version":2},)"
                             R"("contentChanges":[{"range":{"start":{"line":0,"character":33},)"
                             R"("end":{"line":0,"character":33}},"text":"l"}]})") +
                kEnd,
            // The change comes before the open's findings went out: they go once.
            {kInitialized, kNoDiagnostics, kShutDown}},
        Exchange{"CompletionListsTheRowsOfTheTypeWithTheirValues",
                 kStart + opened("WQNRuleID::applicableForV\n") +
                     at("textDocument/completion", 2, 0, 25) + kEnd,
                 {kInitialized, R"({"method":"textDocument/publishDiagnostics"})",
                  R"({"id":2,"result":{"items":[{"label":"applicableForVEs","kind":20,)"
                  R"("detail":"applicableForVEs \u2014 1","textEdit":{"range":)"
                  R"({"start":{"line":0,"character":11},"end":{"line":0,"character":25}},)"
                  R"("newText":"applicableForVEs"}}]}})",
                  kShutDown}},
        Exchange{
            "NoCompletionInACastACommentOrAString",
            kStart + opened("x::i -- WQNRuleID::\n'WQNRuleID::\n") +
                at("textDocument/completion", 2, 0, 4) + at("textDocument/completion", 3, 0, 19) +
                at("textDocument/completion", 4, 1, 12) + kEnd,
            {kInitialized, kNoDiagnostics, R"({"id":2,"result":{"items":[]}})",
             R"({"id":3,"result":{"items":[]}})", R"({"id":4,"result":{"items":[]}})", kShutDown}},
        Exchange{"HoverGivesTypeRowAndValue",
                 kStart + opened("(WQNOperationID::OPID_LICENSE_GENERALREAD, WQNGlobalScopeGUID)") +
                     at("textDocument/hover", 2, 0, 20) + at("textDocument/hover", 3, 0, 45) + kEnd,
                 {kInitialized, kNoDiagnostics,
                  R"({"id":2,"result":{"contents":{"kind":"markdown","value":)"
                  R"("`WQNOperationID::OPID_LICENSE_GENERALREAD` becomes `1`\n\n)"
                  R"(type `WQNOperationID`, row `OPID_LICENSE_GENERALREAD`"},)"
                  R"("range":{"start":{"line":0,"character":1},"end":{"line":0,"character":41}}}})",
                  R"({"id":3,"result":{"contents":{"value":)"
                  R"("`WQNGlobalScopeGUID` becomes `8C3E7755-D5D1-2B4F-BA73-E73F13C140D6`\n\n)"
                  R"(placeholder"}}})",
                  kShutDown}},
        Exchange{"AFindingWithASuggestionOffersTheFix",
                 kStart + opened(kTypo) +
                     request(2, "textDocument/codeAction",
                             R"({"textDocument":{"uri":"file:///t.sql"},"range":{"start":)"
                             R"({"line":0,"character":10},"end":{"line":0,"character":10}},)"
                             R"("context":{"diagnostics":[]}})") +
                     kEnd,
                 {kInitialized, kTypoDiagnostics,
                  R"({"id":2,"result":[{"title":"Change to 'applicableForAll'","kind":"quickfix",)"
                  R"("isPreferred":true,"edit":{"changes":{"file:///t.sql":[{"range":)"
                  R"({"start":{"line":0,"character":18},"end":{"line":0,"character":33}},)"
                  R"("newText":"applicableForAll"}]}}}]})",
                  kShutDown}},
        Exchange{"AFindingWithoutOneOffersTheSuppression",
                 kStart + opened(kGlued) +
                     request(2, "textDocument/codeAction",
                             R"({"textDocument":{"uri":"file:///t.sql"},"range":{"start":)"
                             R"({"line":0,"character":0},"end":{"line":1,"character":0}},)"
                             R"("context":{"diagnostics":[]}})") +
                     kEnd,
                 {kInitialized,
                  R"({"method":"textDocument/publishDiagnostics","params":{"diagnostics":[)"
                  R"({"range":{"start":{"line":0,"character":3},"end":{"line":0,"character":32}},)"
                  R"("code":"glued-token"}]}})",
                  R"({"id":2,"result":[{"title":"Ignore glued-token on this line",)"
                  R"("edit":{"changes":{"file:///t.sql":[{"range":)"
                  R"({"start":{"line":0,"character":0},"end":{"line":0,"character":0}},)"
                  R"("newText":"-- wqnprep-ignore-next-line: glued-token\n"}]}}}]})",
                  kShutDown}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace wqnprep::testing
