// Setting an environment variable of the test process (read by the talk library), with the
// platform's own call: setenv on POSIX, _putenv_s on Windows. An empty value removes it.
#pragma once

#include <string>

namespace e2e {

void SetTestEnv(const std::string& name, const std::string& value);

// Sets a variable for the lifetime of the object and removes it afterwards.
class ScopedTestEnv {
 public:
  ScopedTestEnv(const std::string& name, const std::string& value) : name_(name) {
    SetTestEnv(name, value);
  }
  ~ScopedTestEnv() { SetTestEnv(name_, ""); }

 private:
  std::string name_;
};

}  // namespace e2e
