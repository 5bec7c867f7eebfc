// AddressSanitizer's defaults for the fuzzing targets; ASAN_OPTIONS still overrides them.
//
// A quarantine of 8 MB rather than 256: a use after free within one input is still caught (an
// input frees far less), and the blocks each run allocates come back while their pages are
// mapped, instead of faulting fresh pages in for every input: a fifth of a run's time.
extern "C" const char* __asan_default_options() {
  return "quarantine_size_mb=8";
}
