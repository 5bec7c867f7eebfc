// A sink for a run that looks at the input and writes nothing.
#pragma once

#include <cstddef>

#include "app/byte_stream.h"

namespace wqnprep {

class DiscardedOutput : public ByteSink {
 public:
  void write(const char* /*data*/, std::size_t /*size*/) override {}
};

}  // namespace wqnprep
