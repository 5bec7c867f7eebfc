// libFuzzer target: the findings pass on text full of wqnprep-ignore comments, through the
// scanner's public interface.
//
// The first byte chooses the size of the pieces the text is handed over in and a line, the
// second the kinds reported; the rest is the text. A comment only takes findings away: with every
// marker spelt out of recognition, each finding is still there (and more may be). A finding of an
// unknown suppression is on a line that has the marker. "; -- wqnprep-ignore" added at the end of
// the line chosen takes away its findings (but unknown suppressions) and no others. The findings
// are in input order, the same in any pieces, and those of the kinds chosen are the ones a pass of
// every kind finds of them.
#include <algorithm>
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "findings/finding.h"
#include "fuzz_support.h"

namespace {

using wqnprep::fuzzing::require;

constexpr std::string_view kMarker = "wqnprep-ignore";

struct Heard {
  std::uint64_t line;
  std::uint64_t column;
  wqnprep::FindingKind kind;
  bool operator<(const Heard& other) const {
    return std::tie(line, column, kind) < std::tie(other.line, other.column, other.kind);
  }
  bool operator==(const Heard& other) const = default;
};

// A pass of its own kinds, built once, whose findings are kept as they are.
class Pass {
 public:
  explicit Pass(const wqnprep::FindingKinds& kinds)
      : scanner_([this](const wqnprep::Finding& finding) { heard_.push_back(finding); }, kinds) {}

  const std::vector<wqnprep::Finding>& run(std::string_view text, std::size_t piece) {
    heard_.clear();
    scanner_.restart();
    for (std::size_t at = 0; at < text.size(); at += piece) {
      const std::string_view part = text.substr(at, piece);
      scanner_.scan(part.data(), part.size());
    }
    scanner_.finish();
    return heard_;
  }

 private:
  std::vector<wqnprep::Finding> heard_;
  wqnprep::FindingScanner scanner_;
};

Pass& passOf(unsigned kindBits) {
  static std::array<std::unique_ptr<Pass>, std::size_t{1} << wqnprep::kFindingKindCount> passes;
  std::unique_ptr<Pass>& pass = passes[kindBits];
  if (!pass) {
    wqnprep::FindingKinds kinds{};
    for (std::size_t kind = 0; kind < kinds.size(); ++kind)
      kinds[kind] = (kindBits >> kind & 1) != 0;
    pass = std::make_unique<Pass>(kinds);
  }
  return *pass;
}

std::vector<Heard> positions(const std::vector<wqnprep::Finding>& findings) {
  std::vector<Heard> heard;
  for (const wqnprep::Finding& finding : findings) {
    heard.push_back({finding.line, finding.column, finding.kind});
  }
  return heard;
}

bool sameFindings(const std::vector<wqnprep::Finding>& a, const std::vector<wqnprep::Finding>& b) {
  return positions(a) == positions(b) &&
         std::equal(a.begin(), a.end(), b.begin(), b.end(), [](const auto& x, const auto& y) {
           return x.message == y.message && x.suggestion == y.suggestion;
         });
}

std::string_view lineOf(std::string_view text, std::uint64_t line) {
  std::size_t start = 0;
  for (std::uint64_t at = 1; at < line; ++at) {
    start = text.find('\n', start);
    if (start == std::string_view::npos) return {};
    ++start;
  }
  return text.substr(start, text.find('\n', start) - start);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const std::size_t piece = std::size_t{data[0]} + 1;
  constexpr unsigned kEveryKind = (1U << wqnprep::kFindingKindCount) - 1;
  const unsigned kindBits = data[1] & kEveryKind;
  const std::string text(reinterpret_cast<const char*>(data) + 2, size - 2);

  const std::vector<wqnprep::Finding> whole = passOf(kEveryKind).run(text, text.size() + 1);
  const std::vector<Heard> wholePositions = positions(whole);
  require(std::is_sorted(wholePositions.begin(), wholePositions.end()),
          "findings come in input order");
  require(sameFindings(passOf(kEveryKind).run(text, piece), whole),
          "findings do not depend on the pieces");

  std::vector<wqnprep::Finding> chosen;
  for (const wqnprep::Finding& finding : whole) {
    if ((kindBits >> static_cast<unsigned>(finding.kind) & 1) != 0) chosen.push_back(finding);
  }
  require(sameFindings(passOf(kindBits).run(text, piece), chosen),
          "a pass of some kinds finds what a pass of every kind finds of them");

  std::string unmarked = text;
  for (std::size_t at = 0; (at = unmarked.find(kMarker, at)) != std::string::npos;) {
    unmarked.replace(at, kMarker.size(), "zzzzzzz-zzzzzz");
  }
  std::vector<Heard> kept;
  for (const wqnprep::Finding& finding : whole) {
    if (finding.kind == wqnprep::FindingKind::kUnknownSuppression) {
      require(lineOf(text, finding.line).find(kMarker) != std::string_view::npos,
              "an unknown suppression is reported on a line with the marker");
    } else {
      kept.push_back({finding.line, finding.column, finding.kind});
    }
  }
  std::vector<Heard> unsilenced = positions(passOf(kEveryKind).run(unmarked, piece));
  std::sort(kept.begin(), kept.end());
  std::sort(unsilenced.begin(), unsilenced.end());
  require(std::includes(unsilenced.begin(), unsilenced.end(), kept.begin(), kept.end()),
          "a comment only takes findings away");

  const auto feeds = static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
  const std::size_t lines = feeds + (text.empty() || text.back() == '\n' ? 0 : 1);
  if (lines == 0) return 0;
  const std::uint64_t line = data[0] % lines + 1;
  std::string marked = text;
  std::size_t end = 0;  // of the line chosen
  for (std::uint64_t at = 1, start = 0; at <= line; ++at, start = end + 1) {
    end = std::min(marked.find('\n', start), marked.size());
  }
  // After a byte that ends any list of kinds a comment before it on the line may have.
  marked.insert(end, " ; -- wqnprep-ignore");
  // That line keeps only unknown suppressions, which no comment silences; every other line keeps
  // its findings.
  const auto notOnTheLine = [line](std::vector<wqnprep::Finding> findings) {
    std::erase_if(findings, [line](const wqnprep::Finding& f) { return f.line == line; });
    return findings;
  };
  const std::vector<wqnprep::Finding> silenced = passOf(kEveryKind).run(marked, piece);
  const bool lineQuiet =
      std::all_of(silenced.begin(), silenced.end(), [line](const wqnprep::Finding& f) {
        return f.line != line || f.kind == wqnprep::FindingKind::kUnknownSuppression;
      });
  require(lineQuiet && sameFindings(notOnTheLine(silenced), notOnTheLine(whole)),
          "a comment at a line's end silences that line and no other");
  return 0;
}
