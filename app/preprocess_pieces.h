// A large file preprocessed on two threads: the file is cut into pieces that the threads take in
// turn, each substituted on its own; a piece ends after a byte that no token holds, such as a line
// feed or a space, so that no token spans two. The output is written in the order of the file, as
// one pass writes it; each thread reads, scans and writes its own blocks, so the bytes stay in one
// processor's cache.
#pragma once

#include <cstdint>

#include "app/byte_stream.h"
#include "app/files.h"

namespace wqnprep {

// Pieces this large cost little to set up (a read to find where to cut, a handover between the
// threads) next to substituting them.
inline constexpr std::uint64_t kPiece = std::uint64_t{1} * 1024 * 1024;

// Whether `input` is a regular file, named on the command line, large enough to be preprocessed
// in pieces.
bool worthPreprocessingInPieces(const InputFile& input);

// Preprocesses `input`, a file worthPreprocessingInPieces, into `output` on two threads (on this
// one alone without `twoThreads`), in pieces of about `pieceSize` bytes: the bytes `preprocess`
// writes, written in the same order. A file that begins with a UTF-16 or UTF-32 byte-order mark is
// preprocessed in one pass.
void preprocessInPieces(SeekableSource& input, ByteSink& output, std::uint64_t pieceSize = kPiece,
                        bool twoThreads = true);

}  // namespace wqnprep
