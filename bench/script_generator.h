// Deterministic database scripts for benchmarks.
#pragma once

#include <cstdint>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "symbols/tables.h"

namespace wqnprep::bench {

class Generator {
 public:
  Generator() {
    for (const wqnprep::SymbolTable* table : wqnprep::registry()) {
      for (const wqnprep::SymbolEntry& row : table->rows) {
        tokens_.push_back(wqnprep::qualifiedToken(*table, row));
      }
    }
    for (const wqnprep::SymbolEntry& entry : wqnprep::globalScopeList())
      tokens_.push_back(entry.name);
  }

  // mt19937_64's output is fixed by the standard, so the script is the same everywhere.
  std::size_t pick(std::size_t n) { return static_cast<std::size_t>(random_() % n); }
  const std::string& token() { return tokens_[pick(tokens_.size())]; }

  std::string nearMiss() {
    static const char* const kMisses[] = {"WQNOperationID::OPID_VIRTUAL_SERVER_REQUEST_GET",
                                          "OPID_LICENSE_GENERALREAD",
                                          "wqnruleid::applicableForAll",
                                          "WQNGlobalScopeGUIDs",
                                          "NetworkSettingType::nstHardwareNodeID",
                                          "xWQNRuleID::applicableForVEs",
                                          "WQNEnvStatusID::ENV_STAT_RUNNING2",
                                          "WQNRuleID :: applicableForHNs"};
    return kMisses[pick(sizeof kMisses / sizeof kMisses[0])];
  }

  std::string tokenLine(std::size_t count) {
    std::string line =
        "INSERT INTO role_operation (role_id, operation_id, object_type, scope) VALUES (" +
        std::to_string(pick(100000));
    for (std::size_t i = 0; i < count; ++i) line += ", " + token();
    return line + ");";
  }

  std::string plainLine() {
    char text[256];
    switch (pick(6)) {
      case 0:
        (void)std::snprintf(text, sizeof text,
                            "-- migration step %zu: keep audit rows for %zu days", pick(1000),
                            pick(400));
        break;
      case 1:
        (void)std::snprintf(
            text, sizeof text,
            "CREATE TABLE t_%zu (id INTEGER PRIMARY KEY, name VARCHAR(64) NOT NULL);",
            pick(100000));
        break;
      case 2:
        (void)std::snprintf(
            text, sizeof text,
            "UPDATE environment SET description = 'host-%zu', updated = NOW() WHERE id "
            "= %zu;",
            pick(100000), pick(100000));
        break;
      case 3:
        (void)std::snprintf(text, sizeof text,
                            "SELECT %s FROM dual; -- wqnprep-ignore (must stay as it is)",
                            nearMiss().c_str());
        break;
      default:
        (void)std::snprintf(
            text, sizeof text,
            "INSERT INTO audit_log (id, message, created) VALUES (%zu, 'user %zu changed "
            "settings', '2024-05-%02zu 12:%02zu:%02zu');",
            pick(1000000), pick(5000), 1 + pick(28), pick(60), pick(60));
        break;
    }
    return text;
  }

 private:
  std::mt19937_64 random_{20261208};  // NOLINT(cert-msc32-c,cert-msc51-cpp): same script every run
  std::vector<std::string> tokens_;
};

// A line of unknown enumerators, each name seen once: every one is a finding with the cost of a
// suggestion search and none can be remembered.
inline std::string unknownLine(std::uint64_t& serial) {
  std::string line = "INSERT INTO role_operation VALUES (";
  for (int i = 0; i < 3; ++i) {
    line += (i == 0 ? "WQNOperationID::OPID_LICENSE_GENERAL" : ", WQNOperationID::OPID_SESSION_");
    line += std::to_string(serial++);
  }
  return line + ");\n";
}

// One line (with its line feed) of a script of the given kind: "realistic" or "dense".
inline std::string scriptLine(Generator& generator, const std::string& kind) {
  if (kind == "dense") return generator.tokenLine(4 + generator.pick(5)) + '\n';
  return (generator.pick(4) == 0 ? generator.tokenLine(1 + generator.pick(4))
                                 : generator.plainLine()) +
         '\n';
}

}  // namespace wqnprep::bench
