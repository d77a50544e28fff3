// Running vrx-cli in-process for the tests of this folder: the exit status
// and everything written to standard output and standard error.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "cli/run_cli.h"

namespace vrx::test {

struct Outcome {
  int status = -1;
  std::string out;
  std::string err;
};

inline Outcome RunInProcess(const std::vector<std::string>& args,
                            const CliEnvironment& environment = {}) {
  char* outData = nullptr;
  size_t outSize = 0;
  char* errData = nullptr;
  size_t errSize = 0;
  std::FILE* out = open_memstream(&outData, &outSize);
  std::FILE* err = open_memstream(&errData, &errSize);
  Outcome outcome;
  outcome.status = RunCli(args, out, err, environment);
  std::fclose(out);
  std::fclose(err);
  outcome.out.assign(outData, outSize);
  outcome.err.assign(errData, errSize);
  std::free(outData);
  std::free(errData);
  return outcome;
}

inline std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream buffer;
  buffer << in.rdbuf();
  return buffer.str();
}

}  // namespace vrx::test
