// Options of the sanitizer runtimes, built into every program of the sanitizer build, so
// a test, the listing of a test binary's tests and the program a test starts all run
// alike with no environment to set. Variables of the environment still take precedence.
//
// Reports go to files in the build tree, where the test pass looks for them: a report
// from a process whose exit status nobody reads is still found.
extern "C" {

const char* __asan_default_options() {
  return "detect_leaks=1:check_initialization_order=1:strict_init_order=1:detect_stack_use_after_return=1"
         ":log_path=" TAMIRO_SANITIZER_LOG;
}

const char* __ubsan_default_options() {
  return "print_stacktrace=1:halt_on_error=1:log_path=" TAMIRO_SANITIZER_LOG;
}

const char* __lsan_default_options() { return "print_suppressions=0:suppressions=" TAMIRO_LSAN_SUPPRESSIONS; }

}  // extern "C"
