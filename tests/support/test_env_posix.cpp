// POSIX environment changes for tests.
#include <stdlib.h>

#include "test_env.h"

namespace e2e {

void SetTestEnv(const std::string& name, const std::string& value) {
  if (value.empty())
    unsetenv(name.c_str());
  else
    setenv(name.c_str(), value.c_str(), 1);
}

}  // namespace e2e
