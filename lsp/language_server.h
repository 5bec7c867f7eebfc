// The language server: takes the body of each message the client sends, in order, and sends its
// answers, diagnostics and notifications through `send`, each a JSON body to be framed. The
// framing and the streams are up to the caller (server_loop.h).
#pragma once

#include <functional>
#include <map>
#include <string>
#include <string_view>

#include "findings/finding.h"
#include "lsp/document_findings.h"
#include "lsp/text_document.h"

namespace wqnprep::lsp {

class LanguageServer {
 public:
  using Send = std::function<void(const std::string& body)>;

  LanguageServer(Send send, const FindingKinds& kinds);
  ~LanguageServer();
  LanguageServer(const LanguageServer&) = delete;
  LanguageServer& operator=(const LanguageServer&) = delete;

  // One message's body.
  void receive(std::string_view body);
  // A message whose header could not be read, and why: answered as a parse error.
  void rejectHeader(std::string_view problem);
  // Publishes the diagnostics of the documents that changed since they were last published:
  // before any message but a change, and by the caller once no message waits, so that a burst
  // of changes is looked at once.
  void publishChanged();

  bool exited() const { return exited_; }
  // 0 when the client asked to shut down before it said exit, 1 otherwise.
  int exitStatus() const { return shutDown_ ? 0 : 1; }
  bool shutDown() const { return shutDown_; }

 private:
  struct Document {
    TextDocument text;
    std::vector<DocumentFinding> findings;
    bool changed = true;
  };
  class Dispatch;

  Document* document(const std::string& uri);
  void publish(const std::string& uri, Document& document);

  Send send_;
  FindingKinds kinds_;
  bool initialized_ = false;
  bool shutDown_ = false;
  bool exited_ = false;
  std::map<std::string, Document> documents_;
};

}  // namespace wqnprep::lsp
