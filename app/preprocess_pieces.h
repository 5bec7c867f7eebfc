// A large file preprocessed on two threads: the file is cut at line ends into pieces that the
// threads take in turn, each substituted on its own, as the output of a line depends on that line
// alone. The output is written in the order of the file, as one pass writes it; each thread
// reads, scans and writes its own blocks, so the bytes stay in one processor's cache.
#pragma once

#include "app/byte_stream.h"
#include "app/files.h"

namespace wqnprep {

// Whether `input` is a regular file, named on the command line, large enough to be preprocessed
// in pieces.
bool worthPreprocessingInPieces(const InputFile& input);

// Preprocesses `input`, a file worthPreprocessingInPieces, into `output` on two threads: the
// bytes `preprocess` writes, written in the same order. A file that begins with a UTF-16 or
// UTF-32 byte-order mark is preprocessed in one pass.
void preprocessInPieces(SeekableSource& input, ByteSink& output);

}  // namespace wqnprep
