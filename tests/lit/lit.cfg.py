# lit configuration: each test is a small input with RUN and CHECK lines.
import os
import lit.formats

config.name = "tanrek"
config.test_format = lit.formats.ShTest(execute_external=True)
config.suffixes = [".s", ".test"]
config.excludes = ["Inputs"]
config.test_source_root = os.path.dirname(__file__)

tanrek_bin = lit_config.params.get("tanrek_bin")
llvm_tools = lit_config.params.get("llvm_tools", "/usr/lib/llvm-14/bin")
if not tanrek_bin:
    lit_config.fatal("run with --param tanrek_bin=<directory of tanrek-ld>")

config.test_exec_root = os.path.join(tanrek_bin, "lit-output")
path = os.pathsep.join([tanrek_bin, llvm_tools, "/usr/bin", "/bin"])
config.environment["PATH"] = path
# Sanitizer builds: every finding fails the test.
config.environment["ASAN_OPTIONS"] = "abort_on_error=0"
config.environment["UBSAN_OPTIONS"] = "halt_on_error=1:print_stacktrace=1"
