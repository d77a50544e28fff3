#include "support/child_process.h"

#include <pthread.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace vrx::test {

std::string ChildOutcome::Describe() const {
  if (exited) {
    return "exited with " + std::to_string(status);
  }
  return "killed by signal " + std::to_string(signal) + " (" + ::strsignal(signal) + ")";
}

bool RunInChild(const std::function<int()>& body, ChildOutcome* outcome, std::string* why) {
  std::fflush(nullptr);  // nothing buffered is written twice
  const pid_t child = ::fork();
  if (child < 0) {
    *why = std::string("fork failed: ") + std::strerror(errno);
    return false;
  }
  if (child == 0) {
    try {
      ::_exit(body() & 0xFF);
    } catch (...) {
      std::abort();  // an exception leaving the body is a crash of the child
    }
  }
  int status = 0;
  while (::waitpid(child, &status, 0) < 0) {
    if (errno != EINTR) {
      *why = "waitpid failed";
      return false;
    }
  }
  outcome->exited = WIFEXITED(status);
  outcome->status = outcome->exited ? WEXITSTATUS(status) : -1;
  outcome->signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
  return true;
}

int RunInChild(const std::function<int()>& body) {
  ChildOutcome outcome;
  std::string why;
  return RunInChild(body, &outcome, &why) ? outcome.status : -1;
}

bool RunOnSmallStack(size_t stackBytes, const std::function<void()>& body) {
  pthread_attr_t attributes;
  if (::pthread_attr_init(&attributes) != 0) {
    return false;
  }
  pthread_t thread{};
  const auto run = [](void* argument) -> void* {
    (*static_cast<const std::function<void()>*>(argument))();
    return nullptr;
  };
  std::function<void()> task = body;
  const bool made = ::pthread_attr_setstacksize(&attributes, stackBytes) == 0 &&
                    ::pthread_create(&thread, &attributes, run, &task) == 0;
  ::pthread_attr_destroy(&attributes);
  return made && ::pthread_join(thread, nullptr) == 0;
}

}  // namespace vrx::test
