// The outcome of a run or of one of its steps. Hard failures that only a
// caller outside the search form can reach, and work that would exhaust
// memory, stop the search with a message instead of ending the process; the
// programs decide how to show them.
#pragma once

#include <string>

namespace vrx {

enum class RunCode {
  kOk,
  kVariantNotImplemented,  // message "Variant not implemented yet"
  kInternalError,          // a combination the form cannot produce
  kTooLarge,               // a partition would exhaust memory
};

struct [[nodiscard]] RunStatus {
  RunCode code = RunCode::kOk;
  std::string message;

  bool ok() const { return code == RunCode::kOk; }
  static RunStatus Ok() { return {}; }
  static RunStatus Fail(RunCode code, std::string message) { return {code, std::move(message)}; }
};

}  // namespace vrx
